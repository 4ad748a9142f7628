#include "UnitForm.h"

#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "AboutBox.h"
#include "PaintSession.h"
#include "Reshape.h"
#include "Scene.h"
#include "TurnAnimation.h"
#include "doll/Opening.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollExport.h"
#include "framework/TavoButtonStyle.h"
#include "framework/TavoDesktop.h"
#include "framework/TavoTimer.h"
#include "framework/TavoUtility.h"
#include "framework/Translation.h"
#include "pictures/PictureReader.h"
#include "platform/DollFolder.h"
#include "platform/DollShelf.h"
#include "platform/Settings.h"
#include "platform/ShelfIndex.h"
#include "ui_FormMain.h"

namespace {

const QString StopCaption = "<Stop>";
const QString TurnLeftCaption = "←Turn";
const QString TurnRightCaption = "Turn→";

// The stored layout. A .ui file cannot hold pixel font sizes nor a window's position, so
// those are set here: 12 px for the window, bold 13 px for the buttons, at 198, 178.
void LoadFormMainLayout(QWidget* form) {
  Ui::FormMain ui;
  ui.setupUi(form);
  form->move(198, 178);
  QFont font = form->font();
  font.setPixelSize(12);
  form->setFont(font);
  for (QPushButton* button : form->findChildren<QPushButton*>()) {
    QFont bold = button->font();
    bold.setPixelSize(13);
    bold.setBold(true);
    button->setFont(bold);
  }
}

// The platform's redo keys, with Ctrl+Shift+Z and Ctrl+Y on every desktop.
QList<QKeySequence> RedoKeys() {
  QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Redo);
  for (const QKeySequence& key :
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
    if (!keys.contains(key)) keys.append(key);
  return keys;
}

// What each button does, said in a few words when the pointer rests on it.
struct TButtonTip {
  const char* Name;
  const char* Tip;
};
constexpr TButtonTip ButtonTips[] = {
    {"BtnTurnLeft", QT_TRANSLATE_NOOP("Window", "左回りに回します（もう一度で止めます）")},
    {"BtnTurnRight", QT_TRANSLATE_NOOP("Window", "右回りに回します（もう一度で止めます）")},
    {"BtnLoad", QT_TRANSLATE_NOOP("Window", "人形の絵を読み直します")},
    {"BtnSave", QT_TRANSLATE_NOOP("Window", "表と裏を outNN.bmp に保存します")},
    {"BtnShade", QT_TRANSLATE_NOOP("Window", "陰影を切り替えます")},
    {"BtnOpen", QT_TRANSLATE_NOOP("Window", "人形を開いて中の人形を見せます")},
};

// Return and keypad Enter press the focused button as Space does, and its focus is framed so
// that it can be seen on the dark panel. A screen reader reads the tip as the button's
// description.
void PrepareButtons(QWidget* form) {
  auto* style = new TButtonStyle;
  style->setParent(form);
  for (const TButtonTip& tip : ButtonTips) {
    auto* button = form->findChild<QPushButton*>(tip.Name);
    button->setAutoDefault(true);
    button->setStyle(style);
    button->setToolTip(Tr("Window", tip.Tip).ToQString());
    button->setAccessibleDescription(button->toolTip());
  }
}

// The pictures a drop takes, as a name filter: every format Qt's readers know, in lower and
// upper case.
QString PictureFilter() {
  QStringList patterns;
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    const QString suffix = QString::fromLatin1(format).toLower();
    patterns << "*." + suffix << "*." + suffix.toUpper();
  }
  return Tr("Window", "絵 (%1);;すべてのファイル (*)").Arg(patterns.join(' ')).ToQString();
}

// Doll files, as a name filter.
QString DollFileFilter() {
  return Tr("Window", "人形ファイル (*.kavinel *.KAVINEL);;すべてのファイル (*)").ToQString();
}

bool IsDollFile(const std::string& fileName) {
  return QString::fromStdString(fileName).endsWith(QString::fromStdString(DollFileSuffix),
                                                   Qt::CaseInsensitive);
}

// The brush of a painting, in a sentence.
QString PaintingDescription(const TBrush& brush) {
  QString text;
  if (brush.Tool == TBrushTool::Eraser) {
    text = Tr("Window", "筆で描いています: 太さ %1 ピクセルの消しゴム。")
               .Arg(brush.Diameter)
               .ToQString();
  } else if (brush.Tool == TBrushTool::Fill) {
    text = Tr("Window", "塗りつぶしています: 色は %1、許容差 %2。")
               .Arg(ColourName(brush.Colour))
               .Arg(brush.Tolerance)
               .ToQString();
  } else {
    text = Tr("Window", "筆で描いています: 太さ %1 ピクセル、色は %2。")
               .Arg(brush.Diameter)
               .Arg(ColourName(brush.Colour))
               .ToQString();
  }
  return brush.Mirror ? text + " " + Tr("Window", "鏡で左右に描きます。").ToQString() : text;
}

