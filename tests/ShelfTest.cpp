// The shelf of dolls in a scratch ~/Kavinel: what it lists, showing each doll, its actions and
// their undo, byte for byte; and the doll that follows its files when another program writes.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QTranslator>
#include <QtTest/QTest>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "MessageBoxWatcher.h"
#include "SampleDollWindow.h"
#include "TestFiles.h"
#include "doll/Nest.h"
#include "doll/Opening.h"
#include "dollfile/DollExport.h"
#include "framework/TavoDesktop.h"
#include "framework/TavoTimer.h"
#include "framework/Translation.h"
#include "platform/DollShelf.h"
#include "platform/Settings.h"
#include "platform/ShelfIndex.h"
#include "scene/PaintSession.h"
#include "scene/Scene.h"

namespace {

namespace fs = std::filesystem;

class Shelf : public SampleDollWindow {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
      saved.emplace_back(name, std::getenv(name) ? std::getenv(name) : "");
      setenv(name, (home / name).c_str(), 1);
      fs::create_directories(home / name);
    }
    fs::create_directories(shelf);
    SampleDollWindow::SetUp();
  }
  void TearDown() override {
    SampleDollWindow::TearDown();
    for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
  }
  // A doll folder of the sample's outline and `skin`.
  fs::path MakeDoll(const fs::path& folder, const Bytes& skin) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a change time of its own
    fs::create_directories(folder);
    WriteBytes(folder / ShapeFileName, ReadBytes(fs::path(KAVINEL_SAMPLES) / ShapeFileName));
    WriteBytes(folder / TextureFileName, skin);
    return folder;
  }
  // The folder of the doll the window shows.
  fs::path Shown() const { return form->Scene->Folder(); }
  bool ShowsSkin(const QImage& skin) const {
    return static_cast<const QImage&>(*Doll().Nest.at(1).Skin) == skin;
  }
  bool ShowsSkin(const fs::path& folder) const;
  QImage Shows(const fs::path& folder) const;
  // The editor of the chosen doll's name, when it is open.
  QLineEdit* Editor() const {
    return qobject_cast<QLineEdit*>(
        form->Shelf->List->indexWidget(form->Shelf->List->currentIndex()));
  }
  // Types `name` as the chosen doll's name and presses Return; the message it brought.
  SeenMessageBox TypeName(const QString& name) {
    // Typed in the active shelf, as a person types: the shelf is not read again meanwhile.
    form->Shelf->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form->Shelf));
    form->Shelf->List->editItem(form->Shelf->List->currentItem());
    QLineEdit* editor = Editor();
    editor->setText(name);
    QTest::qWait(4 * FrameInterval);  // the chosen doll turns meanwhile
    // The editor hands its name over once back in the event loop.
    const SeenMessageBox seen = CloseNextMessageBox([&] {
      QTest::keyClick(editor, Qt::Key_Return);
      QCoreApplication::processEvents();
    });
    QCoreApplication::processEvents();
    return seen;
  }
  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    for (int row = 0; row < form->Shelf->List->count(); ++row)
      names.push_back(form->Shelf->List->item(row)->text().toStdString());
    return names;
  }

  ScratchFolder scratch;
  fs::path home = scratch.Path("home");
  fs::path shelf = home / "HOME" / "Kavinel";
  std::vector<std::pair<std::string, std::string>> saved;
  const Bytes sampleSkin = ReadBytes(fs::path(KAVINEL_SAMPLES) / TextureFileName);
  const Bytes otherSkin = ReadBytes(fs::path(KAVINEL_SAMPLES) / "テクスチャ2.bmp");
};

QImage Skin(const fs::path& file) {
  return *ReadSkin(file);
}

bool Shelf::ShowsSkin(const fs::path& folder) const {
  return ShowsSkin(Skin(folder / TextureFileName));
}

