// The menu launcher's folder: made on the first start with the sample doll in it, and never
// a file replaced that is there already.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "framework/TavoErrors.h"
#include "platform/DollFolder.h"

namespace fs = std::filesystem;

namespace {

// The sample: the outer doll, inner dolls at levels 2, 3 and 10, and names no level has.
const std::vector<std::string> SamplePictures = {"シェイプ.bmp",    "テクスチャ.bmp",
                                                 "シェイプ2.bmp",   "テクスチャ2.bmp",
                                                 "テクスチャ3.bmp", "シェイプ10.bmp"};
const std::vector<std::string> NotLevelPictures = {"シェイプ1.bmp", "シェイプ02.bmp",
                                                   "テクスチャ2.png", "シェイプx.bmp", "notes.txt"};

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

class DollFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each sample file holds its own name, so a copy shows where it came from.
    for (const auto& names : {SamplePictures, NotLevelPictures})
      for (const std::string& name : names)
        WriteBytes(Samples(name), Bytes(name.begin(), name.end()));
  }
  std::string Samples(const std::string& name) const {
    fs::create_directories(FScratch.Path("samples"));
    return FScratch.Path("samples/" + name);
  }
  std::string Folder() const { return FScratch.Path("home/Kavinel"); }
  std::string InFolder(const std::string& name) const { return Folder() + "/" + name; }

  ScratchFolder FScratch;
};

// Each of the outer doll's pictures is copied where it is missing, the inner dolls' only into
// a folder that held neither (a first start), and nothing there is ever replaced.
TEST_F(DollFolderTest, InnerDollsComeOnlyWithAFirstStart) {
  struct Row {
    std::vector<std::string> there;  // the person's files, before
    std::vector<std::string> copied;
  };
  const Row rows[] = {
      {{}, SamplePictures},  // no folder yet
      {{"out00.bmp"}, SamplePictures},
      {{"シェイプ2.bmp"},
       {"シェイプ.bmp", "テクスチャ.bmp", "テクスチャ2.bmp", "テクスチャ3.bmp", "シェイプ10.bmp"}},
      {{"シェイプ.bmp", "out00.bmp"}, {"テクスチャ.bmp"}},
      {{"テクスチャ.bmp"}, {"シェイプ.bmp"}},
      {{"シェイプ.bmp", "テクスチャ.bmp"}, {}},
      {SamplePictures, {}},  // a second start
  };
  int home = 0;
  for (const Row& row : rows) {
    const std::string folder = FScratch.Path("home" + std::to_string(++home));
    if (!row.there.empty()) fs::create_directories(folder);
    for (const std::string& name : row.there) WriteBytes(folder + "/" + name, {'m', 'i', 'n', 'e'});
    PrepareDollFolder(folder, FScratch.Path("samples"));
    const std::string trace = ::testing::PrintToString(row.there);
    for (const std::string& name : row.there)
      EXPECT_EQ(ReadBytes(folder + "/" + name), (Bytes{'m', 'i', 'n', 'e'}))
          << trace << ": " << name;
    for (const std::string& name : row.copied)
      EXPECT_EQ(ReadBytes(folder + "/" + name), ReadBytes(Samples(name))) << trace << ": " << name;
    std::set<std::string> all(row.there.begin(), row.there.end());
    all.insert(row.copied.begin(), row.copied.end());
    EXPECT_EQ(FilesIn(folder), all) << trace;
  }
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