// Pictures are taken only by the doll at rest; while it is painted, as stickers.
bool TakesPictures(const TScene& scene) {
  return DollAtRest(scene.Doll);
}

// What the views show: the turn, the shade and which doll of the nest, and the brush while
// painting.
QString ViewDescription(const TScene& scene) {
  const TDoll& doll = scene.Doll;
  const char* turning = QT_TRANSLATE_NOOP("Window", "止まっています");
  if (doll.Direction == DirectionCounterClockwise)
    turning = QT_TRANSLATE_NOOP("Window", "左回りに回っています");
  else if (doll.Direction == DirectionClockwise)
    turning = QT_TRANSLATE_NOOP("Window", "右回りに回っています");
  return Tr("Window", "%1。陰影 %2 (0〜%3)。入れ子の %4 番目の人形です。")
             .Arg(Tr("Window", turning).ToQString())
             .Arg(doll.ShadeLevel)
             .Arg(ShadeLevels - 1)
             .Arg(doll.DollLevel)
             .ToQString() +
         (scene.Painting.PaintingOn() ? " " + PaintingDescription(scene.Painting.PaintBrush)
                                      : QString());
}

// The sample doll a new doll of the shelf copies: installed beside the program, or, in the
// build folder, the source's.
std::string SampleFolder() {
  const std::filesystem::path installed =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / KAVINEL_SAMPLES_FROM_PROGRAM)
          .lexically_normal();
  return HoldsDoll(installed.string()) ? installed.string() : KAVINEL_SOURCE_SAMPLES;
}

// The file dialogs whose last folder is kept.
const QString PictureDialog = QStringLiteral("Pictures");
const QString DollFileDialog = QStringLiteral("DollFiles");
const QString ExportDialog = QStringLiteral("Export");

template <class Control>
Control* Find(QWidget* form, const char* name) {
  auto* control = form->findChild<Control*>(name);
  Q_ASSERT(control);
  return control;
}

}  // namespace