TEST_F(Shelf, ListsExactlyTheDollsNewestFirstAndShowsEachOrSaysWhyNot) {
  MakeDoll(shelf, sampleSkin);
  const fs::path elsewhere = MakeDoll(home / "elsewhere", otherSkin);
  fs::create_symlink(elsewhere, shelf / "link");
  fs::create_directories(shelf / "nothing");
  WriteBytes(shelf / "file", {1});
  MakeDoll(shelf / ".kavinel-abcdef", otherSkin);
  MakeDoll(shelf / "b", otherSkin);
  MakeDoll(shelf / "a", sampleSkin);
  MakeDoll(shelf / "ctl\x01name", otherSkin);
  MakeDoll(shelf / "broken", sampleSkin);
  WriteBytes(shelf / "broken" / ShapeFileName, {'B', 'M', 0});
  form->ShelfClick();
  EXPECT_EQ(Listed(), (std::vector<std::string>{"わたしの人形", "broken", "ctl_name", "a", "b"}));
  // The pictures, made once, are kept: the next listing has every one.
  ASSERT_LE(form->Shelf->PicturesInMaking(), 5u);
  form->Shelf->FinishPictures();
  EXPECT_EQ(form->Shelf->PicturesInMaking(), 0u);
  form->Shelf->Refresh();
  EXPECT_EQ(form->Shelf->PicturesInMaking(), 0u);
  const struct {
    int Row;
    fs::path Folder;
    bool Readable;
  } rows[] = {{4, shelf / "b", true},
              {0, shelf, true},
              {1, shelf / "broken", false},
              {2, shelf / "ctl\x01name", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Folder);
    const fs::path before = Shown();
    const TFolder nothing;
    form->Shelf->List->setCurrentRow(row.Row);
    const SeenMessageBox seen = CloseNextMessageBox([&] { form->Shelf->ShowAction->trigger(); });
    EXPECT_EQ(seen.Shown, !row.Readable);
    EXPECT_EQ(Shown(), row.Readable ? row.Folder : before);
    EXPECT_EQ(seen.Text.contains("シェイプ.bmp"), !row.Readable);
    EXPECT_TRUE(ShowsSkin(Shown()));
    EXPECT_EQ(form->Shelf->List->item(row.Row)->font().bold(), row.Readable);
    EXPECT_EQ(RememberedDoll(shelf.string()), Shown());
  }
}

TEST_F(Shelf, ActionsAndTheirUndoKeepEveryFile) {
  MakeDoll(shelf, sampleSkin);
  MakeDoll(shelf / "a", sampleSkin);
  MakeDoll(shelf / "b", otherSkin);
  WriteBytes(shelf / "a" / "out00.bmp", {1});
  WriteBytes(shelf / "a" / "テクスチャ-01.bmp", {2});
  const auto a = FolderFiles(shelf / "a");
  form->ShelfClick();
  TShelfWindow& window = *form->Shelf;
  const auto choose = [&](const fs::path& folder) { window.Choose(folder.string()); };
  const auto rename = [&](const char* name) {
    return CloseNextMessageBox([&] {
      window.List->currentItem()->setText(name);
      QCoreApplication::processEvents();
    });
  };
  choose(shelf / "a");
  EXPECT_TRUE(rename("b").Text.contains("\"b\""));                  // taken
  EXPECT_TRUE(rename("a.kavinel").Text.contains("\"a.kavinel\""));  // a doll file's could not
  EXPECT_EQ(FolderFiles(shelf / "a"), a);
  EXPECT_FALSE(rename("c").Shown);
  EXPECT_EQ(FolderFiles(shelf / "c"), a);
  window.DuplicateAction->trigger();
  auto copy = a;
  copy.erase("out00.bmp");
  copy.erase("テクスチャ-01.bmp");
  EXPECT_EQ(FolderFiles(shelf / "c-2"), copy);
  choose(shelf / "b");
  window.TrashAction->trigger();
  EXPECT_FALSE(fs::exists(shelf / "b"));
  const fs::path trash = home / "XDG_DATA_HOME" / "Trash";
  EXPECT_TRUE(fs::exists(trash / "files" / "b" / TextureFileName));
  window.UndoAction->trigger();  // the trash
  EXPECT_EQ(ReadBytes(shelf / "b" / TextureFileName), otherSkin);
  EXPECT_FALSE(fs::exists(trash / "info" / "b.trashinfo"));
  window.UndoAction->trigger();  // the duplicate, to the trash
  EXPECT_FALSE(fs::exists(shelf / "c-2"));
  EXPECT_EQ(FolderFiles(trash / "files" / "c-2"), copy);
  window.UndoAction->trigger();  // the rename
  EXPECT_EQ(FolderFiles(shelf / "a"), a);
  EXPECT_FALSE(window.UndoAction->isEnabled());
  // The doll shown and My Doll stay.
  choose(shelf / "a");
  window.ShowAction->trigger();
  for (const fs::path& folder : {shelf, shelf / "a"}) {
    choose(folder);
    EXPECT_FALSE(window.TrashAction->isEnabled());
  }
  // A new doll is shown at once; its undo shows the doll shown before, then trashes it.
  window.NewAction->trigger();
  const fs::path made = Shown();
  ASSERT_EQ(made.parent_path(), shelf);
  window.UndoAction->trigger();
  EXPECT_EQ(Shown(), shelf / "a");
  EXPECT_TRUE(ShowsSkin(shelf / "a"));
  EXPECT_FALSE(fs::exists(made));
  EXPECT_EQ(ReadBytes(trash / "files" / made.filename() / TextureFileName), sampleSkin);
}

