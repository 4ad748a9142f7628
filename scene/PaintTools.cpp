#include "PaintTools.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <utility>

#include "PaintSession.h"
#include "framework/TavoWindows.h"
#include "framework/Translation.h"

namespace {

constexpr Pixel24 Rgb(int red, int green, int blue) {
  return {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
          static_cast<std::uint8_t>(red)};
}

// Colours for a nesting doll: black, the starting colour, and white, then reds, a skin tone,
// golds, greens and blues.
struct TSwatch {
  Pixel24 Colour;
  const char* Name;
};
constexpr TSwatch SwatchColours[] = {
    {Rgb(0, 0, 0), QT_TRANSLATE_NOOP("Paint", "黒")},
    {Rgb(255, 255, 255), QT_TRANSLATE_NOOP("Paint", "白")},
    {Rgb(200, 16, 46), QT_TRANSLATE_NOOP("Paint", "赤")},
    {Rgb(227, 66, 52), QT_TRANSLATE_NOOP("Paint", "朱色")},
    {Rgb(128, 24, 40), QT_TRANSLATE_NOOP("Paint", "臙脂")},
    {Rgb(245, 203, 167), QT_TRANSLATE_NOOP("Paint", "肌色")},
    {Rgb(212, 175, 55), QT_TRANSLATE_NOOP("Paint", "金色")},
    {Rgb(248, 181, 0), QT_TRANSLATE_NOOP("Paint", "山吹色")},
    {Rgb(46, 139, 87), QT_TRANSLATE_NOOP("Paint", "緑")},
    {Rgb(141, 178, 85), QT_TRANSLATE_NOOP("Paint", "若草色")},
    {Rgb(30, 80, 162), QT_TRANSLATE_NOOP("Paint", "青")},
    {Rgb(35, 59, 108), QT_TRANSLATE_NOOP("Paint", "藍色")},
};
constexpr int SwatchesInARow = 6;
constexpr int SwatchSize = 20;  // pixels

QColor ToQColor(Pixel24 colour) {
  return {colour.Red, colour.Green, colour.Blue};
}

QPixmap Patch(Pixel24 colour, QSize size) {
  QPixmap patch(size);
  patch.fill(ToQColor(colour));
  QPainter(&patch).drawRect(0, 0, size.width() - 1, size.height() - 1);  // seen on any ground
  return patch;
}

// A button that stays pressed while what it stands for is chosen.
QToolButton* Toggle(QWidget* owner, const QString& name, const QString& tip) {
  auto* button = new QToolButton(owner);
  button->setCheckable(true);
  button->setAccessibleName(name);
  button->setToolTip(tip);
  return button;
}

QLabel* Heading(QWidget* owner, const char* text) {
  return new QLabel(Tr("Paint", text).ToQString(), owner);
}

QHBoxLayout* Row(const std::vector<QWidget*>& widgets) {
  auto* row = new QHBoxLayout;
  for (QWidget* widget : widgets) row->addWidget(widget);
  row->addStretch();
  return row;
}

}  // namespace

QString ColourName(Pixel24 colour) {
  for (const TSwatch& swatch : SwatchColours)
    if (SameColour(swatch.Colour, colour)) return Tr("Paint", swatch.Name).ToQString();
  return ToQColor(colour).name();
}