TFormMain::TFormMain(QWidget* AOwner)
    : TTavoForm(500, 300, LoadFormMainLayout, AOwner),
      PageMain(Find<QFrame>(this, "PageMain")),
      PaintBox1(Find<TPaintBox>(this, "PaintBox1")),
      PaintBox2(Find<TPaintBox>(this, "PaintBox2")),
      BtnTurnLeft(Find<QPushButton>(this, "BtnTurnLeft")),
      BtnTurnRight(Find<QPushButton>(this, "BtnTurnRight")),
      BtnLoad(Find<QPushButton>(this, "BtnLoad")),
      BtnSave(Find<QPushButton>(this, "BtnSave")),
      BtnShade(Find<QPushButton>(this, "BtnShade")),
      BtnOpen(Find<QPushButton>(this, "BtnOpen")),
      Commands(MakeCommands()),
      MenuBar(MakeMenuBar()),
      Scene(std::make_unique<TScene>(std::filesystem::current_path().string())),
      PaintTools(new TPaintTools(this, Scene->Painting,
                                 {[this] { ShowState(); }, [this] { UndoKeyPress(); },
                                  [this] { RedoKeyPress(); }, [this] { StopPainting(); }})),
      DollWatcher(new TDollWatcher(
          *Scene,
          [this] {
            return DollAtRest(Scene->Doll) && !Scene->Painting.PaintingOn() && !ViewDragging();
          },
          [this] { ShowState(); }, this)) {
  ConnectClick(BtnTurnLeft, &TFormMain::BtnTurnLeftClick);
  ConnectClick(BtnTurnRight, &TFormMain::BtnTurnRightClick);
  ConnectClick(BtnLoad, &TFormMain::BtnLoadClick);
  ConnectClick(BtnSave, &TFormMain::BtnSaveClick);
  ConnectClick(BtnShade, &TFormMain::BtnShadeClick);
  ConnectClick(BtnOpen, &TFormMain::BtnOpenClick);
  const auto takesPictures = [this] { return TakesPictures(*Scene); };
  // A doll file is taken too: it opens as the menu opens it.
  const QStringList dollFiles{QString::fromStdString(DollFileSuffix)};
  PaintBox1->AcceptPictureDrops([this](const std::string& file) { DropOnView(file, 0); },
                                takesPictures, dollFiles);
  PaintBox2->AcceptPictureDrops([this](const std::string& file) { DropOnView(file, BackViewTurn); },
                                takesPictures, dollFiles);
  for (TPaintBox* box : {PaintBox1, PaintBox2})
    box->DescribeWith([this] { return QString::fromStdString(Scene->DescribeDollAtRest()); });
  PaintBox1->setAccessibleName(Tr("Window", "人形の表").ToQString());
  PaintBox2->setAccessibleName(Tr("Window", "人形の裏").ToQString());
  AcceptReshaping(PaintBox1);
  AcceptReshaping(PaintBox2);
  AcceptStrokes(PaintBox1, false);
  AcceptStrokes(PaintBox2, true);
  // Window shortcuts: they work whichever button has the focus, and in the tool window too.
  for (QWidget* window : {static_cast<QWidget*>(this), static_cast<QWidget*>(PaintTools)}) {
    connect(new QShortcut(QKeySequence::Undo, window), &QShortcut::activated, this,
            &TFormMain::UndoKeyPress);
    auto* redo = new QShortcut(window);
    redo->setKeys(RedoKeys());
    connect(redo, &QShortcut::activated, this, &TFormMain::RedoKeyPress);
    AddPaintingKeys(window);
  }
  connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, &TFormMain::AboutClick);
  Scene->Painting.PaintBrush = RememberedBrush();
  // The keyboard's other way to a context menu, wherever the focus is.
  connect(new QShortcut(Qt::SHIFT | Qt::Key_F10, this), &QShortcut::activated, this,
          &TFormMain::ShowFrontViewMenu);
  const auto showMenu = [this](TPaintBox* box, int turn) {
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this,
            [this, box, turn](QPoint at) { ShowViewMenu(turn, box->mapToGlobal(at)); });
  };
  showMenu(PaintBox1, 0);
  showMenu(PaintBox2, BackViewTurn);
  PrepareButtons(this);
  SetQuietLoop(QuietLoopSetting());
  Scene->Start(*this, PaintBox1, PaintBox2);
  RememberDoll(DollFolderPath(), Scene->Folder());  // however it came to be shown
  DollWatcher->Rest();
  ShowState();
  PutMenuBar(MenuBar);
  FitPanel(PageMain, true);
  // Told once the window is up: the doll goes on without the level pictures named.
  if (const std::vector<std::string>& leftOut = Scene->LeftOutAtStart(); !leftOut.empty()) {
    std::string text;
    for (const std::string& error : leftOut) text += error + "\n";
    QTimer::singleShot(0, this, [text] {
      ShowMsg(text + std::string(Tr("Window", LevelPicturesSetAsideMessage)));
    });
  }
}

TFormMain::~TFormMain() {
  Scene->Stop();
}

void TFormMain::ShowState() {
  // The button of the running direction stops it; the other turns the doll its way.
  const TDoll& doll = Scene->Doll;
  BtnTurnRight->setText(doll.Direction == DirectionClockwise ? StopCaption : TurnRightCaption);
  BtnTurnLeft->setText(doll.Direction == DirectionCounterClockwise ? StopCaption : TurnLeftCaption);
  BtnShade->setText(QString("Shade %1").arg(doll.ShadeLevel));
  setWindowTitle(QString::fromStdString(ShelfName(DollFolderPath(), Scene->Folder())));
  ShowCommands();
  if (Shelf) Shelf->ShowState();
  const QString description = ViewDescription(*Scene);
  for (TPaintBox* box : {PaintBox1, PaintBox2})
    if (box->accessibleDescription() != description) box->setAccessibleDescription(description);
  ShowPainting();
}

void TFormMain::ShowPainting() {
  const TPaintSession& painting = Scene->Painting;
  for (QShortcut* key : FPaintingKeys)
    key->setEnabled(painting.PaintingOn() && !painting.StrokeUnderWay());
  if (!painting.PaintingOn()) {
    PaintTools->hide();
  } else if (!PaintTools->isVisible()) {
    PaintTools->ShowBeside(*this);
  }
  PaintTools->ShowState();
  for (TPaintBox* box : {PaintBox1, PaintBox2}) box->RefreshCursor();
  ShowMirrorOutline();
}

void TFormMain::BtnTurnRightClick() {
  std::string& direction = Scene->Doll.Direction;
  direction = direction == DirectionClockwise ? std::string() : DirectionClockwise;
  ShowState();
}

