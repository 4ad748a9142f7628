// The views' menu and the keyboard, headless: the menu's items and when undo and redo can be
// chosen, a picture chosen in the file dialog, the folder shown, the turn saved, the About
// box, and Return and Enter on each button with its focus frame.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <filesystem>
#include <functional>

#include "MessageBoxWatcher.h"
#include "SampleDollWindow.h"
#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "framework/TavoButtonStyle.h"
#include "framework/TavoDesktop.h"
#include "framework/Translation.h"
#include "scene/PaintSession.h"
#include "scene/Reshape.h"
#include "scene/Scene.h"
#include "scene/UnitForm.h"

namespace {

namespace fs = std::filesystem;

using TStep = std::function<bool()>;

// Runs `open`; meanwhile each of `steps` in turn is tried every few milliseconds until it
// returns true, answering the menus and dialogs that `open` shows. Returns the steps done.
std::size_t Answer(const std::function<void()>& open, const std::vector<TStep>& steps) {
  std::size_t done = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done < steps.size() && steps[done]()) ++done;
  });
  poll.start(5);
  open();
  return done;
}

// Presses `key` in the open menu; closes the menu if that chose nothing.
TStep InMenu(Qt::Key key) {
  return [key] {
    const QPointer<QMenu> menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return false;
    QTest::keyClick(menu, key);
    if (menu && menu->isVisible()) menu->close();
    return true;
  };
}

// Closes the open message box with OK; its text goes to `text`.
TStep CloseBox(QString* text) {
  return [text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return false;
    if (text) *text = box->text();
    box->accept();
    return true;
  };
}

ssize_t FullDiskWrite(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}

enum class TFrom { FrontView, BackView, MenuKey };

