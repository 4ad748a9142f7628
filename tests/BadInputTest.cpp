// Every kind of bad input the README's table lists, tried on the running program: what the
// user is told, and that the program goes on and no file is lost or left half-written.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <filesystem>

#include "DollModel.h"
#include "MessageBoxWatcher.h"
#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "scene/Scene.h"
#include "scene/UnitForm.h"

namespace {

using Picture = std::vector<std::vector<Pixel24>>;

std::vector<int> Bulge() {
  std::vector<int> radii(200);
  for (int y = 0; y < 200; ++y) radii[y] = y < 100 ? 20 + y / 2 : 70 - (y - 100) / 4;
  return radii;
}

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    Direction = DirectionClockwise;
    WriteBytes(ShapeFileName, ShapeBmp(Bulge()));
    WriteBytes(TextureFileName, Bmp24(RandomTexture(3)));
    form = std::make_unique<TFormMain>();
    QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
    FrameTick();
  }
  void TearDown() override {
    SetFileOutputFunctions(nullptr, nullptr);
    form.reset();
  }

  // Replaces `file` by `bytes` (or by a folder), presses Load, and returns the message.
  std::string LoadWith(const std::string& file, const Bytes* bytes) {
    std::filesystem::remove_all(file);
    if (bytes) {
      WriteBytes(file, *bytes);
    } else {
      std::filesystem::create_directory(file);
    }
    return CloseNextMessageBox([&] { form->BtnLoad->click(); }).Text.toStdString();
  }
  // The doll is as it was and still turns.
  void ExpectUnharmed(const DollProfile& profile, const Picture& skin) {
    EXPECT_EQ(DisplayedProfile, profile);
    EXPECT_TRUE(PixelsAre(*Texture, skin));
    const int before = RotationOffset;
    FrameTick();
    EXPECT_EQ(RotationOffset, (before + 248) % 250);
  }
  Picture Skin() const {
    Picture p(200, std::vector<Pixel24>(250));
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 250; ++x) p[y][x] = Texture->Rows[y][x];
    return p;
  }

  ScratchFolder folder{true};
  std::unique_ptr<TFormMain> form;
};

struct Case {
  const char* What;
  Bytes File;
  const char* Says;
};

std::vector<Case> BadImages() {
  Bytes good = ShapeBmp(Bulge());
  Bytes cutHeader(good.begin(), good.begin() + 30);
  Bytes cutPixels(good.begin(), good.end() - 1);
  Bytes wrong = good;
  wrong[0] = 'X';
  BmpParts huge;
  huge.Width = 30000;
  huge.Height = 30000;
  return {{"empty file", {}, "ヘッダーが途中で切れています"},
          {"wrong signature", wrong, "BM で始まっていません"},
          {"truncated header", cutHeader, "ヘッダーが途中で切れています"},
          {"truncated pixel data", cutPixels, "画素データが途中で切れています"},
          {"absurd dimensions", BuildBmp(huge), "画像が大きすぎます (30000 × 30000)"},
          {"a JPEG under a .bmp name", EncodeJpeg(8, 8, true, Bytes(64, 100)),
           "BM で始まっていません"}};
}

TEST_F(BadInput, ABadShapeImageIsReportedAndTheDollStaysAsItWas) {
  const DollProfile profile = DisplayedProfile;
  const Picture skin = Skin();
  for (const Case& bad : BadImages()) {
    const std::string says = LoadWith(ShapeFileName, &bad.File);
    EXPECT_NE(says.find(ShapeFileName), std::string::npos) << bad.What << ": " << says;
    EXPECT_NE(says.find(bad.Says), std::string::npos) << bad.What << ": " << says;
    ExpectUnharmed(profile, skin);
  }
  EXPECT_NE(LoadWith(ShapeFileName, nullptr).find("フォルダーです"), std::string::npos);
  std::filesystem::remove_all(ShapeFileName);
  const std::string missing =
      CloseNextMessageBox([&] { form->BtnLoad->click(); }).Text.toStdString();
  EXPECT_NE(missing.find("を開けません"), std::string::npos) << missing;
  const Bytes narrow = ShapeBmp(Bulge(), 99);
  EXPECT_NE(LoadWith(ShapeFileName, &narrow).find("99 × 200 ピクセルです"), std::string::npos);
  ExpectUnharmed(profile, skin);
}

TEST_F(BadInput, ABadTextureIsReportedAndTheDollKeepsItsSkin) {
  const DollProfile profile = DisplayedProfile;
  const Picture skin = Skin();
  for (const Case& bad : BadImages()) {
    const std::string says = LoadWith(TextureFileName, &bad.File);
    EXPECT_NE(says.find(TextureFileName), std::string::npos) << bad.What << ": " << says;
    EXPECT_NE(says.find(bad.Says), std::string::npos) << bad.What << ": " << says;
    ExpectUnharmed(profile, skin);
  }
  const Bytes small = Bmp24(Picture(199, std::vector<Pixel24>(250, KeyColour)));
  EXPECT_NE(LoadWith(TextureFileName, &small).find("250 × 199 ピクセルです"), std::string::npos);
  ExpectUnharmed(profile, skin);
}

// A read-only folder: existing names are taken, new ones cannot be made.
int ReadOnlyOpen(const char* path, int, mode_t) {
  errno = ::access(path, F_OK) == 0 ? EEXIST : EROFS;
  return -1;
}
ssize_t FullDiskWrite(int, const void*, std::size_t size) {
  static bool first = true;  // half the sheet goes in, then the disk is full
  first = !first;
  if (!first) return static_cast<ssize_t>(size / 2);
  errno = ENOSPC;
  return -1;
}

TEST_F(BadInput, ASaveThatCannotWriteIsReportedAndLeavesNoFileBehind) {
  WriteBytes("out00.bmp", {'o', 'l', 'd'});
  SetFileOutputFunctions(ReadOnlyOpen, nullptr);
  std::string says = CloseNextMessageBox([&] { form->BtnSave->click(); }).Text.toStdString();
  EXPECT_NE(says.find("out01.bmp"), std::string::npos) << says;
  EXPECT_NE(says.find("を書き込めません"), std::string::npos) << says;

  SetFileOutputFunctions(nullptr, FullDiskWrite);
  says = CloseNextMessageBox([&] { form->BtnSave->click(); }).Text.toStdString();
  EXPECT_NE(says.find("out01.bmp"), std::string::npos) << says;
  EXPECT_FALSE(std::filesystem::exists("out01.bmp"));         // no half-written sheet
  EXPECT_EQ(ReadBytes("out00.bmp"), (Bytes{'o', 'l', 'd'}));  // nothing replaced
  SetFileOutputFunctions(nullptr, nullptr);
  form->BtnSave->click();
  EXPECT_TRUE(std::filesystem::exists("out01.bmp"));
  ExpectUnharmed(DisplayedProfile, Skin());
}

TEST_F(BadInput, AReadOnlyFolderRefusesTheSave) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders; see the test above";
  std::filesystem::permissions(".", std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const std::string says = CloseNextMessageBox([&] { form->BtnSave->click(); }).Text.toStdString();
  std::filesystem::permissions(".", std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  EXPECT_NE(says.find("out00.bmp"), std::string::npos) << says;
  EXPECT_FALSE(std::filesystem::exists("out00.bmp"));
}

}  // namespace