void TFormMain::BtnTurnLeftClick() {
  std::string& direction = Scene->Doll.Direction;
  direction = direction == DirectionCounterClockwise ? std::string() : DirectionCounterClockwise;
  ShowState();
}

void TFormMain::BtnLoadClick() {
  StopPainting();
  const TBusyCursor busy;
  Scene->LoadDoll();
  DollWatcher->Rest();
  ShowState();
}

void TFormMain::BtnSaveClick() {
  Scene->SaveViews();
}

void TFormMain::BtnShadeClick() {
  std::int32_t& shade = Scene->Doll.ShadeLevel;
  shade = (shade + 1) % ShadeLevels;
  ShowState();
}

void TFormMain::DropOnView(const std::string& fileName, int turn) {
  if (!TakesPictures(*Scene)) {
    DefaultBeep();
    return;
  }
  if (IsDollFile(fileName)) return OpenDollFileNamed(fileName);
  if (Scene->Painting.PaintingOn())
    return FloatSticker([&] { return ReadPictureWithAlpha(fileName); }, turn);
  ReportErrors([&] {
    const TBusyCursor busy;
    Scene->DropPicture(fileName, Scene->Doll.RotationOffset + turn);
  });
  ShowState();
}

void TFormMain::FloatSticker(const std::function<QImage()>& read, int turn) {
  ReportErrors([&] {
    const TBusyCursor busy;
    Scene->Painting.FloatSticker(read(), PointerOrMiddle(turn));
  });
  ShowState();
}

TViewPoint TFormMain::PointerOrMiddle(int turn) const {
  if (FPointer) return *FPointer;
  const QPointF middle(ViewSize / 2.0, ViewSize / 2.0);
  return Scene->Painting.ViewPoint(middle, turn == BackViewTurn);
}

void TFormMain::PasteClipboardClick() {
  if (!Scene->Painting.PaintingOn()) return;
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  QByteArray png = data ? data->data(QStringLiteral("image/png")) : QByteArray();
  if (png.isEmpty() && data && data->hasImage()) {
    // Another kind of picture, as PNG: what is read is read by the program's own reader.
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    qvariant_cast<QImage>(data->imageData()).save(&buffer, "PNG");
  }
  if (png.isEmpty()) return ShowMsg(Tr("Window", "クリップボードに絵がありません。"), this);
  const std::string name(Tr("Window", "クリップボードの絵"));
  FloatSticker([&] { return ReadPngWithAlpha(png, name); }, 0);
}

void TFormMain::BtnOpenClick() {
  if (IsOpenable(Scene->Doll)) {
    StopPainting();
    OpenDoll(Scene->Doll);
    ShowState();
  } else {
    ShowMsg(Tr("Window", NotOpenableMessage));
  }
}

void TFormMain::AcceptReshaping(TPaintBox* box) {
  TReshape& reshape = Scene->Reshape;
  box->AcceptEdgeDrags({[&reshape](int row, int x) { return reshape.CanReshapeAt(row, x); },
                        [&reshape](int row, int x) { return reshape.BeginReshape(row, x); },
                        [&reshape](int x) { reshape.DragReshape(x); },
                        [this](bool keep) { EndReshapeInView(keep); }});
}

void TFormMain::EndReshapeInView(bool keep) {
  if (!keep) {
    Scene->Reshape.CancelReshape();
    return;
  }
  ReportErrors([this] {
    const TBusyCursor busy;
    Scene->Reshape.EndReshape();
  });
}

bool TFormMain::ViewDragging() const {
  return PaintBox1->Dragging() || PaintBox2->Dragging();
}

void TFormMain::UndoKeyPress() {
  StepHistory(&TPaintSession::UndoStroke, &TScene::UndoDollChange);
}

void TFormMain::RedoKeyPress() {
  StepHistory(&TPaintSession::RedoStroke, &TScene::RedoDollChange);
}

void TFormMain::StepHistory(bool (TPaintSession::*stroke)(), bool (TScene::*change)()) {
  if (ViewDragging()) return;  // the drag has the pointer; Escape takes it back
  ReportErrors([&] {
    const TBusyCursor busy;
    TPaintSession& painting = Scene->Painting;
    if (painting.PaintingOn() ? !(painting.*stroke)()
                              : !DollAtRest(Scene->Doll) || !(*Scene.*change)())
      DefaultBeep();
  });
  ShowState();
}

void TFormMain::PaintClick() {
  if (Scene->Painting.PaintingOn()) return StopPainting();
  Scene->Painting.BeginPainting();
  ShowState();
}

