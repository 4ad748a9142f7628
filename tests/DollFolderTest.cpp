// The menu launcher's folder: made on the first start with the sample doll in it, and never
// a file replaced that is there already.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "framework/TavoErrors.h"
#include "platform/DollFolder.h"

namespace fs = std::filesystem;

namespace {

class DollFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(Samples("シェイプ.bmp"), {'s', 'h', 'a', 'p', 'e'});
    WriteBytes(Samples("テクスチャ.bmp"), {'s', 'k', 'i', 'n'});
  }
  std::string Samples(const std::string& name) const {
    fs::create_directories(FScratch.Path("samples"));
    return FScratch.Path("samples/" + name);
  }
  std::string Folder() const { return FScratch.Path("home/Kavinel"); }
  std::string InFolder(const std::string& name) const { return Folder() + "/" + name; }

  ScratchFolder FScratch;
};

TEST_F(DollFolderTest, FirstStartMakesTheFolderWithTheSampleDoll) {
  PrepareDollFolder(Folder(), FScratch.Path("samples"));
  EXPECT_EQ(ReadBytes(InFolder("シェイプ.bmp")), ReadBytes(Samples("シェイプ.bmp")));
  EXPECT_EQ(ReadBytes(InFolder("テクスチャ.bmp")), ReadBytes(Samples("テクスチャ.bmp")));
  // A second start finds everything in place and changes nothing.
  PrepareDollFolder(Folder(), FScratch.Path("samples"));
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 2);
}

TEST_F(DollFolderTest, TheUsersPicturesAreNeverReplaced) {
  fs::create_directories(Folder());
  WriteBytes(InFolder("シェイプ.bmp"), {'m', 'i', 'n', 'e'});
  WriteBytes(InFolder("out00.bmp"), {'s', 'h', 'e', 'e', 't'});
  PrepareDollFolder(Folder(), FScratch.Path("samples"));
  EXPECT_EQ(ReadBytes(InFolder("シェイプ.bmp")), (Bytes{'m', 'i', 'n', 'e'}));
  EXPECT_EQ(ReadBytes(InFolder("out00.bmp")), (Bytes{'s', 'h', 'e', 'e', 't'}));
  // Only the missing picture comes from the samples.
  EXPECT_EQ(ReadBytes(InFolder("テクスチャ.bmp")), ReadBytes(Samples("テクスチャ.bmp")));
}

TEST_F(DollFolderTest, ALinkUnderAPicturesNameIsLeftAlone) {
  fs::create_directories(Folder());
  fs::create_symlink(FScratch.Path("elsewhere.bmp"), InFolder("シェイプ.bmp"));
  PrepareDollFolder(Folder(), FScratch.Path("samples"));
  EXPECT_TRUE(fs::is_symlink(InFolder("シェイプ.bmp")));
  EXPECT_FALSE(fs::exists(FScratch.Path("elsewhere.bmp")));
}

TEST_F(DollFolderTest, AFileInTheFoldersPlaceIsReportedAndKept) {
  fs::create_directories(FScratch.Path("home"));
  WriteBytes(Folder(), {'x'});
  try {
    PrepareDollFolder(Folder(), FScratch.Path("samples"));
    FAIL() << "no error";
  } catch (const ETavoError& e) {
    EXPECT_NE(std::string(e.what()).find("フォルダー \"" + Folder() + "\" を作れません"),
              std::string::npos)
        << e.what();
  }
  EXPECT_EQ(ReadBytes(Folder()), Bytes{'x'});
}

TEST_F(DollFolderTest, MissingSamplesAreReportedByName) {
  fs::remove(Samples("テクスチャ.bmp"));
  try {
    PrepareDollFolder(Folder(), FScratch.Path("samples"));
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_NE(std::string(e.what()).find(Samples("テクスチャ.bmp")), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(InFolder("テクスチャ.bmp")));
}

// The `kavinel` command stays in a folder with either picture, so that the program names
// the one that is missing, and leaves one with neither for ~/Kavinel.
TEST(HoldsDollTest, EitherPictureMakesADollFolder) {
  struct Row {
    std::vector<std::string> files;
    bool holds;
  };
  const Row rows[] = {
      {{}, false},
      {{"out00.bmp", "shape.bmp", "テクスチャ.BMP"}, false},
      {{"シェイプ.bmp", "テクスチャ.bmp"}, true},
      {{"シェイプ.bmp"}, true},
      {{"テクスチャ.bmp"}, true},
      {{"テクスチャ.bmp/"}, true},  // a folder under the name: the program reports it
  };
  for (const Row& row : rows) {
    ScratchFolder scratch;
    for (const std::string& name : row.files) {
      if (name.ends_with('/'))
        fs::create_directory(scratch.Path(name));
      else
        WriteBytes(scratch.Path(name), {'x'});
    }
    EXPECT_EQ(HoldsDoll(scratch.Path("")), row.holds) << ::testing::PrintToString(row.files);
  }
}

TEST(DollFolderPathTest, LiesInTheHomeFolder) {
  const char* saved = std::getenv("HOME");
  const std::string previous = saved ? saved : "";
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(DollFolderPath(), "/home/someone/Kavinel");
  setenv("HOME", previous.c_str(), 1);
}

}  // namespace
