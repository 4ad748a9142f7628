#include "UnitForm.h"

#include <QShortcut>

#include "Reshape.h"
#include "Scene.h"
#include "doll/Opening.h"
#include "doll/ShapeProfile.h"
#include "framework/TavoUtility.h"
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
      BtnOpen(Find<QPushButton>(this, "BtnOpen")) {
  ConnectClick(BtnTurnLeft, &TFormMain::BtnTurnLeftClick);
  ConnectClick(BtnTurnRight, &TFormMain::BtnTurnRightClick);
  ConnectClick(BtnLoad, &TFormMain::BtnLoadClick);
  ConnectClick(BtnSave, &TFormMain::BtnSaveClick);
  ConnectClick(BtnShade, &TFormMain::BtnShadeClick);
  ConnectClick(BtnOpen, &TFormMain::BtnOpenClick);
  PaintBox1->AcceptPictureDrops([this](const std::string& file) { DropOnView(file, 0); });
  PaintBox2->AcceptPictureDrops(
      [this](const std::string& file) { DropOnView(file, BackViewTurn); });
  AcceptReshaping(PaintBox1);
  AcceptReshaping(PaintBox2);
  // Window shortcuts: they work whichever button has the focus.
  connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this,
          &TFormMain::UndoKeyPress);
  auto* redo = new QShortcut(this);
  redo->setKeys(RedoKeys());
  connect(redo, &QShortcut::activated, this, &TFormMain::RedoKeyPress);
  try {
    StartScene(*this, PaintBox1, PaintBox2);
  } catch (...) {
    StopScene();
    throw;
  }
  ShowDirection();
  FitPanel(PageMain, true);
}

TFormMain::~TFormMain() {
  StopScene();
}

void TFormMain::ShowDirection() {
  // The button of the running direction stops it; the other turns the doll its way.
  BtnTurnRight->setText(Direction == DirectionClockwise ? StopCaption : TurnRightCaption);
  BtnTurnLeft->setText(Direction == DirectionCounterClockwise ? StopCaption : TurnLeftCaption);
}

void TFormMain::BtnTurnRightClick() {
  Direction = Direction == DirectionClockwise ? std::string() : DirectionClockwise;
  ShowDirection();
}

void TFormMain::BtnTurnLeftClick() {
  Direction = Direction == DirectionCounterClockwise ? std::string() : DirectionCounterClockwise;
  ShowDirection();
}

void TFormMain::BtnLoadClick() {
  const TBusyCursor busy;
  LoadDoll();
}

void TFormMain::BtnSaveClick() {
  SaveViews();
}

void TFormMain::BtnShadeClick() {
  ShadeLevel = (ShadeLevel + 1) % ShadeLevels;
  BtnShade->setText(QString("Shade %1").arg(ShadeLevel));
}

void TFormMain::DropOnView(const std::string& fileName, int turn) {
  ReportErrors([&] {
    const TBusyCursor busy;
    DropPicture(fileName, RotationOffset + turn);
  });
}

void TFormMain::BtnOpenClick() {
  if (IsOpenable()) {
    OpenDoll();
  } else {
    ShowMsg(NotOpenableMessage);
  }
}

void TFormMain::AcceptReshaping(TPaintBox* box) {
  box->AcceptEdgeDrags(
      {CanReshapeAt, BeginReshape, DragReshape, [this](bool keep) { EndReshapeInView(keep); }});
}

void TFormMain::EndReshapeInView(bool keep) {
  if (!keep) {
    CancelReshape();
    return;
  }
  ReportErrors([] {
    const TBusyCursor busy;
    EndReshape();
  });
}

bool TFormMain::ViewDragging() const {
  return PaintBox1->Dragging() || PaintBox2->Dragging();
}

void TFormMain::UndoKeyPress() {
  if (ViewDragging()) return;  // the drag has the pointer; Escape takes it back
  ReportErrors([] {
    const TBusyCursor busy;
    if (!UndoDollChange()) DefaultBeep();
  });
}

void TFormMain::RedoKeyPress() {
  if (ViewDragging()) return;
  ReportErrors([] {
    const TBusyCursor busy;
    if (!RedoDollChange()) DefaultBeep();
  });
}