void TFormMain::StopPainting() {
  if (!Scene->Painting.PaintingOn()) return;
  ReportErrors([this] {
    const TBusyCursor busy;
    Scene->Painting.EndPainting();
  });
  KeepBrush(Scene->Painting.PaintBrush);
  ShowState();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  StopPainting();
  KeepPose();
  TTavoForm::closeEvent(event);
}

void TFormMain::KeepPose() const {
  RememberPose(Scene->Folder(), {Scene->Doll.RotationOffset, Scene->Doll.ShadeLevel});
}

void TFormMain::AcceptStrokes(TPaintBox* box, bool back) {
  TPaintSession& painting = Scene->Painting;
  box->AcceptStrokes({[this, &painting, box, back](QPointF at) -> std::optional<QCursor> {
                        if (!painting.PaintingOn()) return std::nullopt;  // the edge answers
                        if (painting.StickerFloats()) return QCursor(Qt::CrossCursor);
                        if (!SkinColourAt(Scene->Doll, painting.ViewPoint(at, back)))
                          return QCursor(Qt::ArrowCursor);
                        if (painting.PaintBrush.Tool == TBrushTool::Fill)
                          return QCursor(Qt::PointingHandCursor);
                        return BrushCursor(painting.PaintBrush.Diameter, box->devicePixelRatioF());
                      },
                      [this, &painting, back](QPointF at, Qt::KeyboardModifiers keys) {
                        return PressBrush(painting.ViewPoint(at, back), keys);
                      },
                      [&painting](QPointF at) { painting.StrokeTo(at); },
                      [this, &painting](bool keep) {
                        painting.EndStroke(keep);
                        ShowState();
                      },
                      [this, back](std::optional<QPointF> at) { HoverBrush(at, back); },
                      [this, &painting](int notches) {
                        if (!painting.StickerFloats()) return false;
                        painting.StepStickerSize(notches);
                        return true;
                      }});
}

void TFormMain::HoverBrush(std::optional<QPointF> at, bool back) {
  TPaintSession& painting = Scene->Painting;
  FPointer.reset();
  if (at && painting.PaintingOn()) FPointer = painting.ViewPoint(*at, back);
  if (FPointer) painting.MoveSticker(*FPointer);
  ShowMirrorOutline();
}

void TFormMain::ShowMirrorOutline() {
  const TPaintSession& painting = Scene->Painting;
  const TBrush& brush = painting.PaintBrush;
  std::optional<QRectF> outline;
  if (FPointer && painting.PaintingOn() && brush.Mirror && brush.Tool != TBrushTool::Fill &&
      !painting.StickerFloats() && SkinColourAt(Scene->Doll, *FPointer)) {
    const double radius = brush.Diameter / 2.0;
    outline = QRectF(Mirrored(*FPointer).At - QPointF(radius, radius),
                     QSizeF(brush.Diameter, brush.Diameter));
  }
  PaintBox1->ShowOutline(FPointer && !FPointer->Back ? outline : std::nullopt);
  PaintBox2->ShowOutline(FPointer && FPointer->Back ? outline : std::nullopt);
}

bool TFormMain::PressBrush(const TViewPoint& at, Qt::KeyboardModifiers keys) {
  TPaintSession& painting = Scene->Painting;
  bool started = false;
  if (painting.StickerFloats()) {
    painting.MoveSticker(at);
    painting.PlaceSticker();
  } else if (keys.testFlag(Qt::ControlModifier)) {
    painting.PickColourAt(at);  // a pick, and no stroke
  } else if (painting.PaintBrush.Tool == TBrushTool::Fill) {
    ReportErrors([&] {
      const TBusyCursor busy;
      painting.FillAt(at);
    });
  } else {
    started = painting.BeginStroke(at, keys.testFlag(Qt::ShiftModifier));
  }
  ShowState();
  return started;
}