// The shelf shows each name once, in the language of the moment: "My Doll" is ~/Kavinel's.
TEST_F(Shelf, NewDuplicatedAndRenamedDollsNeverTakeANameTheShelfShowsOrAFolderHas) {
  MakeDoll(shelf, sampleSkin);
  MakeDoll(shelf / "a", sampleSkin);
  fs::create_directories(shelf / "人形");  // no doll, but a folder
  form->ShelfClick();
  TShelfWindow& window = *form->Shelf;
  const auto act = [&](const fs::path& chosen, QAction* action) {
    return [&window, chosen, action] {
      window.Choose(chosen.string());
      action->trigger();
      return SeenMessageBox();
    };
  };
  const auto rename = [&](const char* name) {
    return [this, &window, name] {
      window.Choose((shelf / "a").string());
      const SeenMessageBox seen = TypeName(QString::fromUtf8(name));
      if (Editor()) QTest::keyClick(Editor(), Qt::Key_Escape);
      return seen;
    };
  };
  const struct {
    const char* Language;
    std::function<SeenMessageBox()> Act;
    const char* Chosen;  // the folder of the doll chosen after it
    bool Refused;
  } rows[] = {
      {"en-US", act(shelf, window.DuplicateAction), "My Doll-2", false},
      {"en-US", act(shelf, window.NewAction), "Doll", false},
      {"en-US", act(shelf, window.NewAction), "Doll-2", false},
      {"en-US", act(shelf / "Doll", window.DuplicateAction), "Doll-3", false},
      {"ja-JP", act(shelf, window.DuplicateAction), "わたしの人形-2", false},
      {"ja-JP", act(shelf, window.NewAction), "人形-2", false},
      {"en-US", rename("My Doll"), "a", true},
      {"ja-JP", rename("わたしの人形"), "a", true},
      {"ja-JP", rename("人形"), "a", true},
      {"ja-JP", rename("Doll-2"), "a", true},
      {"ja-JP", rename("c"), "c", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.Language) + " " + row.Chosen);
    UseDesktopLanguage(row.Language);
    EXPECT_EQ(row.Act().Shown, row.Refused);
    EXPECT_EQ(fs::path(window.ChosenFolder()).filename().string(), row.Chosen);
    const std::vector<std::string> names = Listed();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  }
  for (QTranslator* installed : qApp->findChildren<QTranslator*>())
    QCoreApplication::removeTranslator(installed);
}