class ViewMenu : public SampleDollWindow {
 protected:
  void SetUp() override {
    SampleDollWindow::SetUp();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  void TearDown() override {
    SetFileDialog(nullptr);
    SetFolderOpener(nullptr);
    SampleDollWindow::TearDown();
  }

  // What a right click on a view, or the Menu key on a focused button, asks for.
  void OpenMenu(TFrom from) {
    if (from == TFrom::MenuKey) {
      form->BtnSave->setFocus();
      const QPoint middle(60, 12);
      QContextMenuEvent key(QContextMenuEvent::Keyboard, middle,
                            form->BtnSave->mapToGlobal(middle));
      QApplication::sendEvent(form->BtnSave, &key);
      return;
    }
    TPaintBox* box = from == TFrom::FrontView ? form->PaintBox1 : form->PaintBox2;
    QContextMenuEvent click(QContextMenuEvent::Mouse, At, box->mapToGlobal(At));
    QApplication::sendEvent(box, &click);
  }
  // Opens the menu and presses `key` in it.
  void Choose(TFrom from, Qt::Key key, const std::vector<TStep>& then = {}) {
    std::vector<TStep> steps{InMenu(key)};
    steps.insert(steps.end(), then.begin(), then.end());
    EXPECT_EQ(Answer([&] { OpenMenu(from); }, steps), steps.size());
  }

  static constexpr QPoint At{30, 40};
};

TEST_F(ViewMenu, HoldsItsItemsInOrderWithUndoAndRedoGreyedWhenTheKeysWouldOnlyBeep) {
  Bytes sample = ReadBytes(TextureFileName);
  WriteBytes("red.bmp", Bmp24(std::vector(4, std::vector(4, Pixel24{0, 0, 255}))));
  // A right press on the doll's edge opens the menu and starts no drag.
  int edge = 0;
  while (edge < ViewSize && !form->Scene->Reshape.CanReshapeAt(At.y(), edge)) ++edge;
  ASSERT_LT(edge, ViewSize);
  const QPoint onEdge(edge, At.y());
  const auto frames = [this](int count) {
    for (int i = 0; i < count; ++i) form->Scene->FrameTick();
  };
  // The pictures change, the doll is painted, and the doll closes, only at rest.
  const struct {
    TFrom From;
    std::function<void()> Before;
    bool Paste, Paint, Close, Undo, Redo;
    QPoint Where;  // in the front view
    bool SkinChanged;
  } rows[] = {
      {TFrom::FrontView, [] {}, true, true, false, false, false, onEdge, false},
      {TFrom::BackView, [this] { form->Scene->DropPicture("red.bmp", 0); }, true, true, false, true,
       false, At, true},
      {TFrom::MenuKey,
       [&] { Choose(TFrom::BackView, Qt::Key_U); },
       true,
       true,
       false,
       false,
       true,
       {100, 100},
       false},
      {TFrom::FrontView, [&] { Choose(TFrom::MenuKey, Qt::Key_R); }, true, true, false, true, false,
       onEdge, true},
      {TFrom::BackView, [&] { form->BtnOpen->click(), frames(3); }, false, false, false, false,
       false, At, true},
      {TFrom::FrontView, [&] { frames(17); }, true, true, true, true, false, At, true},
  };
  for (const auto& row : rows) {
    row.Before();
    QStringList texts;
    QList<bool> enabled, checkable;
    QPoint shownAt;
    const auto read = [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return false;
      shownAt = menu->pos();
      for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        texts << action->text();
        enabled << action->isEnabled();
        checkable << action->isCheckable();
      }
      menu->close();
      return true;
    };
    TPaintBox* box = row.From == TFrom::BackView ? form->PaintBox2 : form->PaintBox1;
    QMouseEvent press(QEvent::MouseButtonPress, row.Where, box->mapToGlobal(row.Where),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    EXPECT_EQ(Answer([&] { OpenMenu(row.From); }, {read}), 1u);
    EXPECT_FALSE(box->Dragging());
    EXPECT_EQ(texts,
              QStringList({"絵を貼る(&P)…", "筆で描く(&B)", "人形を閉じる(&C)", "元に戻す(&U)",
                           "やり直す(&R)", "回転アニメーションを保存(&A)", "人形の棚を開く(&S)",
                           "人形ファイルを開く(&D)…", "人形を書き出す(&E)…", "フォルダーを開く(&F)",
                           "静かに動かす(&Q)", "カヴィネルについて(&H)"}));
    EXPECT_EQ(enabled, QList<bool>({row.Paste, row.Paint, row.Close, row.Undo, row.Redo, true, true,
                                    true, true, true, true, true}));
    EXPECT_EQ(checkable.indexOf(true), 1);       // painting is on or off
    EXPECT_EQ(checkable.lastIndexOf(true), 10);  // and the quiet loop
    EXPECT_EQ(checkable.count(true), 2);
    const QPoint expected = row.From == TFrom::MenuKey ? QPoint(99, 99) : At;
    EXPECT_EQ(shownAt, box->mapToGlobal(expected));
    // Undo and redo through the menu are the keys' steps.
    EXPECT_EQ(ReadBytes(TextureFileName) != sample, row.SkinChanged);
  }
}

TEST_F(ViewMenu, TheBrushItemTurnsPaintingOnBesideTheWindowAndOffAndShowsWhichItIs) {
  for (const bool on : {true, false}) {
    Choose(TFrom::FrontView, Qt::Key_B);
    EXPECT_EQ(form->Scene->Painting.PaintingOn(), on);
    EXPECT_EQ(form->PaintTools->isVisible(), on);
    bool checked = !on;
    const TStep read = [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return false;
      checked = menu->actions().at(1)->isChecked();
      menu->close();
      return true;
    };
    EXPECT_EQ(Answer([&] { OpenMenu(TFrom::BackView); }, {read}), 1u);
    EXPECT_EQ(checked, on);
  }
  // Ended another way (as Escape ends it), the item is no longer checked.
  form->Commands.Paint->trigger();
  QCoreApplication::processEvents();
  form->StopPainting();
  EXPECT_FALSE(form->Scene->Painting.PaintingOn());
  EXPECT_FALSE(form->Commands.Paint->isChecked());
}

TEST_F(ViewMenu, APictureChosenInTheDialogLandsOnTheViewsHalfAsADropThere) {
  QImage photo(300, 200, QImage::Format_RGB32);
  for (int x = 0; x < photo.width(); ++x)
    for (int y = 0; y < photo.height(); ++y) photo.setPixel(x, y, qRgb(x * 255 / 299, y, 90));
  photo.save("photo.png");
  const Bytes sample = ReadBytes(TextureFileName);
  const QString file = QString::fromStdString(fs::absolute("photo.png").string());
  QString seenFolder, seenFilter;
  const auto restore = [&] {
    WriteBytes(TextureFileName, sample);
    form->BtnLoad->click();
    Doll().RotationOffset = 40;
  };
  // Qt's own dialog, as on a desktop that offers none: it starts in the doll's folder.
  const TStep qtDialog = [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return false;
    seenFolder = dialog->directory().absolutePath();
    seenFilter = dialog->nameFilters().join(";;");
    if (seenFolder != QDir::currentPath()) {
      dialog->reject();  // no such picture there
      return true;
    }
    dialog->selectFile("photo.png");
    static_cast<QDialog*>(dialog)->accept();  // as its Open button does
    return true;
  };
  const struct {
    TFrom From;
    TPaintBox* Box;
    bool QtDialog;
  } rows[] = {{TFrom::FrontView, form->PaintBox1, false},
              {TFrom::BackView, form->PaintBox2, true},
              {TFrom::MenuKey, form->PaintBox1, false}};
  for (const auto& row : rows) {
    SetFileDialog([&](QWidget*, const QString&, const QString& folder, const QString& filter) {
      seenFolder = folder, seenFilter = filter;
      return file;
    });
    if (row.QtDialog) SetFileDialog(nullptr);
    restore();
    Choose(row.From, Qt::Key_P, row.QtDialog ? std::vector{qtDialog} : std::vector<TStep>{});
    const Bytes chosen = ReadBytes(TextureFileName);
    EXPECT_EQ(seenFolder, QDir::currentPath());
    for (const char* pattern :
         {"*.png", "*.jpg", "*.JPG", "*.jpeg", "*.bmp", "*.gif", "*.webp", "*.tif", "*.tiff"})
      EXPECT_TRUE(seenFilter.contains(pattern)) << pattern << " in " << seenFilter.toStdString();
    restore();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(At, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(row.Box, &enter);
    QDropEvent drop(QPointF(At), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(row.Box, &drop);
    QCoreApplication::processEvents();
    EXPECT_NE(chosen, sample);
    EXPECT_NE(ReadBytes(TextureFileName), sample);
    EXPECT_EQ(chosen, ReadBytes(TextureFileName)) << static_cast<int>(row.From);
  }
  // Cancelled: nothing changes.
  SetFileDialog([](QWidget*, const QString&, const QString&, const QString&) { return ""; });
  restore();
  Choose(TFrom::FrontView, Qt::Key_P);
  EXPECT_EQ(ReadBytes(TextureFileName), sample);
}

TEST_F(ViewMenu, OpenFolderShowsTheDollsFolderOrSaysWhyNot) {
  for (const bool opens : {true, false}) {
    QString shown;
    SetFolderOpener([&](const QString& folder) { return shown = folder, opens; });
    QString said;
    Choose(TFrom::BackView, Qt::Key_F, opens ? std::vector<TStep>{} : std::vector{CloseBox(&said)});
    EXPECT_EQ(shown, QDir::currentPath());
    EXPECT_EQ(said.isEmpty(), opens);
    EXPECT_EQ(said.contains(QDir::currentPath()), !opens) << said.toStdString();
  }
}

TEST_F(ViewMenu, SaveTurnWritesTheNextGifAndReportsAFolderThatCannotTakeIt) {
  Choose(TFrom::FrontView, Qt::Key_A);
  Choose(TFrom::MenuKey, Qt::Key_A);
  for (const char* name : {"out00.gif", "out01.gif"}) {
    const Bytes gif = ReadBytes(name);
    ASSERT_GE(gif.size(), 6u) << name;
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a") << name;
  }
  SetFileOutputFunctions(nullptr, FullDiskWrite);
  QString said;
  Choose(TFrom::BackView, Qt::Key_A, {CloseBox(&said)});
  SetFileOutputFunctions(nullptr, nullptr);
  EXPECT_TRUE(said.contains("out02.gif")) << said.toStdString();
  EXPECT_FALSE(fs::exists("out02.gif"));
}

TEST_F(ViewMenu, F1OrTheMenuShowsTheAboutBoxWithNameVersionLicenceFolderAndGestures) {
  // The folder of the doll shown, whatever the working folder.
  fs::create_directory("人形 <b>");
  for (const std::string& file : {ShapeFileName, TextureFileName})
    fs::copy_file(file, fs::path("人形 <b>") / file);
  ASSERT_TRUE(form->ShowDoll(fs::absolute("人形 <b>")));
  const std::function<void()> opens[] = {
      [&] { QTest::keyClick(form.get(), Qt::Key_F1); },
      [&] { Choose(TFrom::FrontView, Qt::Key_H); },
  };
  for (const auto& open : opens) {
    QString text, title;
    const TStep read = [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box) title = box->windowTitle();
      return CloseBox(&text)();
    };
    EXPECT_EQ(Answer(open, {read}), 1u);
    EXPECT_EQ(title, "カヴィネルについて");
    for (const QString& says :
         {QString("カヴィネル</b> バージョン " KAVINEL_VERSION), QString("GPL-3.0-or-later"),
          QString::fromStdString(form->Scene->Folder()).toHtmlEscaped(), QString("人形 &lt;b&gt;"),
          QString("ドロップ"), QString("ドラッグ"), QString("筆で描く"), QString("Ctrl+Z"),
          QString("右クリック")})
      EXPECT_TRUE(text.contains(says)) << says.toStdString() << " in " << text.toStdString();
  }
}

TEST_F(ViewMenu, ReturnAndEnterPressTheFocusedButtonWhoseFocusIsFramedBrightly) {
  // The frame's pixels in a picture of the button: none without the focus.
  const auto framePixels = [](QPushButton* button) {
    const QImage shot = button->grab().toImage();
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        count += shot.pixelColor(x, y) == TButtonStyle::FocusColour;
    return count;
  };
  QPushButton* const tabOrder[] = {form->BtnTurnLeft, form->BtnTurnRight, form->BtnLoad,
                                   form->BtnSave,     form->BtnShade,     form->BtnOpen};
  form->BtnOpen->setFocus();
  for (QPushButton* button : tabOrder) {
    const int unfocused = framePixels(button);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), button);
    EXPECT_EQ(unfocused, 0);
    // Two pixels wide all round the button.
    EXPECT_EQ(framePixels(button), 2 * 2 * (button->width() + button->height()) -
                                       4 * TButtonStyle::FocusWidth * TButtonStyle::FocusWidth);
    int clicks = 0;
    const auto counter = QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    QObject::disconnect(counter);
    EXPECT_EQ(clicks, 2) << button->objectName().toStdString();
    EXPECT_FALSE(button->toolTip().isEmpty());
  }
}

