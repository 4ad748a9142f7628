// A doll shared as one file: written from the working folder, opened into a folder of its own
// in ~/Kavinel, every picture as it was; and doll files that are refused, leaving nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "MessageBoxWatcher.h"
#include "SampleDollWindow.h"
#include "TestFiles.h"
#include "doll/Resampler.h"
#include "dollfile/DollExport.h"
#include "dollfile/DollUnpack.h"
#include "framework/TavoDesktop.h"
#include "scene/Scene.h"

namespace {

namespace fs = std::filesystem;

QImage FrontNow(TDoll& doll) {
  RenderView(doll.View, doll.Texture, doll.View.FrontView, doll.RotationOffset, doll.ShadeLevel);
  return doll.View.FrontView.copy();
}

class DollFile : public SampleDollWindow {
 protected:
  void SetUp() override {
    SampleDollWindow::SetUp();
    for (const char* level :
         {"シェイプ2.bmp", "テクスチャ2.bmp", "シェイプ3.bmp", "テクスチャ3.bmp"})
      fs::copy_file(fs::path(KAVINEL_SAMPLES) / level, level);
    form->BtnLoad->click();
    home = homeFolder.Path("");
    setenv("HOME", home.c_str(), 1);
  }
  void TearDown() override {
    setenv("HOME", saved.c_str(), 1);
    SampleDollWindow::TearDown();
  }
  fs::path Kavinel() const { return home / "Kavinel"; }
  // The folder of the doll the window shows.
  fs::path Shown() const { return form->Scene->Folder(); }

  std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
  ScratchFolder homeFolder;
  fs::path home;
};

TEST_F(DollFile, ADollWrittenAndOpenedAgainIsEveryPictureAsItWasInAFolderOfItsOwn) {
  const fs::path origin = fs::current_path();
  const TFolder pictures = FolderFiles();
  const QImage shown = FrontNow(Doll());
  ExportDoll(form->Scene->Folder(), "セット.kavinel", false);
  EXPECT_THROW(ExportDoll(form->Scene->Folder(), "セット.kavinel", false),
               EFCreateError);  // never replaced
  const Bytes written = ReadBytes("セット.kavinel");
  // From the menu: the dialog suggests the folder's name, and asks before it replaces a file.
  QString suggested;
  SetSaveDialog([&](QWidget*, const QString&, const QString& name, const QString&, const QString&) {
    suggested = name;
    return QString::fromStdString(fs::absolute("セット.kavinel").string());
  });
  // Done, it says where the file went, and shows that folder when asked.
  QString note, opened;
  SetFolderOpener([&](const QString& folder) { return opened = folder, true; });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    note = box->text();
    for (QAbstractButton* button : box->buttons())
      if (box->buttonRole(button) == QMessageBox::ActionRole) button->click();
  });
  poll.start(5);
  form->ExportClick();
  SetSaveDialog(nullptr);
  SetFolderOpener(nullptr);
  EXPECT_EQ(suggested.toStdString(), (origin / (origin.filename().string() + ".kavinel")).string());
  EXPECT_EQ(ReadBytes("セット-01.kavinel"), written);
  EXPECT_TRUE(note.endsWith(QString::fromStdString(fs::absolute("セット.kavinel").string())));
  EXPECT_EQ(opened.toStdString(), origin.string());
  // Opened twice, one folder; again once its copy was painted, or differing in a byte, a new one.
  const auto painted = [](const fs::path& skin) {
    Bytes bytes = ReadBytes(skin);
    bytes.back() ^= 1;
    return bytes;
  };
  const Bytes otherSkin = painted("テクスチャ.bmp");
  const TBytes other =
      PackDoll({{"シェイプ.bmp", ReadBytes("シェイプ.bmp")}, {"テクスチャ.bmp", otherSkin}}, {});
  WriteBytes("other.kavinel", Bytes(other.begin(), other.end()));
  for (const char* folder : {"セット", "セット", "セット-2", "other"}) {
    fs::current_path(origin);
    if (folder == std::string("other")) {
      form->Scene->OpenDollFile("other.kavinel");
      EXPECT_EQ(Shown(), Kavinel() / folder);
      EXPECT_EQ(ReadBytes(Shown() / "テクスチャ.bmp"), otherSkin);
      continue;
    }
    if (folder == std::string("セット-2")) {
      const fs::path copy = Kavinel() / "セット" / "テクスチャ.bmp";
      WriteBytes(copy, painted(copy));
    }
    if (!fs::exists(Kavinel() / "セット")) {
      form->Scene->OpenDollFile("セット.kavinel");
    } else {
      SetFileDialog([](QWidget*, const QString&, const QString&, const QString&) {
        return QString::fromStdString(fs::absolute("セット.kavinel").string());
      });
      form->OpenDollFileClick();
      SetFileDialog(nullptr);
    }
    EXPECT_EQ(Shown(), Kavinel() / folder);
    EXPECT_EQ(FolderFiles(Shown()), pictures);
    EXPECT_TRUE(FrontNow(Doll()) == shown);
    EXPECT_EQ(Doll().DollLevel, 1);
  }
}

