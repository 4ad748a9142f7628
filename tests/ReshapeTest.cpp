// Shaping the doll with the mouse in the window, and taking changes back and putting them back
// with the keys: what is written, what is kept, and that nothing in the folder is lost.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>

#include "MessageBoxWatcher.h"
#include "SampleDollWindow.h"
#include "TestFiles.h"
#include "doll/Opening.h"
#include "doll/ShapeProfile.h"
#include "doll/Shaping.h"
#include "framework/FileOutput.h"
#include "framework/TavoUtility.h"
#include "scene/Scene.h"
#include "scene/UnitForm.h"

namespace {

namespace fs = std::filesystem;

void SendMouse(TPaintBox* box, QEvent::Type type, int row, int x, Qt::MouseButton button,
               Qt::MouseButtons held) {
  const QPointF at(x + 0.5, row + 0.5);
  QMouseEvent event(type, at, box->mapToGlobal(at), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(box, &event);
}

// Presses the left button on row `row`, column `from`, and moves to `to` in steps of one
// column, holding the button.
void PressAndMove(TPaintBox* box, int row, int from, int to) {
  SendMouse(box, QEvent::MouseMove, row, from, Qt::NoButton, Qt::NoButton);
  SendMouse(box, QEvent::MouseButtonPress, row, from, Qt::LeftButton, Qt::LeftButton);
  for (int x = from; x != to;) {
    x += to > from ? 1 : -1;
    SendMouse(box, QEvent::MouseMove, row, x, Qt::NoButton, Qt::LeftButton);
  }
}

void Release(TPaintBox* box, int row, int x) {
  SendMouse(box, QEvent::MouseButtonRelease, row, x, Qt::LeftButton, Qt::NoButton);
}

void Drag(TPaintBox* box, int row, int from, int to) {
  PressAndMove(box, row, from, to);
  Release(box, row, to);
}

// The view column of the right edge pixel of a row of radius r.
int RightEdge(int r) {
  return ViewSize / 2 - 1 + r;
}

int Beeps = 0;
void CountBeep() {
  ++Beeps;
}

int OpenFails(const char*, int, mode_t) {
  errno = EROFS;
  return -1;
}
int LinkFails(const char*, const char*) {
  errno = EROFS;
  return -1;
}

// A row below the sample doll's widest ones, and its radius.
constexpr int NeckRow = 160;
constexpr int NeckRadius = 87;

class Reshape : public SampleDollWindow {
 protected:
  void SetUp() override {
    SampleDollWindow::SetUp();
    sample = Displayed();
    Beeps = 0;
    SetBeepHandler(CountBeep);
  }
  void TearDown() override {
    SetBeepHandler(nullptr);
    SampleDollWindow::TearDown();
  }

  // Activates the window shortcut that `key` belongs to, as pressing the key does.
  void PressKey(const QKeySequence& key) {
    for (QShortcut* shortcut : form->findChildren<QShortcut*>()) {
      if (!shortcut->keys().contains(key)) continue;
      EXPECT_EQ(shortcut->context(), Qt::WindowShortcut);
      emit shortcut->activated();
      return;
    }
    ADD_FAILURE() << "no shortcut for " << key.toString().toStdString();
  }

  const DollProfile& Displayed() const { return Doll().View.DisplayedProfile; }

  DollProfile sample{};
};

TEST_F(Reshape, ADragAlongTheEdgeWritesTheOutlineKeepsTheOldOneAndOpenFollowsIt) {
  const Bytes sampleShape = ReadBytes(ShapeFileName);
  TPaintBox* box = form->PaintBox1;
  SendMouse(box, QEvent::MouseMove, NeckRow, RightEdge(NeckRadius) + 4, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(box->cursor().shape(), Qt::SizeHorCursor);
  SendMouse(box, QEvent::MouseMove, NeckRow, RightEdge(NeckRadius) - 4, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(box->cursor().shape(), Qt::ArrowCursor);

  // A neck: the row pulled in to 60, shown at once, written on release.
  const TFolder before = FolderFiles();
  PressAndMove(box, NeckRow, RightEdge(NeckRadius), RightEdge(60));
  const DollProfile neck = DraggedProfile(sample, NeckRow, 60);
  EXPECT_EQ(Displayed(), neck);
  EXPECT_EQ(FolderFiles(), before);
  Release(box, NeckRow, RightEdge(60));
  EXPECT_EQ(ReadShapeProfile(ShapeFileName), neck);
  EXPECT_EQ(Displayed(), neck);
  EXPECT_EQ(ReadBytes(BackupName(ShapeFileName, 1)), sampleShape);
  EXPECT_FALSE(IsOpenable(Doll()));
  EXPECT_EQ(CloseNextMessageBox([&] { form->BtnOpen->click(); }).Text, NotOpenableMessage);

  // Pulled back out to where it was on the other view, the rows around it are smooth again.
  const Bytes neckShape = ReadBytes(ShapeFileName);
  Drag(form->PaintBox2, NeckRow, RightEdge(60), RightEdge(NeckRadius));
  EXPECT_EQ(ReadShapeProfile(ShapeFileName), DraggedProfile(neck, NeckRow, NeckRadius));
  EXPECT_EQ(ReadBytes(BackupName(ShapeFileName, 2)), neckShape);
  EXPECT_TRUE(IsOpenable(Doll()));
}

TEST_F(Reshape, ADragThatLeavesNoNewOutlineWritesNothing) {
  struct Case {
    const char* Name;
    std::function<void(TPaintBox*)> Act;
    const char* Says;  // in the message box, or "" for none
  };
  const std::vector<Case> cases{
      {"Escape",
       [](TPaintBox* box) {
         PressAndMove(box, NeckRow, RightEdge(NeckRadius), RightEdge(60));
         QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QCoreApplication::sendEvent(box, &escape);
         Release(box, NeckRow, RightEdge(60));
       },
       ""},
      {"the same radius",
       [](TPaintBox* box) { Drag(box, NeckRow, RightEdge(NeckRadius) + 2, RightEdge(NeckRadius)); },
       ""},
      {"a read-only folder",
       [](TPaintBox* box) {
         SetFileOutputFunctions(OpenFails, nullptr);
         Drag(box, NeckRow, RightEdge(NeckRadius), RightEdge(60));
       },
       "シェイプ.bmp"},
      {"an opening under way",
       [this](TPaintBox* box) {
         OpenDoll(Doll());
         for (int step = 0; step < 5; ++step) form->Scene->FrameTick();
         const DollProfile shown = Displayed();
         Drag(box, NeckRow, RightEdge(shown[NeckRow]), RightEdge(shown[NeckRow]) + 20);
         EXPECT_EQ(Displayed(), shown);
       },
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    form->BtnLoad->click();
    const TFolder before = FolderFiles();
    const SeenMessageBox seen = CloseNextMessageBox([&] { c.Act(form->PaintBox1); });
    SetFileOutputFunctions(nullptr, nullptr);
    EXPECT_EQ(seen.Shown, *c.Says != '\0');
    EXPECT_TRUE(seen.Text.contains(c.Says)) << seen.Text.toStdString();
    EXPECT_EQ(FolderFiles(), before);
    EXPECT_FALSE(form->PaintBox1->Dragging());
    if (DollAtRest(Doll())) {
      EXPECT_EQ(Displayed(), sample);
    }
  }
}

TEST_F(Reshape, UndoAndRedoWalkAMixedHistoryAndNoFileIsEverLost) {
  WriteBytes("red.bmp", Bmp24(std::vector(4, std::vector(4, Pixel24{0, 0, 255}))));
  const Bytes shape0 = ReadBytes(ShapeFileName);
  const Bytes skin0 = ReadBytes(TextureFileName);
  TFolder seen = FolderFiles();
  // After each step: the doll's two files, the doll shown as read from them, and every
  // other file as it was.
  const auto expect = [&](const Bytes& shape, const Bytes& skin, int beeps) {
    EXPECT_EQ(ReadBytes(ShapeFileName), shape);
    EXPECT_EQ(ReadBytes(TextureFileName), skin);
    EXPECT_EQ(Displayed(), ReadShapeProfile(ShapeFileName));
    EXPECT_EQ(Beeps, beeps);
    const TFolder now = FolderFiles();
    for (const auto& [name, bytes] : seen)
      if (name != ShapeFileName && name != TextureFileName) {
        EXPECT_EQ(now.count(name) ? now.at(name) : Bytes{}, bytes) << name;
      }
    seen = now;
  };
  const QKeySequence undo(Qt::CTRL | Qt::Key_Z);
  const QKeySequence redo(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
  const QKeySequence redoY(Qt::CTRL | Qt::Key_Y);

  PressKey(undo);
  expect(shape0, skin0, 1);  // nothing to take back
  form->Scene->DropPicture("red.bmp", 0);
  const Bytes skin1 = ReadBytes(TextureFileName);
  ASSERT_NE(skin1, skin0);
  expect(shape0, skin1, 1);
  Drag(form->PaintBox1, NeckRow, RightEdge(NeckRadius), RightEdge(60));
  const Bytes shape1 = ReadBytes(ShapeFileName);
  ASSERT_NE(shape1, shape0);
  expect(shape1, skin1, 1);
  PressKey(undo);
  expect(shape0, skin1, 1);
  PressKey(undo);
  expect(shape0, skin0, 1);
  PressKey(redo);
  expect(shape0, skin1, 1);
  Drag(form->PaintBox2, NeckRow, RightEdge(NeckRadius), RightEdge(95));
  const Bytes shape2 = ReadBytes(ShapeFileName);
  expect(shape2, skin1, 1);
  PressKey(redoY);
  expect(shape2, skin1, 2);  // the reshape dropped the step that could have been put back
  PressKey(undo);
  expect(shape0, skin1, 2);
  PressKey(redoY);
  expect(shape2, skin1, 2);
  PressKey(undo);
  PressKey(undo);
  expect(shape0, skin0, 2);  // the first reshape is no longer in the history
  PressKey(undo);
  expect(shape0, skin0, 3);
}

TEST_F(Reshape, AStepThatCannotBeTakenChangesNothingAndStaysInTheHistory) {
  struct Case {
    const char* Name;
    std::function<void()> Break;
    const char* Says;
  };
  const std::vector<Case> cases{
      {"the kept file removed", [] { fs::rename("シェイプ-01.bmp", "elsewhere.bmp"); },
       "シェイプ-01.bmp"},
      {"a read-only folder", [] { SetFileOutputFunctions(nullptr, nullptr, nullptr, LinkFails); },
       "シェイプ.bmp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Drag(form->PaintBox1, NeckRow, RightEdge(NeckRadius), RightEdge(70));
    const std::size_t steps = form->Scene->DollHistory.UndoCount();
    c.Break();
    const TFolder before = FolderFiles();
    const DollProfile shown = Displayed();
    const SeenMessageBox seen = CloseNextMessageBox([&] { PressKey(QKeySequence::Undo); });
    SetFileOutputFunctions(nullptr, nullptr);
    EXPECT_TRUE(seen.Text.contains(c.Says)) << seen.Text.toStdString();
    EXPECT_EQ(FolderFiles(), before);
    EXPECT_EQ(Displayed(), shown);
    EXPECT_EQ(form->Scene->DollHistory.UndoCount(), steps);
    EXPECT_EQ(Beeps, 0);
  }
}

}  // namespace