// The menu (opened with Shift+F10 on a button), a tooltip, a view's name, the About box, the
// refusal of Open and Qt's own buttons speak the first of the desktop's languages, Japanese
// also where none is set.
TEST_F(ViewMenu, SpeaksTheDesktopsFirstLanguage) {
  const QStringList japanese{"絵を貼る(&P)…",
                             "表と裏を outNN.bmp に保存します",
                             "人形(&D)",
                             "人形の表",
                             "カヴィネルについて",
                             "<p><b>カヴィネル</b> バージョン 0.1</p><p>回って",
                             "このカヴィネルは開く形をしていません。",
                             "キャンセル"};
  const QStringList english{"&Paste a Picture…",
                            "Save the front and back as outNN.bmp",
                            "&Doll",
                            "Front of the doll",
                            "About Kavinel",
                            "<p><b>Kavinel</b> version 0.1</p><p>A toy",
                            "This doll is not shaped to open.",
                            "Cancel"};
  const std::pair<const char*, QStringList> rows[] = {
      {"ja-JP", japanese}, {"C", japanese}, {"en-US", english}, {"de-DE", english}};
  for (const auto& [language, expected] : rows) {
    UseDesktopLanguage(language);
    OpenWindow();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QStringList seen;
    const TStep firstItem = [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return false;
      seen << menu->actions().value(0)->text();
      menu->close();
      return true;
    };
    Answer([&] { QTest::keyClick(form->BtnSave, Qt::Key_F10, Qt::ShiftModifier); }, {firstItem});
    seen << form->BtnSave->accessibleDescription() << form->MenuBar->actions().value(0)->text()
         << form->PaintBox1->accessibleName();
    const SeenMessageBox about = CloseNextMessageBox([&] { form->AboutClick(); });
    seen << about.Title << about.Text.left(expected[5].size());
    Doll().Openable = false;
    seen << CloseNextMessageBox([&] { form->BtnOpen->click(); }).Text;
    seen << QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text();
    EXPECT_EQ(seen.join('\n').toStdString(), expected.join('\n').toStdString()) << language;
    EXPECT_EQ(form->BtnSave->toolTip(), expected[1]);
  }
  for (QTranslator* installed : qApp->findChildren<QTranslator*>())
    QCoreApplication::removeTranslator(installed);
}

