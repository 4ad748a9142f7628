// Every kind of bad input the README's table lists, tried on the running program: what the
// user is told, and that the program goes on and no file is lost or left half-written.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
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
    WriteBytes(ShapeFileName, ShapeBmp(Bulge()));
    WriteBytes(TextureFileName, Bmp24(RandomTexture(3)));
    form = std::make_unique<TFormMain>();
    QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
    Doll().Direction = DirectionClockwise;  // as a new window's doll turns
    form->Scene->FrameTick();
  }
  void TearDown() override {
    SetFileOutputFunctions(nullptr, nullptr);
    form.reset();
  }

  TDoll& Doll() const { return form->Scene->Doll; }

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
    EXPECT_EQ(Doll().View.DisplayedProfile, profile);
    EXPECT_TRUE(PixelsAre(Doll().Texture, skin));
    const int before = Doll().RotationOffset;
    form->Scene->FrameTick();
    EXPECT_EQ(Doll().RotationOffset, (before + 248) % 250);
  }
  Picture Skin() const {
    Picture p(200, std::vector<Pixel24>(250));
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 250; ++x) p[y][x] = Doll().Texture.Rows[y][x];
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
          {"absurd dimensions", BuildBmp(huge), "絵が大きすぎます (30000 × 30000)"},
          {"a JPEG under a .bmp name", EncodeJpeg(8, 8, true, Bytes(64, 100)),
           "BM で始まっていません"}};
}

TEST_F(BadInput, ABadShapeImageIsReportedAndTheDollStaysAsItWas) {
  const DollProfile profile = Doll().View.DisplayedProfile;
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
  const DollProfile profile = Doll().View.DisplayedProfile;
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
  const DollProfile profile = Doll().View.DisplayedProfile;
  const Picture skin = Skin();
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
  ExpectUnharmed(profile, skin);
}

// Root writes into read-only folders, so this saves as `nobody`, in a child process that
// only renders and writes the sheet: no widget, no message box (Qt is not made to go on in
// a forked child), and _exit, running none of the parent's destructors or exit handlers.
// Returns the error's text.
std::string SaveAsNobody(TScene& scene) {
  const passwd* nobody = ::getpwnam("nobody");
  if (!nobody) return "there is no user nobody";
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  int ends[2];
  if (::pipe(ends) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ends[0]);
    ::alarm(10);  // a save that never ends would otherwise hold the parent's read forever
    std::string said = "could not become nobody";
    if (::setgroups(0, nullptr) == 0 && ::setresgid(gid, gid, gid) == 0 &&
        ::setresuid(uid, uid, uid) == 0) {
      try {
        said = "saved " + scene.SaveViews();
      } catch (const ETavoError& e) {
        said = e.what();
      }
    }
    const ssize_t wrote = ::write(ends[1], said.data(), said.size());
    ::_exit(wrote == static_cast<ssize_t>(said.size()) ? 0 : 1);
  }
  ::close(ends[1]);
  std::string said;
  char buffer[256];
  for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) said.append(buffer, got);
  ::close(ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) said += " (the child failed)";
  return said;
}

TEST_F(BadInput, AReadOnlyFolderRefusesTheSave) {
  namespace fs = std::filesystem;
  fs::permissions(".", static_cast<fs::perms>(0555));  // anyone may look in, no one write
  const std::string says =
      ::geteuid() == 0 ? SaveAsNobody(*form->Scene)
                       : CloseNextMessageBox([&] { form->BtnSave->click(); }).Text.toStdString();
  fs::permissions(".", fs::perms::owner_all, fs::perm_options::add);
  // The sheet is the doll folder's own file, named by its path.
  EXPECT_NE(says.find("\"out00.bmp\" を書き込めません"), std::string::npos) << says;
  EXPECT_FALSE(fs::exists("out00.bmp"));
}

}  // namespace
