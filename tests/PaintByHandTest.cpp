// Painting the doll by hand in the window: strokes laid where the brush is at the rotation last
// drawn, taken back and put back one by one; the brush's controls and keys; every way a
// painting ends writing it, with one backup that Ctrl+Z puts back; the writes while it goes on;
// a doll inside that gets a skin of its own; and the gestures it turns off.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>

#include "MessageBoxWatcher.h"
#include "SampleDollWindow.h"
#include "TestFiles.h"
#include "doll/Nest.h"
#include "doll/Opening.h"
#include "framework/FileOutput.h"
#include "framework/TavoClock.h"
#include "framework/TavoDesktop.h"
#include "framework/TavoUtility.h"
#include "scene/PaintSession.h"
#include "scene/Reshape.h"
#include "scene/Scene.h"

namespace {

namespace fs = std::filesystem;

constexpr Pixel24 Black{0, 0, 0};

// The left button pressed, held while moving, or let go; a move without it for Hover.
enum TMouse { Press, Move, Release, Hover };
void Mouse(TPaintBox* box, TMouse what, QPointF at, Qt::KeyboardModifiers keys = {}) {
  const QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseMove,
                                QEvent::MouseButtonRelease, QEvent::MouseMove};
  const Qt::MouseButton button = what == Press || what == Release ? Qt::LeftButton : Qt::NoButton;
  const Qt::MouseButtons held = what == Press || what == Move ? Qt::LeftButton : Qt::NoButton;
  QMouseEvent event(types[what], at, box->mapToGlobal(at), button, held, keys);
  QCoreApplication::sendEvent(box, &event);
}

// A drag from `from` to `to` by way of the middle.
void Stroke(TPaintBox* box, QPointF from, QPointF to) {
  Mouse(box, Press, from);
  Mouse(box, Move, (from + to) / 2);
  Mouse(box, Move, to);
  Mouse(box, Release, to);
}

// The full-size skin `doll` shows uses.
QImage Skin(const TDoll& doll) {
  return doll.Nest.at(SkinLevel(doll.Nest, doll.DollLevel)).Skin->copy();
}

QImage Written(const std::string& name) {
  TTavoBitmap file;
  file.LoadFromFileAuto(name);
  return file.copy();
}

std::uint32_t Now = 0;
int Beeps = 0;

int ReadOnlyOpen(const char*, int, mode_t) {
  errno = EROFS;
  return -1;
}

class PaintByHand : public SampleDollWindow {
 protected:
  void SetUp() override {
    SampleDollWindow::SetUp();
    sample = ReadBytes(TextureFileName);
    Now = 0;
    SetClockSource([] { return Now; });
    Beeps = 0;
    SetBeepHandler([] { ++Beeps; });
    FrameTick();  // drawn at rotation 0
  }
  void TearDown() override {
    SetClockSource(nullptr);
    SetBeepHandler(nullptr);
    SampleDollWindow::TearDown();
  }