// The views tell a screen reader how the doll turns, its shade and which doll it is, as each
// changes.
TEST_F(ViewMenu, TheViewsDescriptionFollowsTheTurnTheShadeAndTheDoll) {
  const auto press = [](QPushButton* button) { return [button] { button->click(); }; };
  const std::pair<std::function<void()>, const char*> rows[] = {
      {[] {}, "止まっています。陰影 0 (0〜5)。入れ子の 1 番目の人形です。"},
      {press(form->BtnTurnLeft),
       "左回りに回っています。陰影 0 (0〜5)。入れ子の 1 番目の人形です。"},
      {press(form->BtnShade), "左回りに回っています。陰影 1 (0〜5)。入れ子の 1 番目の人形です。"},
      {press(form->BtnTurnRight),
       "右回りに回っています。陰影 1 (0〜5)。入れ子の 1 番目の人形です。"},
      {press(form->BtnOpen), "右回りに回っています。陰影 1 (0〜5)。入れ子の 2 番目の人形です。"},
      {press(form->BtnTurnRight), "止まっています。陰影 1 (0〜5)。入れ子の 2 番目の人形です。"},
      {[this] {
         for (int i = 0; i < 20; ++i) form->Scene->FrameTick();  // opened, at rest
         Choose(TFrom::FrontView, Qt::Key_C);                    // closed from the menu
       },
       "止まっています。陰影 1 (0〜5)。入れ子の 1 番目の人形です。"},
  };
  for (const auto& [act, description] : rows) {
    act();
    EXPECT_EQ(form->PaintBox1->accessibleDescription().toStdString(), description);
    EXPECT_EQ(form->PaintBox2->accessibleDescription().toStdString(), description);
  }
  EXPECT_EQ(form->PaintBox2->accessibleName(), "人形の裏");
}

}  // namespace