void TFormMain::AddPaintingKeys(QWidget* window) {
  struct TKey {
    Qt::Key Key;
    void (*Act)(TPaintSession& painting);
  };
  // The size keys size a floating sticker, else the brush.
  static constexpr auto step = [](TPaintSession& painting, int by) {
    if (painting.StickerFloats()) return painting.StepStickerSize(by);
    painting.StepBrushSize(by);
  };
  static constexpr TKey keys[] = {
      {Qt::Key_B, [](TPaintSession& painting) { painting.PaintBrush.Tool = TBrushTool::Brush; }},
      {Qt::Key_E, [](TPaintSession& painting) { painting.PaintBrush.Tool = TBrushTool::Eraser; }},
      {Qt::Key_G, [](TPaintSession& painting) { painting.PaintBrush.Tool = TBrushTool::Fill; }},
      {Qt::Key_M, [](TPaintSession& painting) { painting.PaintBrush.Mirror ^= true; }},
      {Qt::Key_BracketLeft, [](TPaintSession& painting) { step(painting, -1); }},
      {Qt::Key_BracketRight, [](TPaintSession& painting) { step(painting, 1); }},
  };
  for (const TKey& key : keys) {
    FPaintingKeys.push_back(new QShortcut(key.Key, window));
    connect(FPaintingKeys.back(), &QShortcut::activated, this, [this, key] {
      key.Act(Scene->Painting);
      ShowState();
    });
  }
  // Escape drops a floating sticker, or else ends the painting; during a stroke the view has
  // it, and it takes the stroke back.
  FPaintingKeys.push_back(new QShortcut(Qt::Key_Escape, window));
  connect(FPaintingKeys.back(), &QShortcut::activated, this, [this] {
    if (!Scene->Painting.StickerFloats()) return StopPainting();
    Scene->Painting.DropSticker();
    ShowState();
  });
  FPaintingKeys.push_back(new QShortcut(QKeySequence::Paste, window));
  connect(FPaintingKeys.back(), &QShortcut::activated, Commands.PasteClipboard, &QAction::trigger);
}

void TFormMain::contextMenuEvent(QContextMenuEvent* event) {
  // The Menu key goes to the focused button, which passes it on: the front view's menu.
  if (event->reason() != QContextMenuEvent::Keyboard) {
    event->ignore();
    return;
  }
  ShowFrontViewMenu();
}

void TFormMain::ShowFrontViewMenu() {
  ShowViewMenu(0, PaintBox1->mapToGlobal(PaintBox1->rect().center()));
}

TFormMain::TCommands TFormMain::MakeCommands() {
  // `keys` that a shortcut of the window already answers are only shown in the menus.
  const auto make = [this](const char* text, std::function<void()> act, QKeySequence keys = {},
                           Qt::ShortcutContext context = Qt::WidgetShortcut) {
    auto* action = new QAction(Tr("Window", text).ToQString(), this);
    action->setShortcut(keys);
    action->setShortcutContext(context);
    // Run once the menu has closed, so that a dialog the command opens stands on its own.
    connect(
        action, &QAction::triggered, this,
        [this, act] {
          ReportErrors(act);
          ShowState();
        },
        Qt::QueuedConnection);
    return action;
  };
  TCommands commands{
      make(QT_TRANSLATE_NOOP("Window", "絵を貼る(&P)…"),
           [this] { PastePictureOnView(std::exchange(FMenuTurn, 0)); }),
      make(
          QT_TRANSLATE_NOOP("Window", "クリップボードの絵を貼る(&V)"),
          [this] { PasteClipboardClick(); }, QKeySequence::Paste),
      make(QT_TRANSLATE_NOOP("Window", "筆で描く(&B)"), [this] { PaintClick(); }),
      make(QT_TRANSLATE_NOOP("Window", "人形を閉じる(&C)"),
           [this] {
             StopPainting();
             CloseDoll(Scene->Doll);
           }),
      make(
          QT_TRANSLATE_NOOP("Window", "元に戻す(&U)"), [this] { UndoKeyPress(); },
          QKeySequence::Undo),
      make(
          QT_TRANSLATE_NOOP("Window", "やり直す(&R)"), [this] { RedoKeyPress(); },
          RedoKeys().value(0)),
      make(QT_TRANSLATE_NOOP("Window", "回転アニメーションを保存(&A)"),
           [this] { SaveAnimationClick(); }),
      make(QT_TRANSLATE_NOOP("Window", "人形の棚を開く(&S)"), [this] { ShelfClick(); }),
      make(
          QT_TRANSLATE_NOOP("Window", "新しい人形(&N)"), [this] { NewDollClick(); },
          QKeySequence::New, Qt::WindowShortcut),
      make(
          QT_TRANSLATE_NOOP("Window", "人形ファイルを開く(&D)…"), [this] { OpenDollFileClick(); },
          QKeySequence::Open, Qt::WindowShortcut),
      make(QT_TRANSLATE_NOOP("Window", "人形を書き出す(&E)…"), [this] { ExportClick(); }),
      make(QT_TRANSLATE_NOOP("Window", "フォルダーを開く(&F)"), [this] { OpenFolderClick(); }),
      make(QT_TRANSLATE_NOOP("Window", "静かに動かす(&Q)"), [this] { QuietClick(); }),
      make(
          QT_TRANSLATE_NOOP("Window", "カヴィネルについて(&H)"), [this] { AboutClick(); },
          Qt::Key_F1),
      make(
          QT_TRANSLATE_NOOP("Window", "終了(&X)"), [this] { close(); }, QKeySequence::Quit,
          Qt::WindowShortcut),
  };
  for (QAction* onOff : {commands.Paint, commands.Quiet}) onOff->setCheckable(true);
  return commands;
}

