// The main window and its scene, headless: start-up, the frame tick, every button, saving,
// loading bad images, and shutting down.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <filesystem>

#include "DollModel.h"
#include "MessageBoxWatcher.h"
#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "framework/TavoTimer.h"
#include "framework/TavoUtility.h"
#include "scene/Scene.h"
#include "scene/UnitForm.h"

namespace {

using Picture = std::vector<std::vector<Pixel24>>;

// An egg-shaped doll that can open: widest (90) on rows 100..120.
std::vector<int> EggRadii() {
  std::vector<int> radii(200);
  for (int y = 0; y < 200; ++y)
    radii[y] = y <= 100 ? 40 + y / 2 : y <= 120 ? 90 : 90 - (y - 120) / 2;
  return radii;
}

// A doll with a neck: it cannot open.
std::vector<int> NeckRadii() {
  std::vector<int> radii = EggRadii();
  for (int y = 60; y < 70; ++y) radii[y] = 30;
  return radii;
}

Picture Pixels(const TTavoBitmap& bitmap) {
  Picture p(bitmap.height(), std::vector<Pixel24>(bitmap.width()));
  for (int y = 0; y < bitmap.height(); ++y)
    for (int x = 0; x < bitmap.width(); ++x) p[y][x] = bitmap.Rows[y][x];
  return p;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(ShapeFileName, ShapeBmp(EggRadii()));
    WriteBytes(TextureFileName, Bmp24(RandomTexture(8)));
    form = std::make_unique<TFormMain>();
    // The tests run frames themselves; the busy main loop must not start.
    QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
    // A new window's doll: at rotation 0 and shade 0, turning clockwise, nothing drawn yet.
    ASSERT_EQ(Doll().RotationOffset, 0);
    ASSERT_EQ(Doll().ShadeLevel, 0);
    ASSERT_EQ(Doll().Direction, DirectionClockwise);
  }
  void TearDown() override { form.reset(); }

  TDoll& Doll() const { return form->Scene->Doll; }
  void FrameTick() const { form->Scene->FrameTick(); }

  ScratchFolder folder{true};
  std::unique_ptr<TFormMain> form;
};

TEST_F(MainWindow, StartsTurningClockwiseAtRest) {
  EXPECT_EQ(form->BtnTurnRight->text(), "<Stop>");
  EXPECT_EQ(form->BtnTurnLeft->text(), "←Turn");
  EXPECT_EQ(form->BtnShade->text(), "Shade 0");
  EXPECT_EQ(Doll().OpenProgress, 200);
  EXPECT_TRUE(Doll().Openable);
  std::vector<int> offsets;
  for (int frame = 0; frame < 4; ++frame) {
    offsets.push_back(Doll().RotationOffset);
    FrameTick();
  }
  EXPECT_EQ(offsets, (std::vector<int>{0, 248, 246, 244}));
  ASSERT_EQ(TaskTable.size(), 1u);
  // The task is the scene's frame tick: it draws the views at the rotation, shows the frames
  // and turns the doll.
  ASSERT_TRUE(TaskTable[0].Proc);
  TaskTable[0].Proc();
  EXPECT_EQ(form->Scene->DrawnRotation, 242);
  EXPECT_EQ(Doll().RotationOffset, 240);
  EXPECT_EQ(form->PaintBox1->Picture(), static_cast<const QImage&>(form->Scene->FrameLeft));
  EXPECT_EQ(form->PaintBox2->Picture(), static_cast<const QImage&>(form->Scene->FrameRight));
  EXPECT_EQ(TaskTable[0].Interval, 50);
}

TEST_F(MainWindow, TheLayoutIsTheStoredOneWithThePanelUnderTheMenuBar) {
  const int bar = form->MenuBar->height();
  EXPECT_GT(bar, 10);
  EXPECT_EQ(form->MenuBar->geometry(), QRect(0, 0, 500, bar));
  EXPECT_EQ(form->size(), QSize(500, 300 + bar));
  EXPECT_EQ(form->windowTitle(), QDir::current().dirName());  // the doll's name
  EXPECT_EQ(form->PageMain->geometry(), QRect(0, bar, 500, 300));
  EXPECT_TRUE(form->PageMain->isVisibleTo(form.get()));
  EXPECT_EQ(form->PageMain->palette().color(QPalette::Window), QColor(68, 68, 68));
  EXPECT_EQ(form->PaintBox1->geometry(), QRect(25, 25, 200, 200));
  EXPECT_EQ(form->PaintBox2->geometry(), QRect(275, 25, 200, 200));
  const std::vector<std::pair<QPushButton*, QRect>> buttons = {
      {form->BtnTurnLeft, {25, 240, 120, 25}}, {form->BtnTurnRight, {55, 265, 120, 25}},
      {form->BtnLoad, {175, 240, 120, 25}},    {form->BtnSave, {205, 265, 120, 25}},
      {form->BtnShade, {325, 240, 120, 25}},   {form->BtnOpen, {355, 265, 120, 25}}};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    QPushButton* button = buttons[i].first;
    EXPECT_EQ(button->geometry(), buttons[i].second) << button->objectName().toStdString();
    EXPECT_EQ(button->font().pixelSize(), 13);
    EXPECT_TRUE(button->font().bold());
    if (i + 1 < buttons.size()) {
      EXPECT_EQ(button->nextInFocusChain(), buttons[i + 1].first);
    }
  }
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_EQ(form->font().family(), "ＭＳ Ｐゴシック");
}