TEST_F(Shelf, ARefusedNameStaysInItsEditorAndEscapeClosesTheEditorThenTheShelf) {
  MakeDoll(shelf / "a", sampleSkin);
  MakeDoll(shelf / "b", sampleSkin);
  form->ShelfClick();
  TShelfWindow& window = *form->Shelf;
  window.Choose((shelf / "a").string());
  EXPECT_TRUE(TypeName("b").Shown);
  ASSERT_TRUE(Editor());
  EXPECT_EQ(Editor()->text(), "b");
  QTest::keyClick(Editor(), Qt::Key_Escape);
  EXPECT_FALSE(Editor());
  EXPECT_EQ(window.List->currentItem()->text(), "a");
  EXPECT_TRUE(window.isVisible());
  QTest::keyClick(window.List, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(fs::exists(shelf / "a"));
}

// Run on two screens (TwoScreens.json): the offscreen platform's one screen of 800 × 600 has
// no room beside the window, and there the window system places them.
TEST_F(Shelf, TheShelfAndTheToolWindowOpenBesideTheViewsAndTheShelfsMessagesOverIt) {
  if (QGuiApplication::screens().size() < 2) GTEST_SKIP() << "run by the test windows_beside";
  MakeDoll(shelf / "a", sampleSkin);
  MakeDoll(shelf / "b", sampleSkin);
  form->ShelfClick();
  form->Shelf->Choose((shelf / "a").string());
  const SeenMessageBox taken = TypeName("b");
  EXPECT_TRUE(taken.Shown);
  EXPECT_TRUE(form->Shelf->frameGeometry().contains(taken.Frame.center()));
  form->PaintClick();
  for (const QWidget* window :
       std::initializer_list<const QWidget*>{form->Shelf, form->PaintTools}) {
    SCOPED_TRACE(window->windowTitle().toStdString());
    ASSERT_TRUE(window->isVisible());
    const QRect frame = window->frameGeometry();
    EXPECT_TRUE(form->screen()->availableGeometry().contains(frame));
    for (const QWidget* view : {form->PaintBox1, form->PaintBox2})
      EXPECT_FALSE(frame.intersects({view->mapToGlobal(QPoint()), view->size()}));
  }
}

// The doll shown follows its files: the watcher's events are delivered by the test.
TEST_F(Shelf, APictureWrittenByAnotherProgramIsShownWholeAndOwnWritesAreNotRead) {
  const Bytes skin = ReadBytes(TextureFileName);
  const QImage other = Skin(fs::path(KAVINEL_SAMPLES) / "テクスチャ2.bmp");
  const std::vector<std::function<void()>> steps[] = {
      {[&] {  // written whole beside it and renamed into place
        WriteBytes("new.bmp", otherSkin);
        fs::rename("new.bmp", TextureFileName);
      }},
      {[&] { WriteBytes(TextureFileName, Bytes(otherSkin.begin(), otherSkin.begin() + 9000)); },
       [&] { WriteBytes(TextureFileName, otherSkin); }},
  };
  for (const auto& write : steps) {
    WriteBytes(TextureFileName, skin);
    form->BtnLoad->click();
    for (std::size_t step = 0; step < write.size(); ++step) {
      write[step]();
      EXPECT_FALSE(CloseNextMessageBox([&] { form->DollWatcher->Check(); }).Shown);
      EXPECT_EQ(ShowsSkin(other), step + 1 == write.size());
    }
  }
  // The program's own write is not read: the doll shown keeps its skin though the file changed.
  ReplaceKeepingOld(TextureFileName, skin.data(), skin.size());
  form->DollWatcher->Check();
  EXPECT_TRUE(ShowsSkin(other));
  // Another program's save after it is read: the program's write does not hide later ones.
  WriteBytes("new.bmp", skin);
  fs::rename("new.bmp", TextureFileName);
  form->DollWatcher->Check();
  EXPECT_TRUE(ShowsSkin(Skin(TextureFileName)));
  // A painting under way keeps its strokes; its write keeps the outside version.
  form->BtnLoad->click();
  TPaintSession& painting = form->Scene->Painting;
  painting.BeginPainting();
  ASSERT_TRUE(painting.BeginStroke({{100, 100}}));
  painting.EndStroke(true);
  WriteBytes("new.bmp", otherSkin);
  fs::rename("new.bmp", TextureFileName);
  form->DollWatcher->Check();
  EXPECT_TRUE(painting.PaintingOn());
  EXPECT_FALSE(ShowsSkin(other));
  form->StopPainting();
  EXPECT_EQ(ReadBytes(BackupName(TextureFileName, 2)), otherSkin);
  // A doll inside stays shown as its pictures change, and gives way to the outer doll once
  // they are gone.
  for (const char* level : {"シェイプ2.bmp", "テクスチャ2.bmp"})
    fs::copy_file(fs::path(KAVINEL_SAMPLES) / level, level);
  form->BtnLoad->click();
  form->BtnOpen->click();
  while (!DollAtRest(Doll())) form->Scene->FrameTick();
  const struct {
    std::function<void()> Change;
    int Level;
  } changes[] = {{[] {
                    WriteBytes("new.bmp", ReadBytes(TextureFileName));
                    fs::rename("new.bmp", "テクスチャ2.bmp");
                  },
                  2},
                 {[] { fs::remove("シェイプ2.bmp"), fs::remove("テクスチャ2.bmp"); }, 1}};
  for (const auto& change : changes) {
    change.Change();
    form->DollWatcher->Check();
    EXPECT_EQ(Doll().DollLevel, change.Level);
    if (change.Level == 2) {
      EXPECT_EQ(static_cast<const QImage&>(*Doll().Nest.at(2).Skin), Skin(TextureFileName));
    }
  }
}

}  // namespace

