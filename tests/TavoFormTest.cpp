// The base window, its keyboard filter and error reports, the message box and the sound
// device, under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <stdexcept>

#include "MessageBoxWatcher.h"
#include "RecordingSoundLibrary.h"
#include "framework/TavoClock.h"
#include "framework/TavoForm.h"
#include "framework/TavoMidi.h"
#include "framework/TavoUtility.h"

namespace {

// A button that records the keys that reach it.
class KeyRecordingButton : public QPushButton {
 public:
  using QPushButton::QPushButton;
  std::vector<int> Keys;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    Keys.push_back(e->key());
    QPushButton::keyPressEvent(e);
  }
};

// A stored layout like the main window's: 737 × 510 at 198, 178, with a button.
void LoadTestLayout(QWidget* form) {
  form->setGeometry(198, 178, 737, 510);
  auto* button = new KeyRecordingButton("ボタン", form);
  button->setObjectName("Button");
}

class TestForm : public TTavoForm {
 public:
  TestForm() : TTavoForm(500, 300, LoadTestLayout) {}
  void Throw() { throw std::runtime_error("ボタンの処理に失敗しました"); }
};

bool Delivered(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               const QString& text = {}) {
  auto* button = target->window()->findChild<KeyRecordingButton*>("Button");
  const std::size_t before = button->Keys.size();
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  return button->Keys.size() > before;
}

// Shows the window and lets the platform expose it and deliver what follows.
void ShowExposed(QWidget& form) {
  form.show();
  for (int pass = 0; pass < 100 && !form.windowHandle()->isExposed(); ++pass)
    QCoreApplication::processEvents();
  ASSERT_TRUE(form.windowHandle()->isExposed());
  QCoreApplication::processEvents();
}

TEST(TavoForm, TheDesignSizeReplacesTheStoredLayoutAndTheWindowIsCentred) {
  TestForm form;
  EXPECT_EQ(form.width(), 500);
  EXPECT_EQ(form.height(), 300);
  EXPECT_EQ(form.minimumSize(), form.maximumSize());  // not resizable
  // Not shown yet, the window has no frame: the client area is centred on the offscreen
  // platform's 800 × 800 screen.
  ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(800, 800));
  EXPECT_EQ(form.frameGeometry(), QRect(150, 250, 500, 300));
  EXPECT_EQ(form.DesignClientSize(), QSize(500, 300));
}

std::uint32_t FakeNow = 0;

TEST(TavoForm, TheCreationTimeIsTheClockReadAsANonNegativeNumber) {
  SetClockSource([] { return FakeNow; });
  for (const auto& [clock, created] : {std::pair{12345u, 12345}, {0xFFFFFFFFu, 0x7FFFFFFF}}) {
    FakeNow = clock;
    EXPECT_EQ(TestForm().CreateTime(), created) << clock;
  }
  SetClockSource(nullptr);
}

TEST(TavoForm, OnceShownTheWindowIsCentredWithItsFrameAndThenLeftWhereItIsMoved) {
  TestForm form;
  ShowExposed(form);
  // The offscreen platform frames a shown window with 2 pixels on every side.
  EXPECT_EQ(form.frameGeometry(), QRect(148, 248, 504, 304));
  EXPECT_EQ(form.geometry(), QRect(150, 250, 500, 300));
  // Moved by the user, then hidden and shown again: it stays where it was put.
  form.move(10, 20);
  form.hide();
  ShowExposed(form);
  EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(10, 20));
}

TEST(TavoForm, CentringTruncatesTowardZero) {
  EXPECT_EQ(TTavoForm::CentredPosition({1024, 768}, {507, 333}), QPoint(258, 217));
  EXPECT_EQ(TTavoForm::CentredPosition({1024, 768}, {1027, 333}), QPoint(-1, 217));
}

TEST(TavoForm, AltAndF10AreDroppedForTheFormAndItsControls) {
  TestForm form;
  auto* button = form.findChild<KeyRecordingButton*>("Button");
  EXPECT_FALSE(Delivered(button, Qt::Key_Alt, Qt::AltModifier));
  EXPECT_FALSE(Delivered(button, Qt::Key_F10));
  EXPECT_TRUE(Delivered(button, Qt::Key_F4, Qt::AltModifier));  // Alt+F4 still closes
  EXPECT_TRUE(Delivered(button, Qt::Key_Space, Qt::NoModifier, " "));
  EXPECT_TRUE(Delivered(button, Qt::Key_A, Qt::NoModifier, "a"));
  // The character 'y' has code 121, F10's key code.
  EXPECT_FALSE(Delivered(button, Qt::Key_Y, Qt::NoModifier, "y"));

  TKeyMessage alt{QEvent::KeyPress, 18};
  EXPECT_TRUE(form.WantChildKey(&form, alt));
  EXPECT_TRUE(form.WantChildKey(button, TKeyMessage{QEvent::KeyRelease, 121}));
  EXPECT_FALSE(form.WantChildKey(button, TKeyMessage{QEvent::KeyPress, 115}));
}