TEST_F(MainWindow, TheTurnCaptionsFollowTheDirectionFromTheStart) {
  const struct {
    std::string Direction;
    const char* Right;
    const char* Left;
  } rows[] = {{"右回り", "<Stop>", "←Turn"}, {"左回り", "Turn→", "<Stop>"}, {"", "Turn→", "←Turn"}};
  for (const auto& row : rows) {
    form.reset();
    form = std::make_unique<TFormMain>();
    QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
    // A new window's doll turns clockwise, and the captions say so from the start.
    ASSERT_EQ(Doll().Direction, DirectionClockwise);
    EXPECT_EQ(form->BtnTurnRight->text(), rows[0].Right);
    EXPECT_EQ(form->BtnTurnLeft->text(), rows[0].Left);
    // Another direction, shown as the window shows its state (here after a Load).
    Doll().Direction = row.Direction;
    form->BtnLoad->click();
    EXPECT_EQ(Doll().Direction, row.Direction);
    EXPECT_EQ(form->BtnTurnRight->text(), row.Right) << row.Direction;
    EXPECT_EQ(form->BtnTurnLeft->text(), row.Left) << row.Direction;
  }
}

TEST_F(MainWindow, TurnButtonsStopTurnAndSwitchDirection) {
  form->BtnTurnRight->click();  // stop
  EXPECT_EQ(Doll().Direction, "");
  EXPECT_EQ(form->BtnTurnRight->text(), "Turn→");
  FrameTick();
  EXPECT_EQ(Doll().RotationOffset, 0);
  form->BtnTurnRight->click();  // clockwise again
  EXPECT_EQ(Doll().Direction, "右回り");
  EXPECT_EQ(form->BtnTurnRight->text(), "<Stop>");
  EXPECT_EQ(form->BtnTurnLeft->text(), "←Turn");
  form->BtnTurnLeft->click();  // switches at once
  EXPECT_EQ(Doll().Direction, "左回り");
  EXPECT_EQ(form->BtnTurnRight->text(), "Turn→");
  EXPECT_EQ(form->BtnTurnLeft->text(), "<Stop>");
  FrameTick();
  FrameTick();
  EXPECT_EQ(Doll().RotationOffset, 4);
  form->BtnTurnLeft->click();  // stop
  EXPECT_EQ(Doll().Direction, "");
  EXPECT_EQ(form->BtnTurnLeft->text(), "←Turn");
  EXPECT_EQ(form->BtnTurnRight->text(), "Turn→");
}

TEST_F(MainWindow, ShadeStepsThroughSixLevels) {
  for (int level = 1; level <= 6; ++level) {
    form->BtnShade->click();
    EXPECT_EQ(Doll().ShadeLevel, level % 6);
    EXPECT_EQ(form->BtnShade->text(), QString("Shade %1").arg(level % 6));
  }
}

TEST_F(MainWindow, OpenOnADollThatCannotOpenSaysSoAndChangesNothing) {
  WriteBytes(ShapeFileName, ShapeBmp(NeckRadii()));
  form->BtnLoad->click();
  ASSERT_FALSE(Doll().Openable);
  FrameTick();
  const DollProfile current = Doll().CurrentProfile;
  const Picture copy = Pixels(Doll().TextureCopy);
  const Picture front = Pixels(Doll().View.FrontView);
  const SeenMessageBox seen = CloseNextMessageBox([&] { form->BtnOpen->click(); });
  EXPECT_EQ(seen.Title, "カヴィネル");
  EXPECT_EQ(seen.Text, "このカヴィネルは開く形をしていません。");
  EXPECT_EQ(Doll().OpenProgress, 200);
  EXPECT_EQ(Doll().CurrentProfile, current);
  EXPECT_EQ(Pixels(Doll().TextureCopy), copy);
  EXPECT_EQ(Pixels(Doll().View.FrontView), front);
}