namespace {

// The shelf opens at the size it had when it was closed, or when the program ended with it open.
// The shelf's picture of the doll of `folder` turned and shaded as `pose`.
QImage PictureAt(const fs::path& folder, const TDollPose& pose) {
  return TDollFront(ReadShapeProfile(folder / ShapeFileName), *ReadSkin(folder / TextureFileName))
      .Draw(pose.Rotation, pose.ShadeLevel)
      .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation)
      .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// What the shelf shows of the doll of `folder`.
QImage Shelf::Shows(const fs::path& folder) const {
  for (int row = 0; row < form->Shelf->List->count(); ++row) {
    const QListWidgetItem* item = form->Shelf->List->item(row);
    if (item->data(Qt::UserRole).toByteArray().toStdString() == folder.string())
      return item->icon().pixmap(96, 96).toImage().convertToFormat(
          QImage::Format_ARGB32_Premultiplied);
  }
  return {};
}

TEST_F(Shelf, EachDollIsPicturedAsItWasLastLeftAndTheChosenOneTurnsOnItsOwn) {
  const fs::path a = MakeDoll(shelf / "a", sampleSkin);
  const fs::path b = MakeDoll(shelf / "b", otherSkin);
  form->ShelfClick();
  // Each doll shown, left at a turn and a shade for the doll the window started on, and
  // pictured so; a, left twice, as it was left last.
  const struct {
    fs::path Folder;
    TDollPose Left;
  } rows[] = {{a, {100, 4}}, {b, {249, 0}}, {a, {7, 5}}};
  for (const auto& row : rows) {
    ASSERT_TRUE(form->ShowDoll(row.Folder));
    Doll().RotationOffset = row.Left.Rotation;
    Doll().ShadeLevel = row.Left.ShadeLevel;
    ASSERT_TRUE(form->ShowDoll(fs::current_path()));
    form->Shelf->FinishPictures();
    EXPECT_EQ(Shows(row.Folder), PictureAt(row.Folder, row.Left));
  }
  // Chosen, a doll turns clockwise from where it was left, two columns a frame, while the doll
  // on screen stays as it is; chosen no more, it is pictured as it was left again.
  const auto turns = [&](const fs::path& folder, const TDollPose& left) {
    form->Shelf->Choose(folder);
    form->Shelf->FinishPictures();
    QTest::qWait(4 * FrameInterval);
    for (int frames = 1; frames < 20; ++frames)
      if (Shows(folder) ==
          PictureAt(folder, {left.Rotation - TurnStep * frames + TextureColumns, left.ShadeLevel}))
        return true;
    return false;
  };
  EXPECT_TRUE(turns(b, {249, 0}));
  EXPECT_TRUE(turns(a, {7, 5}));
  EXPECT_EQ(Shows(b), PictureAt(b, {249, 0}));
  EXPECT_EQ(Doll().RotationOffset, 7);
}

// A doll shown from the shelf is worked on in its own folder: the program's working folder,
// where it started, gets nothing.
TEST_F(Shelf, EveryCommandWorksInTheFolderOfTheDollShown) {
  const fs::path a = MakeDoll(shelf / "a", sampleSkin);
  WriteBytes(home / "photo.bmp", otherSkin);
  ASSERT_TRUE(form->ShowDoll(a));
  const struct {
    const char* Command;
    std::function<void()> Run;
    const char* Writes;
  } rows[] = {
      {"Save", [&] { form->BtnSaveClick(); }, "out00.bmp"},
      {"the turn saved", [&] { form->SaveAnimationClick(); }, "out00.gif"},
      {"a drop", [&] { form->Scene->DropPicture(home / "photo.bmp", 0); }, "テクスチャ-01.bmp"},
      {"its undo", [&] { form->UndoKeyPress(); }, "テクスチャ-02.bmp"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Command);
    row.Run();
    EXPECT_TRUE(fs::exists(a / row.Writes));
    EXPECT_FALSE(fs::exists(row.Writes));
  }
  EXPECT_TRUE(ShowsSkin(a));
}

TEST_F(Shelf, OpensAtTheSizeItWasLeftAt) {
  const struct {
    QSize Size;
    std::function<void()> Leave;
  } rows[] = {{{1200, 500}, [&] { form->Shelf->close(); }}, {{1240, 540}, [&] { form.reset(); }}};
  for (const auto& row : rows) {
    form->ShelfClick();
    form->Shelf->resize(row.Size);
    QCoreApplication::processEvents();
    row.Leave();
    // On its own, the shelf marks the doll of the working folder as shown.
    TShelfWindow::TActions actions;
    actions.ShownFolder = [] { return fs::current_path().string(); };
    EXPECT_EQ(TShelfWindow(nullptr, shelf.string(), KAVINEL_SAMPLES, actions).size(), row.Size);
  }
}

// What the menu entry starts: the doll remembered while it is still one of the shelf's.
TEST_F(Shelf, ARememberedDollThatIsNoLongerOnTheShelfFallsBackToTheShelf) {
  MakeDoll(shelf, sampleSkin);
  MakeDoll(shelf / "a", sampleSkin);
  MakeDoll(home / "outside", sampleSkin);
  fs::create_symlink(home / "outside", shelf / "link");
  fs::create_directories(shelf / "nothing");
  const std::string file = SettingsFile();
  const struct {
    const char* Settings;  // the file's text, or null for none
    fs::path Started;
  } rows[] = {
      {nullptr, shelf},
      {"[Shelf]\nLastDoll=@ByteArray(a)\n", shelf / "a"},
      {"[Shelf]\nLastDoll=@ByteArray(gone)\n", shelf},
      {"[Shelf]\nLastDoll=@ByteArray(link)\n", shelf},
      {"[Shelf]\nLastDoll=@ByteArray(nothing)\n", shelf},
      {"[Shelf]\nLastDoll=@ByteArray(../outside)\n", shelf},
      {"[Shelf]\nLastDoll=a\n", shelf},  // not written by the program
      {"\x01\xff[[[\n=\n", shelf},
  };
  auto stamp = fs::file_time_type::clock::now();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Settings ? row.Settings : "none");
    fs::remove(file);
    if (row.Settings) {
      fs::create_directories(fs::path(file).parent_path());
      WriteBytes(file, Bytes(row.Settings, row.Settings + std::strlen(row.Settings)));
      // A time of its own: QSettings reads a file again only when its size or time changed.
      fs::last_write_time(file, stamp -= std::chrono::hours(1));
    }
    EXPECT_EQ(fs::path(RememberedDoll(shelf.string())), row.Started);
  }
  WriteBytes(file, Bytes(rows[1].Settings, rows[1].Settings + std::strlen(rows[1].Settings)));
  RememberDoll(shelf.string(), scratch.Path(""));  // a terminal's folder: not remembered
  EXPECT_EQ(fs::path(RememberedDoll(shelf.string())), shelf / "a");
}