TEST_F(DollFile, AFileThatIsRefusedNamesItselfAndLeavesNothing) {
  WriteBytes("short.bmp", ShapeBmp(std::vector<int>(199, 50)));
  const auto packed = [](std::vector<TDollPicture> pictures) {
    const TBytes bytes = PackDoll(pictures, {});
    return Bytes(bytes.begin(), bytes.end());
  };
  const TDollPicture shape{"シェイプ.bmp", ReadBytes("シェイプ.bmp")};
  const TDollPicture skin{"テクスチャ.bmp", ReadBytes("テクスチャ.bmp")};
  const Bytes whole = packed({shape, skin});
  const struct {
    const char* Name;
    Bytes File;
    const char* Says;
  } rows[] = {
      {"a picture", ReadBytes("シェイプ.bmp"), ""},
      {"cut short", Bytes(whole.begin(), whole.begin() + whole.size() / 2), ""},
      {"no skin", packed({shape}), "テクスチャ.bmp"},
      {"a short outline", packed({{"シェイプ.bmp", ReadBytes("short.bmp")}, skin}), "シェイプ.bmp"},
      {"a bad level skin", packed({shape, skin, {"テクスチャ2.bmp", {'B', 'M'}}}),
       "テクスチャ2.bmp"},
      {"a name out of the folder", packed({{"../シェイプ.bmp", shape.Bytes}, shape, skin}), ".."},
  };
  const TFolder here = FolderFiles();
  setenv("HOME", (home / "missing" / "home").c_str(), 1);  // made for the file, and only for it
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    WriteBytes("bad.kavinel", row.File);
    const SeenMessageBox seen =
        CloseNextMessageBox([&] { form->OpenDollFileNamed("bad.kavinel"); });
    EXPECT_TRUE(seen.Text.contains("bad.kavinel")) << seen.Text.toStdString();
    EXPECT_TRUE(seen.Text.contains(row.Says)) << seen.Text.toStdString();
    EXPECT_FALSE(fs::exists(home / "missing")) << "a folder was left";
    TFolder now = FolderFiles();
    now.erase("bad.kavinel");
    EXPECT_EQ(now, here);
  }
}

TEST(DollFolderName, IsAPlainNameThatCanNameNothingElse) {
  const std::pair<std::string, std::string> rows[] = {
      {"/a/b/人形セット.kavinel", "人形セット"},
      {"Set.KAVINEL", "Set"},
      {"set.kavinel.kavinel", "set.kavinel"},
      {"..x.kavinel", "x"},
      {"-.-x.kavinel", "x"},
      {".kavinel", "人形"},
      {"...", "人形"},
      {"a\tb\u202Ec.kavinel", "a_b_c"},
      {"bad\xff.kavinel", "bad_"},
      {"シェイプ.bmp.kavinel", "シェイプ.bmp-人形"},
      {"x.NEW.kavinel", "x.NEW-人形"},
      {std::string(300, 'a') + ".kavinel", std::string(200, 'a')},
      {std::string(199, 'a') + "あ.kavinel", std::string(199, 'a')},
  };
  for (const auto& [file, folder] : rows) EXPECT_EQ(DollFolderName(file), folder) << file;
}

}  // namespace