QMenuBar* TFormMain::MakeMenuBar() {
  auto* bar = new QMenuBar(this);
  bar->setNativeMenuBar(false);  // the window's size counts the bar
  bar->setAccessibleName(Tr("Window", "メニューバー").ToQString());
  const TCommands& c = Commands;
  const struct {
    const char* Title;
    std::vector<QAction*> Actions;  // null for a separator
  } menus[] = {
      {QT_TRANSLATE_NOOP("Window", "人形(&D)"),
       {c.Shelf, c.NewDoll, nullptr, c.OpenDollFile, c.Export, c.SaveAnimation, c.OpenFolder,
        nullptr, c.Quit}},
      {QT_TRANSLATE_NOOP("Window", "編集(&E)"),
       {c.Undo, c.Redo, nullptr, c.PastePicture, c.PasteClipboard}},
      {QT_TRANSLATE_NOOP("Window", "描く(&P)"), {c.Paint}},
      {QT_TRANSLATE_NOOP("Window", "表示(&V)"), {c.CloseNested, nullptr, c.Quiet}},
      {QT_TRANSLATE_NOOP("Window", "ヘルプ(&H)"), {c.About}},
  };
  for (const auto& entry : menus) {
    QMenu* menu = bar->addMenu(Tr("Window", entry.Title).ToQString());
    // The doll comes to rest, and may be painted again, between two changes the window shows.
    connect(menu, &QMenu::aboutToShow, this, &TFormMain::ShowCommands);
    for (QAction* action : entry.Actions) {
      if (action) {
        menu->addAction(action);
      } else {
        menu->addSeparator();
      }
    }
  }
  return bar;
}

void TFormMain::ShowCommands() {
  // The doll's pictures change only while it is at rest.
  const TPaintSession& session = Scene->Painting;
  const bool atRest = DollAtRest(Scene->Doll);
  const bool painting = session.PaintingOn();
  Commands.PastePicture->setEnabled(TakesPictures(*Scene));
  Commands.PasteClipboard->setEnabled(painting);
  Commands.Paint->setEnabled(atRest);
  Commands.Paint->setChecked(painting);
  Commands.CloseNested->setEnabled(CanCloseDoll(Scene->Doll));
  Commands.Undo->setEnabled(painting ? session.StrokesToUndo() > 0
                                     : atRest && Scene->DollHistory.UndoCount() > 0);
  Commands.Redo->setEnabled(painting ? session.StrokesToRedo() > 0
                                     : atRest && Scene->DollHistory.RedoCount() > 0);
  Commands.Quiet->setChecked(QuietLoop());
}

void TFormMain::ShowViewMenu(int turn, QPoint at) {
  if (ViewDragging()) return;
  ShowCommands();
  const TCommands& c = Commands;
  QMenu menu(this);
  // Separators group the doll, the history, the files and the About box.
  menu.addActions({c.PastePicture, c.Paint, c.CloseNested});
  menu.addSeparator();
  menu.addActions({c.Undo, c.Redo});
  menu.addSeparator();
  menu.addActions({c.SaveAnimation, c.Shelf, c.OpenDollFile, c.Export, c.OpenFolder});
  menu.addSeparator();
  menu.addAction(c.Quiet);
  menu.addSeparator();
  menu.addAction(c.About);
  FMenuTurn = turn;
  if (menu.exec(at) != c.PastePicture) FMenuTurn = 0;
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);  // the command chosen, now
}

void TFormMain::PastePictureOnView(int turn) {
  const QString file = ChooseFileToOpen(
      this, Tr("Window", "絵を貼る").ToQString(),
      DialogFolder(PictureDialog, QString::fromStdString(Scene->Folder())), PictureFilter());
  if (file.isEmpty()) return;
  KeepDialogFolder(PictureDialog, QFileInfo(file).absolutePath());
  DropOnView(file.toStdString(), turn);
}