// Each way a doll comes to be shown names it in the title and is what the next start shows.
TEST_F(Shelf, EveryWayOfShowingADollNamesItAndIsRememberedForTheNextStart) {
  MakeDoll(shelf, sampleSkin);
  const fs::path a = MakeDoll(shelf / "a", otherSkin);
  const auto dollFile = [&](const char* name, std::uint8_t shade) {
    Bytes skin = sampleSkin;
    skin[skin.size() - 1 - shade] ^= 0x40;  // a doll of its own, never a copy on the shelf
    const fs::path folder = MakeDoll(scratch.Path(name), skin);
    ExportDoll(folder.string(), (home / (std::string(name) + ".kavinel")).string(), false);
    return (home / (std::string(name) + ".kavinel")).string();
  };
  SetFileDialog([&](QWidget*, const QString&, const QString&, const QString&) {
    return QString::fromStdString(dollFile("byMenu", 1));
  });
  const struct {
    const char* Way;
    std::function<void()> Show;
    const char* Name;  // of the folder shown, and in the title
  } rows[] = {
      {"Show", [&] { form->ShowDoll(a); }, "a"},
      {"the shelf's own", [&] { form->ShowDoll(shelf); }, nullptr},
      {"New", [&] { form->Commands.NewDoll->trigger(); }, "人形"},
      {"doll file by menu", [&] { form->Commands.OpenDollFile->trigger(); }, "byMenu"},
      {"doll file dropped",
       [&] {
         EXPECT_TRUE(
             DragAndDrop(form->PaintBox1, {QUrl::fromLocalFile(dollFile("dropped", 2).c_str())}));
       },
       "dropped"},
      {"renamed on the shelf",
       [&] {
         form->ShelfClick();
         form->Shelf->Choose(Shown());
         form->Shelf->List->currentItem()->setText("renamed");
       },
       "renamed"},
      {"a start in the folder",
       [&] {
         form.reset();
         fs::current_path(shelf / "renamed");
         OpenWindow();
       },
       "renamed"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Way);
    row.Show();
    QCoreApplication::processEvents();  // a command runs once its menu has closed
    const fs::path shown = row.Name ? shelf / row.Name : shelf;
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(fs::path(RememberedDoll(shelf.string())), shown);
    EXPECT_EQ(form->windowTitle().toStdString(), row.Name ? row.Name : "わたしの人形");
  }
  SetFileDialog(nullptr);
}