TEST_F(MainWindow, OpenStartsAnOpeningAndLoadEndsItAtOnce) {
  form->BtnOpen->click();
  EXPECT_EQ(Doll().OpenProgress, 0);
  FrameTick();
  FrameTick();
  EXPECT_EQ(Doll().OpenProgress, 20);
  form->BtnLoad->click();
  EXPECT_EQ(Doll().OpenProgress, 200);
  const DollProfile& displayed = Doll().View.DisplayedProfile;
  EXPECT_EQ(Doll().CurrentProfile, displayed);
  const std::vector<int> egg = EggRadii();
  EXPECT_EQ(std::vector<int>(displayed.begin(), displayed.end()), egg);
}

TEST_F(MainWindow, SaveTakesTheFirstFreeNumberAndNeverReplacesAFile) {
  EXPECT_EQ(TwoDigits(0), "00");
  EXPECT_EQ(TwoDigits(7), "07");
  EXPECT_EQ(TwoDigits(42), "42");
  EXPECT_EQ(TwoDigits(100), "100");

  WriteBytes("out01.bmp", {'k', 'e', 'e', 'p'});
  EXPECT_EQ(form->Scene->SaveViews(), "out00.bmp");  // a gap is filled first
  EXPECT_EQ(form->Scene->SaveViews(), "out02.bmp");
  EXPECT_EQ(ReadBytes("out01.bmp"), (Bytes{'k', 'e', 'e', 'p'}));
  for (int n = 4; n < 100; ++n) WriteBytes("out" + TwoDigits(n) + ".bmp", {});
  std::filesystem::create_directory("out03.bmp");  // any kind of file takes the name
  EXPECT_EQ(form->Scene->SaveViews(), "out100.bmp");
}

TEST_F(MainWindow, TheSavedSheetHoldsBothViewsOnBlackWithoutStreaks) {
  for (int frame = 0; frame < 5; ++frame) FrameTick();
  form->BtnSave->click();
  const Bytes file = ReadBytes("out00.bmp");
  ASSERT_GT(file.size(), 54u);
  EXPECT_EQ(file[28], 24);  // bits per pixel
  EXPECT_EQ(file[30], 0);   // uncompressed
  TTavoBitmap sheet;
  sheet.LoadFromFileAuto("out00.bmp");
  ASSERT_EQ(sheet.width(), 400);
  ASSERT_EQ(sheet.height(), 200);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      const TDollView& view = Doll().View;
      const bool inside = x >= view.Left[y] && x <= view.Right[y];
      ASSERT_TRUE(SameColour(sheet.Rows[y][x], inside ? view.FrontView.Rows[y][x] : FrameColour));
      ASSERT_TRUE(
          SameColour(sheet.Rows[y][200 + x], inside ? view.BackView.Rows[y][x] : FrameColour));
    }
}

TEST_F(MainWindow, AnUnreadableOrTooSmallTextureIsReportedAndTheDollKeepsTurning) {
  FrameTick();
  const Picture skin = Pixels(Doll().Texture);
  WriteBytes(TextureFileName, {'B', 'M', 1, 2, 3});
  SeenMessageBox seen = CloseNextMessageBox([&] { form->BtnLoad->click(); });
  EXPECT_TRUE(seen.Text.contains("テクスチャ.bmp")) << seen.Text.toStdString();
  EXPECT_EQ(Pixels(Doll().Texture), skin);

  std::vector<std::vector<Pixel24>> small(100, std::vector<Pixel24>(249, KeyColour));
  WriteBytes(TextureFileName, Bmp24(small));
  seen = CloseNextMessageBox([&] { form->BtnLoad->click(); });
  EXPECT_TRUE(seen.Text.contains("テクスチャ.bmp")) << seen.Text.toStdString();
  EXPECT_TRUE(seen.Text.contains("249 × 100")) << seen.Text.toStdString();
  EXPECT_EQ(Pixels(Doll().Texture), skin);
  const int before = Doll().RotationOffset;
  FrameTick();
  EXPECT_EQ(Doll().RotationOffset, (before + 248) % 250);
}

// Every piece of scene state that a Load may change.
struct DollState {
  DollProfile Displayed, Current, Inner;
  RowBounds LeftBounds, RightBounds;
  bool CanOpen;
  int Split, Progress;
  Picture Skin, Copy, InnerSkin;
  bool operator==(const DollState&) const = default;
};
DollState State(const TDoll& doll) {
  return {doll.View.DisplayedProfile,
          doll.CurrentProfile,
          doll.InnerProfile,
          doll.View.Left,
          doll.View.Right,
          doll.Openable,
          doll.SplitRow,
          doll.OpenProgress,
          Pixels(doll.Texture),
          Pixels(doll.TextureCopy),
          Pixels(doll.InnerTexture)};
}