TEST(TavoForm, FitPanelCoversTheClientArea) {
  TestForm form;
  auto* panel = new QFrame(&form);
  panel->setGeometry(10, 20, 30, 40);
  panel->hide();
  form.FitPanel(panel, true);
  EXPECT_EQ(panel->geometry(), QRect(0, 0, 500, 300));
  EXPECT_TRUE(panel->isVisibleTo(&form));
  form.FitPanel(panel, false);
  EXPECT_FALSE(panel->isVisibleTo(&form));
}

int LoopRuns = 0;
void CountLoopRun() {
  ++LoopRuns;
}
void FailingLoop() {
  throw std::runtime_error("ループが止まりました");
}

TEST(TavoForm, StartLoopPostsOneEventThatRunsTheLoop) {
  TestForm form;
  LoopRuns = 0;
  form.StartLoop(CountLoopRun);
  EXPECT_EQ(LoopRuns, 0);  // only queued
  QCoreApplication::sendPostedEvents(&form, WM_RUNLOOP);
  EXPECT_EQ(LoopRuns, 1);
  QCoreApplication::sendPostedEvents(&form, WM_RUNLOOP);
  EXPECT_EQ(LoopRuns, 1);
}

TEST(TavoForm, AnErrorLeavingTheLoopIsReportedInAMessageBox) {
  TestForm form;
  form.StartLoop(FailingLoop);
  const SeenMessageBox seen =
      CloseNextMessageBox([&] { QCoreApplication::sendPostedEvents(&form, WM_RUNLOOP); });
  EXPECT_EQ(seen.Text, "ループが止まりました");
  EXPECT_EQ(seen.Title, "カヴィネル");
}

TEST(TavoForm, AnErrorLeavingAButtonHandlerIsReportedAndTheFormGoesOn) {
  TestForm form;
  auto* button = form.findChild<QPushButton*>("Button");
  form.ConnectClick(button, &TestForm::Throw);
  for (int i = 0; i < 2; ++i) {
    const SeenMessageBox seen = CloseNextMessageBox([&] { button->click(); });
    EXPECT_EQ(seen.Text, "ボタンの処理に失敗しました");
  }
}

TEST(TavoForm, ClosingTheWindowSetsTheTerminateFlag) {
  SetApplicationTerminated(false);
  TestForm form;
  form.show();
  form.close();
  EXPECT_TRUE(ApplicationTerminated());
  SetApplicationTerminated(false);
}

TEST(ShowMsg, ShowsTheTextAsTypedUnderTheApplicationTitleWithOneOkButtonAndNoIcon) {
  for (const char* text :
       {"このカヴィネルは開く形をしていません。",
        "ファイル \"<b>doll</b>.bmp\" を開けません: No such file or directory"}) {
    const SeenMessageBox seen = CloseNextMessageBox([&] { ShowMsg(text); });
    EXPECT_EQ(seen.Title, "カヴィネル");
    EXPECT_EQ(seen.Text, text);
    EXPECT_EQ(seen.Format, Qt::PlainText) << text;  // never read as markup
    EXPECT_EQ(seen.Buttons, 1);
    EXPECT_EQ(seen.Icon, QMessageBox::NoIcon);
  }
}

int SoundBeeps = 0;
void CountSoundBeep() {
  ++SoundBeeps;
}

TEST(TavoMidi, OpensTheDeviceOnceAndStopsAndFreesItOnEveryDestruction) {
  SoundLibraryCalls.clear();
  SoundBeeps = 0;
  SetBeepHandler(CountSoundBeep);
  {
    TTavoMidi midi;
    EXPECT_TRUE(MidiCreated);
    {
      TTavoMidi second;  // only beeps
      EXPECT_EQ(SoundBeeps, 1);
      EXPECT_EQ(SoundLibraryCalls, (std::vector<std::string>{"GGSSetDevice(-1, 0)"}));
    }
    EXPECT_FALSE(MidiCreated);
  }
  SetBeepHandler(nullptr);
  EXPECT_EQ(SoundLibraryCalls, (std::vector<std::string>{"GGSSetDevice(-1, 0)", "GGSStop()",
                                                         "GGSFree()", "GGSStop()", "GGSFree()"}));
}

}  // namespace