// A setting that is missing or cannot be read is the default; one chosen is kept.
TEST_F(Shelf, SettingsThatCannotBeReadAreTheDefaultsAndChoicesAreKept) {
  const struct {
    const char* Settings;
    bool Quiet;
    TBrush Brush;
  } rows[] = {
      {"", true, {}},
      {"[Loop]\nQuiet=false\n[Brush]\nColour=#ff8000\nDiameter=16\nErases=true\n",
       false,
       {{0x00, 0x80, 0xff}, 16, TBrushTool::Eraser}},
      {"[Brush]\nErases=true\nTool=fill\nMirror=true\nTolerance=200\n",
       true,
       {{}, 4, TBrushTool::Fill, true, 200}},
      {"[Brush]\nTool=spray\nMirror=1\nTolerance=256\n", true, {}},
      {"[Loop]\nQuiet=1\n[Brush]\nColour=red-ish\nDiameter=5\nErases=yes\n", true, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Settings);
    fs::create_directories(fs::path(SettingsFile()).parent_path());
    WriteBytes(SettingsFile(), Bytes(row.Settings, row.Settings + std::strlen(row.Settings)));
    form.reset();
    OpenWindow();
    EXPECT_EQ(QuietLoop(), row.Quiet);
    const TBrush& brush = form->Scene->Painting.PaintBrush;
    EXPECT_EQ(std::tie(brush.Colour.Red, brush.Colour.Green, brush.Colour.Blue, brush.Diameter,
                       brush.Tool, brush.Mirror, brush.Tolerance),
              std::tie(row.Brush.Colour.Red, row.Brush.Colour.Green, row.Brush.Colour.Blue,
                       row.Brush.Diameter, row.Brush.Tool, row.Brush.Mirror, row.Brush.Tolerance));
  }
  // The brush a painting leaves, and the loop chosen, are what the next start has.
  form->PaintClick();
  form->Scene->Painting.StepBrushSize(-1);
  form->PaintClick();
  form->QuietClick();
  form.reset();
  OpenWindow();
  EXPECT_EQ(form->Scene->Painting.PaintBrush.Diameter, BrushDiameters[0]);
  EXPECT_FALSE(QuietLoop());
  SetQuietLoop(true);
}

}  // namespace