TEST_F(MainWindow, ALoadThatFailsOnTheTextureChangesNothingAndTheOpeningGoesOn) {
  const Bytes shape = ReadBytes(ShapeFileName);
  const Bytes skin = ReadBytes(TextureFileName);
  // An opening run to its end; after three steps, a Load with a good new shape and a cut
  // texture when `failedLoad`.
  auto openTo200 = [&](bool failedLoad) {
    form->BtnOpen->click();
    for (int step = 0; step < 3; ++step) FrameTick();
    if (failedLoad) {
      const DollState before = State(Doll());
      WriteBytes(ShapeFileName, ShapeBmp(NeckRadii()));
      WriteBytes(TextureFileName, Bytes(skin.begin(), skin.end() - 1));
      EXPECT_TRUE(CloseNextMessageBox([&] { form->BtnLoad->click(); }).Shown);
      EXPECT_TRUE(State(Doll()) == before) << "the failed Load changed the scene";
    }
    while (Doll().OpenProgress < 200) FrameTick();
    return State(Doll());
  };
  const DollState afterFailure = openTo200(true);
  WriteBytes(ShapeFileName, shape);
  WriteBytes(TextureFileName, skin);
  form.reset();
  form = std::make_unique<TFormMain>();
  QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
  EXPECT_TRUE(afterFailure == openTo200(false)) << "the opening did not finish as before";
}

TEST_F(MainWindow, OnlyTheTopLeftOfALargeTextureIsUsed) {
  const Picture small = RandomTexture(11);
  WriteBytes(TextureFileName, Bmp24(small));
  form->BtnLoad->click();
  FrameTick();
  const Picture front = Pixels(Doll().View.FrontView);
  for (const QSize size : {QSize(251, 201), QSize(7000, 5000)}) {
    Picture large(size.height(), std::vector<Pixel24>(size.width(), Pixel24{1, 2, 3}));
    for (int y = 0; y < 200; ++y) std::copy(small[y].begin(), small[y].end(), large[y].begin());
    WriteBytes(TextureFileName, Bmp24(large));
    form->BtnLoad->click();
    Doll().RotationOffset = 0;
    FrameTick();
    EXPECT_EQ(Pixels(Doll().View.FrontView), front) << size.width() << " × " << size.height();
    EXPECT_EQ(Doll().Texture.size(), QSize(250, 200));
  }
}

TEST_F(MainWindow, TheViewsShowTheirLastFrameWhenRepainted) {
  FrameTick();
  EXPECT_EQ(form->PaintBox1->Picture(), static_cast<const QImage&>(form->Scene->FrameLeft));
  EXPECT_EQ(form->PaintBox2->Picture(), static_cast<const QImage&>(form->Scene->FrameRight));
  const QImage shown = form->PaintBox1->grab().toImage().convertToFormat(QImage::Format_BGR888);
  EXPECT_EQ(shown, static_cast<const QImage&>(form->Scene->FrameLeft));
}

TEST_F(MainWindow, ACopyOfABitmapTakenBeforeAFrameKeepsItsPixels) {
  FrameTick();
  const TTavoBitmap& front = Doll().View.FrontView;
  const TTavoBitmap& frame = form->Scene->FrameLeft;
  const TTavoBitmap bitmapCopy = frame;
  const QImage imageCopies[] = {front, frame, bitmapCopy};
  const QImage pixels[] = {front.copy(), frame.copy(), frame.copy()};
  FrameTick();  // the doll turns: every one of them is drawn again
  ASSERT_NE(static_cast<const QImage&>(frame), pixels[1]);
  for (std::size_t i = 0; i < std::size(pixels); ++i) EXPECT_EQ(imageCopies[i], pixels[i]) << i;
  EXPECT_EQ(static_cast<const QImage&>(bitmapCopy), pixels[2]);
}

TEST_F(MainWindow, ClosingFreesTheWholeScene) {
  form.reset();
  EXPECT_FALSE(MidiCreated);
  EXPECT_FALSE(TimerCreated);
  // Every bitmap a window makes goes with it: the ten of the scene, and any other.
  const int before = TTavoBitmap::LiveCount();
  form = std::make_unique<TFormMain>();
  QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
  EXPECT_GE(TTavoBitmap::LiveCount(), before + 10);
  form.reset();
  EXPECT_FALSE(MidiCreated);
  EXPECT_FALSE(TimerCreated);
  EXPECT_EQ(TTavoBitmap::LiveCount(), before);
}

TEST(MainWindowStart, AMissingImageEndsTheStartAndFreesWhatWasMade) {
  ScratchFolder folder(true);
  WriteBytes(ShapeFileName, ShapeBmp(EggRadii()));  // no texture
  const int before = TTavoBitmap::LiveCount();
  EXPECT_THROW(TFormMain form, EFOpenError);
  EXPECT_FALSE(MidiCreated);
  EXPECT_FALSE(TimerCreated);
  EXPECT_EQ(TTavoBitmap::LiveCount(), before);
}

}  // namespace