QCursor BrushCursor(int diameter, qreal pixelRatio) {
  // Made once for each size: a cursor made anew at every move costs the window system.
  static std::map<std::pair<int, qreal>, QCursor> made;
  const auto [at, isNew] = made.try_emplace({diameter, pixelRatio});
  if (!isNew) return at->second;
  const int side = diameter + 4;  // room for the light rim round the dark outline
  QPixmap pixmap(QSize(side, side) * pixelRatio);
  pixmap.setDevicePixelRatio(pixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF outline(2, 2, diameter, diameter);  // centred on the hot spot's corner
  painter.setPen(QPen(Qt::white, 2.5));
  painter.drawEllipse(outline);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawEllipse(outline);
  return at->second = QCursor(pixmap, side / 2, side / 2);
}

TPaintTools::TPaintTools(QWidget* owner, TPaintSession& session, TActions actions)
    : QWidget(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      CurrentColour(new QLabel(this)),
      OtherColour(new QPushButton(Tr("Paint", "その他の色…").ToQString(), this)),
      Brush(
          Toggle(this, Tr("Paint", "筆 (B)").ToQString(), Tr("Paint", "色で描きます").ToQString())),
      Eraser(Toggle(this, Tr("Paint", "消しゴム (E)").ToQString(),
                    Tr("Paint", "描き始める前の肌に戻します").ToQString())),
      Fill(Toggle(this, Tr("Paint", "塗りつぶし (G)").ToQString(),
                  Tr("Paint", "クリックした所と同じ色の部分を塗ります").ToQString())),
      Mirror(Toggle(this, Tr("Paint", "鏡 (M)").ToQString(),
                    Tr("Paint", "人形の軸の反対側にも同じように描きます").ToQString())),
      Tolerance(new QSlider(Qt::Horizontal, this)),
      Undo(new QPushButton(Tr("Paint", "元に戻す").ToQString(), this)),
      Redo(new QPushButton(Tr("Paint", "やり直す").ToQString(), this)),
      Done(new QPushButton(Tr("Paint", "完了").ToQString(), this)),
      FSession(session),
      FActions(std::move(actions)) {
  // Short: a tool window's title bar is narrow.
  setWindowTitle(Tr("Paint", "筆").ToQString());
  setAccessibleName(windowTitle());
  AddControls();
  connect(OtherColour, &QPushButton::clicked, this, [this] { ChooseOtherColour(); });
  connect(Brush, &QToolButton::clicked, this, [this] { ChooseTool(TBrushTool::Brush); });
  connect(Eraser, &QToolButton::clicked, this, [this] { ChooseTool(TBrushTool::Eraser); });
  connect(Fill, &QToolButton::clicked, this, [this] { ChooseTool(TBrushTool::Fill); });
  connect(Mirror, &QToolButton::clicked, this, [this](bool on) {
    FSession.PaintBrush.Mirror = on;
    FActions.Changed();
  });
  connect(Tolerance, &QSlider::valueChanged, this, [this](int tolerance) {
    if (tolerance == FSession.PaintBrush.Tolerance) return;  // shown, not chosen
    FSession.PaintBrush.Tolerance = tolerance;
    FActions.Changed();
  });
  connect(Undo, &QPushButton::clicked, this, [this] { FActions.Undo(); });
  connect(Redo, &QPushButton::clicked, this, [this] { FActions.Redo(); });
  connect(Done, &QPushButton::clicked, this, [this] { FActions.Done(); });
}

QGridLayout* TPaintTools::AddSwatches() {
  auto* swatches = new QGridLayout;
  for (const TSwatch& swatch : SwatchColours) {
    const QString name = Tr("Paint", swatch.Name).ToQString();
    QToolButton* button = Toggle(this, name, name);
    button->setIcon(Patch(swatch.Colour, {SwatchSize, SwatchSize}));
    button->setIconSize({SwatchSize, SwatchSize});
    connect(button, &QToolButton::clicked, this, [this, swatch] { ChooseColour(swatch.Colour); });
    const int n = static_cast<int>(Swatches.size());
    swatches->addWidget(button, n / SwatchesInARow, n % SwatchesInARow);
    Swatches.push_back(button);
  }
  return swatches;
}

void TPaintTools::AddSizes() {
  for (const int diameter : BrushDiameters) {
    const QString name = Tr("Paint", "太さ %1 ピクセル").Arg(diameter).ToQString();
    Sizes.push_back(
        Toggle(this, name, name + '\n' + Tr("Paint", "[ と ] で切り替えます").ToQString()));
    Sizes.back()->setText(QString::number(diameter));
    connect(Sizes.back(), &QToolButton::clicked, this,
            [this, diameter] { ChooseDiameter(diameter); });
  }
}

void TPaintTools::AddControls() {
  QGridLayout* swatches = AddSwatches();
  AddSizes();
  CurrentColour->setAccessibleName(Tr("Paint", "今の色").ToQString());
  for (QToolButton* tool : {Brush, Eraser, Fill, Mirror}) tool->setText(tool->accessibleName());
  Undo->setToolTip("Ctrl+Z");
  Redo->setToolTip("Ctrl+Shift+Z / Ctrl+Y");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Heading(this, QT_TRANSLATE_NOOP("Paint", "色")));
  layout->addLayout(swatches);
  layout->addLayout(Row({CurrentColour, OtherColour}));
  layout->addWidget(Heading(this, QT_TRANSLATE_NOOP("Paint", "太さ")));
  layout->addLayout(Row({Sizes.begin(), Sizes.end()}));
  layout->addLayout(Row({Brush, Eraser, Fill}));
  layout->addLayout(Row({Mirror}));
  layout->addLayout(ToleranceRow());
  layout->addLayout(Row({Undo, Redo}));
  layout->addWidget(Done);
}

// The fill's tolerance: a slider with its value beside it.
QHBoxLayout* TPaintTools::ToleranceRow() {
  const QString name = Tr("Paint", "許容差").ToQString();
  Tolerance->setRange(0, 255);
  Tolerance->setAccessibleName(name);
  Tolerance->setToolTip(Tr("Paint", "塗りつぶしが色の違いをどこまで同じと見るか").ToQString());
  auto* value = new QLabel(this);
  value->setMinimumWidth(value->fontMetrics().horizontalAdvance("000"));
  connect(Tolerance, &QSlider::valueChanged, value,
          [value](int tolerance) { value->setNum(tolerance); });
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(name, this));
  row->addWidget(Tolerance, 1);
  row->addWidget(value);
  return row;
}