  // Activates the shortcut of `window` that `key` belongs to, as the key does there.
  static void PressKey(QWidget* window, const QKeySequence& key) {
    for (QShortcut* shortcut : window->findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
      if (shortcut->keys().contains(key) && shortcut->isEnabled()) emit shortcut->activated();
  }

  TPaintSession& Painting() const { return form->Scene->Painting; }
  bool PaintingOn() const { return Painting().PaintingOn(); }
  QImage Skin() const { return ::Skin(Doll()); }
  void FrameTick() const { form->Scene->FrameTick(); }

  Bytes sample;
};

TEST_F(PaintByHand, AStrokeLaysTheBrushWhereItIsAtTheRotationLastDrawnAndABandWhereItIsHeld) {
  constexpr TMouse Frame = Hover;  // here: a frame with the button held
  const struct {
    TMouse Act;
    QPointF At;
  } steps[] = {{Press, {70.5, 90}}, {Move, {80, 95.25}}, {Frame, {}},
               {Frame, {}},         {Move, {120, 95}},   {Release, {120, 95}}};
  const Pixel24 red{46, 16, 200};
  for (const bool back : {false, true}) {
    SCOPED_TRACE(back ? "back" : "front");
    Doll().Direction = DirectionClockwise;
    Doll().RotationOffset = 30;
    Doll().ShadeLevel = 3;  // shade never changes the colour painted
    FrameTick();            // drawn at 30; the next frame draws 28
    form->PaintClick();
    form->PaintTools->Swatches[2]->click();
    TPaintBox* box = back ? form->PaintBox2 : form->PaintBox1;
    const int turn = back ? BackViewTurn : 0;
    const auto expected = CopyOfSkin(*Doll().Nest.at(1).Skin);
    TViewPoint held{{}, back, 30 + turn};
    for (const auto& step : steps) {
      if (step.Act == Press) PaintDab(Doll(), *expected, {step.At, back, held.Rotation}, 4, {red});
      if (step.Act == Move) PaintLine(Doll(), *expected, held, step.At, 4, {red});
      if (step.Act == Frame) PaintTurn(Doll(), *expected, held, held.Rotation - 2, 4, {red});
      if (step.Act == Frame) held.Rotation -= 2;  // the doll turns two columns under the brush
      if (step.Act != Frame) held.At = step.At;
      step.Act == Frame ? FrameTick() : Mouse(box, step.Act, step.At);
      EXPECT_EQ(Skin(), *expected);
      EXPECT_EQ(Doll().Texture, *expected) << "shown at once";
    }
    form->StopPainting();
    WriteBytes(TextureFileName, sample);
    form->BtnLoad->click();
  }
}

// Shift+click lays the line a drag from the view's last dab would, mirrored too with the
// mirror on; in a view with no dab yet it is a dab.
TEST_F(PaintByHand, AShiftClickPaintsTheLineADragWouldFromTheLastDabInThatView) {
  form->PaintClick();
  const QImage start = Skin();
  const auto click = [](TPaintBox* box, QPointF at, Qt::KeyboardModifiers keys) {
    Mouse(box, Press, at, keys);
    Mouse(box, Release, at);
  };
  for (const bool mirror : {false, true}) {
    SCOPED_TRACE(mirror ? "mirrored" : "plain");
    Painting().PaintBrush.Mirror = mirror;
    click(form->PaintBox1, {60, 100}, {});
    click(form->PaintBox1, {90, 120}, Qt::ShiftModifier);
    click(form->PaintBox2, {80, 90}, Qt::ShiftModifier);
    const QImage lines = Skin();
    while (Painting().UndoStroke()) {
    }
    ASSERT_EQ(Skin(), start);
    Mouse(form->PaintBox1, Press, {60, 100});
    Mouse(form->PaintBox1, Move, {90, 120});
    Mouse(form->PaintBox1, Release, {90, 120});
    click(form->PaintBox2, {80, 90}, {});
    EXPECT_EQ(Skin(), lines);
    while (Painting().UndoStroke()) {
    }
  }
}

TEST_F(PaintByHand, StrokesAreTakenBackOneByOneAndThePaintingIsOneChangeWithOneBackup) {
  const TFolder before = FolderFiles();
  form->PaintClick();
  // Escape during a stroke takes back only that stroke: the view has the key then.
  const QImage start = Skin();
  Mouse(form->PaintBox1, Press, {60, 100});
  PressKey(form.get(), Qt::Key_Escape);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(form->PaintBox1, &escape);
  Mouse(form->PaintBox1, Release, {60, 100});
  EXPECT_EQ(Skin(), start);
  EXPECT_TRUE(PaintingOn());
  const struct {
    TPaintBox* Box;
    QPointF From, To;
  } strokes[] = {{form->PaintBox1, {60, 80}, {140, 80}},
                 {form->PaintBox2, {100, 40}, {100, 160}},
                 {form->PaintBox1, {90, 120}, {110, 100}}};
  std::vector<QImage> skins{Skin()};
  for (const auto& stroke : strokes) {
    Stroke(stroke.Box, stroke.From, stroke.To);
    skins.push_back(Skin());
    EXPECT_NE(skins.end()[-1], skins.end()[-2]);
  }
  EXPECT_EQ(FolderFiles(), before) << "written before it was due";
  const QKeySequence undo(Qt::CTRL | Qt::Key_Z);
  const std::function<void()> undos[] = {[&] { PressKey(form.get(), undo); },
                                         [&] { PressKey(form->PaintTools, undo); },
                                         [&] { form->PaintTools->Undo->click(); }};
  for (int k = 3; k > 0; --k) {
    undos[3 - k]();
    EXPECT_EQ(Skin(), skins[k - 1]) << k;
  }
  EXPECT_FALSE(form->PaintTools->Undo->isEnabled());
  PressKey(form.get(), undo);
  EXPECT_EQ(Beeps, 1);
  PressKey(form->PaintTools, QKeySequence(Qt::CTRL | Qt::Key_Y));
  form->PaintTools->Redo->click();
  EXPECT_EQ(Skin(), skins[2]);

  form->PaintTools->Done->click();
  EXPECT_FALSE(PaintingOn());
  EXPECT_EQ(Written(TextureFileName), skins[2]);
  EXPECT_EQ(FolderFiles().size(), before.size() + 1);
  EXPECT_EQ(ReadBytes(BackupName(TextureFileName, 1)), sample);
  PressKey(form.get(), undo);  // the whole painting
  for (const auto& [name, bytes] : before) EXPECT_EQ(ReadBytes(name), bytes) << name;
  EXPECT_EQ(Skin(), skins[0]);
  PressKey(form.get(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  EXPECT_EQ(Written(TextureFileName), skins[2]);
  EXPECT_EQ(Skin(), skins[2]);
}

TEST_F(PaintByHand, EveryWayAPaintingEndsWritesItAndTurnsPaintingOff) {
  const struct {
    const char* Name;
    std::function<void()> End;
  } rows[] = {
      {"Done", [&] { form->PaintTools->Done->click(); }},
      {"Escape", [&] { PressKey(form.get(), Qt::Key_Escape); }},
      {"Escape in the tool window", [&] { PressKey(form->PaintTools, Qt::Key_Escape); }},
      {"the menu item unchecked", [&] { form->PaintClick(); }},
      {"the tool window closed", [&] { form->PaintTools->close(); }},
      {"Open", [&] { form->BtnOpen->click(); }},
      {"Load", [&] { form->BtnLoad->click(); }},
      {"the window closed",
       [&] {
         form->close();
         SetApplicationTerminated(false);
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    WriteBytes(TextureFileName, sample);
    fs::remove(BackupName(TextureFileName, 1));
    form->BtnLoad->click();
    form->PaintClick();
    Stroke(form->PaintBox1, {60, 100}, {140, 100});
    const QImage painted = Skin();
    row.End();
    EXPECT_FALSE(PaintingOn());
    EXPECT_FALSE(form->PaintTools->isVisible());
    EXPECT_EQ(Written(TextureFileName), painted);
    EXPECT_EQ(ReadBytes(BackupName(TextureFileName, 1)), sample);
  }
}

TEST_F(PaintByHand, WhileItGoesOnAPaintingIsWrittenTenSecondsAfterItsFirstUnwrittenStroke) {
  form->PaintClick();
  const struct {
    std::uint32_t At;
    QPointF StrokeAt;  // none at 0, 0
    bool Written;      // the file holds the skin shown
  } rows[] = {{1000, {60, 100}, false},  {10999, {}, false},        {11000, {}, true},
              {12000, {60, 120}, false}, {13000, {80, 140}, false}, {21999, {}, false},
              {22000, {}, true}};
  for (const auto& row : rows) {
    Now = row.At;
    if (!row.StrokeAt.isNull())
      Stroke(form->PaintBox1, row.StrokeAt, row.StrokeAt + QPointF(40, 0));
    FrameTick();
    EXPECT_EQ(NameTaken(TextureFileName) && Written(TextureFileName) == Skin(), row.Written)
        << row.At;
  }
  const QImage painted = Skin();
  form->StopPainting();
  EXPECT_EQ(Written(TextureFileName), painted);
  EXPECT_EQ(ReadBytes(BackupName(TextureFileName, 1)), sample);
  EXPECT_FALSE(NameTaken(BackupName(TextureFileName, 2))) << "a painting leaves one backup";
  form->UndoKeyPress();
  EXPECT_EQ(ReadBytes(TextureFileName), sample) << "Ctrl+Z takes back the whole painting";
  // Written, then all its strokes undone: the painting ends with the skin as it found it.
  form->PaintClick();
  const QImage start = Skin();
  Now = 30000;
  Stroke(form->PaintBox1, {60, 100}, {100, 100});
  Now = 40000;
  FrameTick();
  ASSERT_NE(Written(TextureFileName), start);
  form->PaintTools->Undo->click();
  form->StopPainting();
  EXPECT_EQ(Written(TextureFileName), start);
}

TEST_F(PaintByHand, AWriteThatFailsIsToldOnceAndAnEndThatFailsShowsWhatTheFileHolds) {
  form->PaintClick();
  Now = 1000;
  Stroke(form->PaintBox1, {60, 100}, {140, 100});
  const TFolder before = FolderFiles();
  SetFileOutputFunctions(ReadOnlyOpen, nullptr);
  const std::uint32_t ticks[] = {11000, 21000};
  for (const std::uint32_t at : ticks) {
    Now = at;
    const SeenMessageBox seen = CloseNextMessageBox([&] { FrameTick(); });
    EXPECT_EQ(seen.Shown, at == ticks[0]);
    EXPECT_EQ(seen.Text.contains(QString::fromStdString(TextureFileName)), seen.Shown);
  }
  const SeenMessageBox ended = CloseNextMessageBox([&] { form->PaintTools->Done->click(); });
  EXPECT_TRUE(ended.Text.contains(QString::fromStdString(TextureFileName)));
  EXPECT_FALSE(PaintingOn());
  EXPECT_EQ(FolderFiles(), before);
  EXPECT_EQ(Skin(), Written(TextureFileName));
}

TEST_F(PaintByHand, ADollInsideIsPaintedOnItsOwnSkinOrAFileOfItsOwnWhichCtrlZSetsAside) {
  for (const bool own : {true, false}) {
    SCOPED_TRACE(own ? "its own skin" : "a borrowed skin");
    if (own) WriteBytes("テクスチャ2.bmp", Bmp24(std::vector(200, std::vector(250, Black))));
    form->BtnLoad->click();
    form->BtnOpen->click();
    while (!DollAtRest(Doll())) FrameTick();
    const TFolder before = FolderFiles();
    const QImage start = Skin();
    form->PaintClick();
    Stroke(form->PaintBox1, {80, 120}, {120, 120});
    form->UndoKeyPress();
    form->StopPainting();  // a painting that in the end changed nothing
    EXPECT_EQ(FolderFiles(), before);
    EXPECT_EQ(SkinLevel(Doll().Nest, 2), own ? 2 : 1);
    form->PaintClick();
    form->PaintTools->Swatches[1]->click();
    Stroke(form->PaintBox1, {80, 120}, {120, 120});
    const QImage painted = Skin();
    EXPECT_EQ(painted.pixel(0, 0), start.pixel(0, 0));
    form->StopPainting();
    EXPECT_EQ(Written("テクスチャ2.bmp"), painted);
    EXPECT_EQ(FolderFiles().size(), before.size() + 1);  // the backup, or the file made
    form->UndoKeyPress();
    EXPECT_EQ(Written(own ? "テクスチャ2.bmp" : "テクスチャ2-01.bmp"), own ? start : painted);
    EXPECT_EQ(SkinLevel(Doll().Nest, 2), own ? 2 : 1);
    for (const auto& entry : fs::directory_iterator("."))
      if (entry.path().filename().string().starts_with("テクスチャ2")) fs::remove(entry.path());
  }
}

// A picture brought while painting floats as a sticker, shown and never written, until a click
// places it as one stroke or Escape takes it away; a picture that cannot be read is told.
TEST_F(PaintByHand, WhilePaintingAPictureFloatsAsAStickerAndTheEdgeIsNotGrabbed) {
  PngParts png;  // 4 × 4 red, opaque but for a transparent column
  png.Width = png.Height = 4;
  png.ColourType = 6;  // PNG_COLOR_TYPE_RGB_ALPHA
  for (int i = 0; i < 16; ++i)
    png.Samples.insert(png.Samples.end(), {255, 0, 0, std::uint8_t(i % 4 ? 255 : 0)});
  const Bytes red = EncodePng(png);
  WriteBytes("red.png", red);
  WriteBytes("cut.png", Bytes(red.begin(), red.begin() + 40));
  const auto drop = [](TPaintBox* box, const char* file) {
    return [box, file] {
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(QString::fromStdString(fs::absolute(file).string()))});
      QDragEnterEvent enter({100, 100}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(box, &enter);
      QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(box, &event);
      QCoreApplication::processEvents();
    };
  };
  SetFileDialog([](QWidget*, const QString&, const QString&, const QString&) {
    return QString::fromStdString(fs::absolute("red.png").string());
  });
  form->PaintClick();
  const QImage before = Skin();
  const TFolder files = FolderFiles();
  const struct {
    const char* Way;
    std::function<void()> Bring;
    TPaintBox* Box;
    bool Escape;
  } rows[] = {
      {"dropped on the front", drop(form->PaintBox1, "red.png"), form->PaintBox1, false},
      {"dropped on the back", drop(form->PaintBox2, "red.png"), form->PaintBox2, true},
      {"chosen in the dialog",
       [&] {
         form->Commands.PastePicture->trigger();
         QCoreApplication::processEvents();
       },
       form->PaintBox1, false},
      {"pasted",
       [&] {
         auto* data = new QMimeData;
         data->setData("image/png", QByteArray(reinterpret_cast<const char*>(red.data()),
                                               static_cast<qsizetype>(red.size())));
         QGuiApplication::clipboard()->setMimeData(data);
         PressKey(form.get(), QKeySequence::Paste);
         QCoreApplication::processEvents();
       },
       form->PaintBox1, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Way);
    row.Bring();
    ASSERT_TRUE(Painting().StickerFloats());
    EXPECT_NE(Skin(), before) << "it is shown on the doll";
    Mouse(row.Box, Hover, {100, 100});
    PressKey(form.get(), Qt::Key_BracketRight);
    EXPECT_EQ(Painting().StickerRect(), QRectF(68, 68, 64, 64));
    QWheelEvent wheel({100, 100}, row.Box->mapToGlobal(QPointF(100, 100)), {}, {0, -120},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(row.Box, &wheel);
    EXPECT_EQ(Painting().StickerRect(), QRectF(76, 76, 48, 48));
    EXPECT_EQ(Painting().PaintBrush.Diameter, BrushDiameters[1]) << "the brush kept its size";
    if (row.Escape) {
      PressKey(form.get(), Qt::Key_Escape);
      EXPECT_TRUE(PaintingOn()) << "Escape took only the sticker";
      EXPECT_EQ(Skin(), before);
    } else {
      Mouse(row.Box, Press, {100, 100});
      Mouse(row.Box, Release, {100, 100});
      EXPECT_FALSE(row.Box->Dragging());
      EXPECT_EQ(Painting().StrokesToUndo(), 1U);
      form->UndoKeyPress();
      EXPECT_EQ(Skin(), before) << "one step of Ctrl+Z";
    }
    EXPECT_FALSE(Painting().StickerFloats());
  }
  const SeenMessageBox refused = CloseNextMessageBox(drop(form->PaintBox1, "cut.png"));
  EXPECT_TRUE(refused.Text.contains("cut.png")) << refused.Text.toStdString();
  EXPECT_FALSE(Painting().StickerFloats());
  EXPECT_EQ(Skin(), before);
  SetFileDialog(nullptr);
  const QPointF edge(99 + Doll().View.DisplayedProfile[160] + 0.5, 160.5);
  ASSERT_TRUE(form->Scene->Reshape.CanReshapeAt(160, static_cast<int>(edge.x())));
  Mouse(form->PaintBox1, Press, edge);
  EXPECT_FALSE(form->Scene->Reshape.ReshapeUnderWay());
  Mouse(form->PaintBox1, Release, edge);
  EXPECT_EQ(FolderFiles(), files);
  form->StopPainting();
  form->BtnOpen->click();
  FrameTick();
  form->PaintClick();
  EXPECT_FALSE(PaintingOn()) << "started while the doll opens";
}

TEST_F(PaintByHand, TheToolsAndKeysSetTheBrushWhichTheViewsDescribeAndThePointerShows) {
  Painting().PaintBrush = {};  // whatever an earlier test left
  form->PaintClick();
  TPaintTools* tools = form->PaintTools;
  const QPointF onDoll(100, 100);
  const Pixel24 under = *SkinColourAt(Doll(), {onDoll, false, 0});
  const Pixel24 skinTone{167, 203, 245};
  const Pixel24 chosen{30, 20, 10};
  // The colour dialog set to `colour`, then its OK or its Cancel pressed.
  const auto inDialog = [&](Pixel24 colour, bool ok) {
    return [&, colour, ok] {
      QTimer::singleShot(0, [colour, ok] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->setCurrentColor(QColor(colour.Red, colour.Green, colour.Blue));
        ok ? dialog->accept() : dialog->reject();
      });
      tools->OtherColour->click();
    };
  };
  const struct {
    std::function<void()> Act;
    Pixel24 Colour;
    int Diameter;
    TBrushTool Tool;
    QString Says;
  } rows[] = {
      {[] {}, Black, 4, TBrushTool::Brush, "太さ 4 ピクセル、色は 黒。"},
      {[&] { PressKey(form.get(), Qt::Key_BracketRight); }, Black, 8, TBrushTool::Brush,
       "8 ピクセル"},
      {[&] { PressKey(tools, Qt::Key_BracketRight), PressKey(tools, Qt::Key_BracketRight); }, Black,
       16, TBrushTool::Brush, "16 ピクセル"},
      {[&] { tools->Sizes[1]->click(), PressKey(form.get(), Qt::Key_BracketLeft); }, Black, 2,
       TBrushTool::Brush, "2 ピクセル"},
      {[&] { tools->Swatches[5]->click(); }, skinTone, 2, TBrushTool::Brush, "色は 肌色。"},
      {[&] { PressKey(form.get(), Qt::Key_E); }, skinTone, 2, TBrushTool::Eraser,
       "2 ピクセルの消しゴム。"},
      {[&] { tools->Brush->click(), tools->Eraser->click(); }, skinTone, 2, TBrushTool::Eraser,
       "消しゴム"},
      {[&] { Mouse(form->PaintBox1, Press, onDoll, Qt::ControlModifier); }, under, 2,
       TBrushTool::Brush, "色は " + ColourName(under)},
      {inDialog(chosen, true), chosen, 2, TBrushTool::Brush, "色は #0a141e。"},
      {inDialog(skinTone, false), chosen, 2, TBrushTool::Brush, "色は #0a141e。"},
      {[&] { PressKey(tools, Qt::Key_M); }, chosen, 2, TBrushTool::Brush, "鏡で左右に描きます。"},
      {[&] { PressKey(form.get(), Qt::Key_G); }, chosen, 2, TBrushTool::Fill,
       "塗りつぶしています: 色は #0a141e、許容差 32。 鏡"},
      {[&] { tools->Tolerance->setValue(40), tools->Mirror->click(); }, chosen, 2, TBrushTool::Fill,
       "許容差 40。"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Says.toStdString());
    row.Act();
    const TBrush& brush = Painting().PaintBrush;
    EXPECT_TRUE(SameColour(brush.Colour, row.Colour));
    EXPECT_EQ(brush.Diameter, row.Diameter);
    EXPECT_EQ(brush.Tool, row.Tool);
    EXPECT_EQ(tools->Eraser->isChecked(), row.Tool == TBrushTool::Eraser);
    EXPECT_EQ(tools->Fill->isChecked(), row.Tool == TBrushTool::Fill);
    EXPECT_TRUE(
        tools->Sizes[std::ranges::find(BrushDiameters, row.Diameter) - std::begin(BrushDiameters)]
            ->isChecked());
    EXPECT_TRUE(form->PaintBox1->accessibleDescription().contains(row.Says))
        << form->PaintBox1->accessibleDescription().toStdString();
    Mouse(form->PaintBox1, Hover, onDoll);
    EXPECT_EQ(tools->Mirror->isChecked(), row.Says.contains("鏡"));
    if (row.Tool == TBrushTool::Fill)
      EXPECT_EQ(form->PaintBox1->cursor().shape(), Qt::PointingHandCursor);
    else
      EXPECT_EQ(form->PaintBox1->cursor().pixmap().width(), row.Diameter + 4);
    // The brush's mirror image is outlined across the axis, in the view the pointer is over.
    Mouse(form->PaintBox1, Hover, {70, 100});
    const double r = row.Diameter / 2.0;
    const bool outlined = tools->Mirror->isChecked() && row.Tool != TBrushTool::Fill;
    EXPECT_EQ(form->PaintBox1->Outline(),
              outlined ? std::optional(QRectF(130 - r, 100 - r, 2 * r, 2 * r)) : std::nullopt);
    EXPECT_FALSE(form->PaintBox2->Outline());
  }
  EXPECT_FALSE(form->PaintBox1->Dragging()) << "Ctrl+click paints no stroke";
  Mouse(form->PaintBox1, Hover, {2, 2});
  EXPECT_EQ(form->PaintBox1->cursor().shape(), Qt::ArrowCursor);
  // The eraser lays back the skin the painting began with.
  const QImage start = Skin();
  PressKey(form.get(), Qt::Key_B);
  Stroke(form->PaintBox1, {60, 100}, {140, 100});
  EXPECT_NE(Skin(), start);
  PressKey(form.get(), Qt::Key_E);
  Stroke(form->PaintBox1, {60, 100}, {140, 100});
  EXPECT_EQ(Skin(), start);
  // The next painting, and the next start, take the brush as this one left it.
  form->StopPainting();
  OpenWindow();
  form->PaintClick();
  const TBrush& brush = Painting().PaintBrush;
  EXPECT_TRUE(SameColour(brush.Colour, chosen));
  EXPECT_EQ(brush.Diameter, 2);
  EXPECT_EQ(brush.Tool, TBrushTool::Eraser);
  EXPECT_EQ(brush.Tolerance, 40);
}

}  // namespace