void TFormMain::SaveAnimationClick() {
  ReportErrors([this] {
    const TBusyCursor busy;
    SaveTurnAnimation(Scene->Doll, Scene->FilesFolder());
  });
}

void TFormMain::OpenDollFileClick() {
  const QString file = ChooseFileToOpen(
      this, Tr("Window", "人形ファイルを開く").ToQString(),
      DialogFolder(DollFileDialog, QString::fromStdString(Scene->Folder())), DollFileFilter());
  if (file.isEmpty()) return;
  KeepDialogFolder(DollFileDialog, QFileInfo(file).absolutePath());
  OpenDollFileNamed(file.toStdString());
}

void TFormMain::OpenDollFileNamed(const std::string& fileName) {
  StopPainting();
  KeepPose();
  ReportErrors([&] {
    const TBusyCursor busy;
    Scene->OpenDollFile(fileName);
  });
  DollWatcher->Rest();
  if (Shelf) Shelf->Refresh();
  ShowState();
}

void TFormMain::ExportClick() {
  const QString doll = QString::fromStdString(Scene->Folder());
  const QString suggested =
      QDir(DialogFolder(ExportDialog, doll))
          .filePath(QDir(doll).dirName() + QString::fromStdString(DollFileSuffix));
  const QString file =
      ChooseFileToSave(this, Tr("Window", "人形を書き出す").ToQString(), suggested,
                       DollFileFilter(), QString::fromStdString(DollFileSuffix).mid(1));
  if (file.isEmpty()) return;
  KeepDialogFolder(ExportDialog, QFileInfo(file).absolutePath());
  bool written = false;
  ReportErrors([&] {
    const TBusyCursor busy;
    Scene->Painting.SavePainting();  // the file holds the doll as it is shown
    // The dialog has asked before a file is replaced.
    ExportDoll(Scene->FilesFolder(), file.toStdString(), true);
    written = true;
  });
  if (written) ShowExported(file);
}

void TFormMain::ShowExported(const QString& file) {
  QMessageBox box(
      QMessageBox::Information, QString::fromUtf8(ApplicationTitle),
      Tr("Window", "人形を書き出しました: %1").Arg(QDir::toNativeSeparators(file)).ToQString(),
      QMessageBox::Ok, QApplication::activeWindow() ? QApplication::activeWindow() : this);
  box.setTextFormat(Qt::PlainText);
  const QAbstractButton* show =
      box.addButton(Tr("Window", "フォルダーを表示(&S)").ToQString(), QMessageBox::ActionRole);
  box.exec();
  const QString folder = QFileInfo(file).absolutePath();
  if (box.clickedButton() == show && !ShowFolder(folder))
    ShowMsg(Tr("Window", "フォルダー \"%1\" を開けません: ファイルマネージャーを起動できません")
                .Arg(QDir::toNativeSeparators(folder)));
}

void TFormMain::OpenFolderClick() {
  const QString folder = QString::fromStdString(Scene->Folder());
  if (!ShowFolder(folder))
    ShowMsg(Tr("Window", "フォルダー \"%1\" を開けません: ファイルマネージャーを起動できません")
                .Arg(QDir::toNativeSeparators(folder)));
}

void TFormMain::ShelfClick() {
  if (!Shelf) {
    Shelf = new TShelfWindow(
        this, DollFolderPath(), SampleFolder(),
        {[this](const std::string& folder) { return ShowDoll(folder); }, [this] { ExportClick(); },
         [this] { OpenDollFileClick(); }, [this] { return Scene->Folder(); },
         [this](const std::string& folder) {
           Scene->FolderRenamed(folder);
           DollWatcher->Rest();
           ShowState();  // the title names it anew
         }});
  } else {
    Shelf->Refresh();
  }
  Shelf->show();
  Shelf->raise();
  Shelf->activateWindow();
}

bool TFormMain::ShowDoll(const std::string& folder) {
  StopPainting();
  KeepPose();
  bool shown = false;
  ReportErrors([&] {
    const TBusyCursor busy;
    Scene->ShowDollFolder(folder);
    shown = true;
  });
  DollWatcher->Rest();
  if (Shelf) Shelf->Refresh();  // the doll left shows how it was left
  ShowState();
  return shown;
}

void TFormMain::NewDollClick() {
  ShelfClick();
  Shelf->NewAction->trigger();
}

void TFormMain::QuietClick() {
  SetQuietLoop(!QuietLoop());
  KeepQuietLoop(QuietLoop());
}

void TFormMain::AboutClick() {
  ShowAboutBox(this, QString::fromStdString(Scene->Folder()));
}