void TPaintTools::ShowState() {
  for (std::size_t i = 0; i < Swatches.size(); ++i)
    Swatches[i]->setChecked(SameColour(SwatchColours[i].Colour, FSession.PaintBrush.Colour));
  CurrentColour->setPixmap(Patch(FSession.PaintBrush.Colour, {2 * SwatchSize, SwatchSize}));
  CurrentColour->setToolTip(ColourName(FSession.PaintBrush.Colour));
  CurrentColour->setAccessibleDescription(CurrentColour->toolTip());
  for (std::size_t i = 0; i < Sizes.size(); ++i)
    Sizes[i]->setChecked(BrushDiameters[i] == FSession.PaintBrush.Diameter);
  const TBrushTool tool = FSession.PaintBrush.Tool;
  Brush->setChecked(tool == TBrushTool::Brush);
  Eraser->setChecked(tool == TBrushTool::Eraser);
  Fill->setChecked(tool == TBrushTool::Fill);
  Mirror->setChecked(FSession.PaintBrush.Mirror);
  Tolerance->setValue(FSession.PaintBrush.Tolerance);
  Undo->setEnabled(FSession.StrokesToUndo() > 0);
  Redo->setEnabled(FSession.StrokesToRedo() > 0);
}

void TPaintTools::ShowBeside(const QWidget& main) {
  adjustSize();
  MoveBeside(*this, main);
  show();
  ShowTitleAlone(*this);
}

void TPaintTools::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  FActions.Done();
}

void TPaintTools::ChooseColour(Pixel24 colour) {
  FSession.PaintBrush.Colour = colour;
  if (FSession.PaintBrush.Tool == TBrushTool::Eraser) FSession.PaintBrush.Tool = TBrushTool::Brush;
  FActions.Changed();
}

void TPaintTools::ChooseOtherColour() {
  const QColor chosen = QColorDialog::getColor(ToQColor(FSession.PaintBrush.Colour), this,
                                               Tr("Paint", "その他の色").ToQString());
  if (chosen.isValid()) ChooseColour(Rgb(chosen.red(), chosen.green(), chosen.blue()));
}

void TPaintTools::ChooseDiameter(int diameter) {
  FSession.PaintBrush.Diameter = diameter;
  FActions.Changed();
}

void TPaintTools::ChooseTool(TBrushTool tool) {
  FSession.PaintBrush.Tool = tool;
  FActions.Changed();
}
