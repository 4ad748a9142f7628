// Draws the bundled sample doll and the two dolls nested in it, a daughter and a baby: for
// each, the shape image (one radius per row) and the painted skin that wraps around it, both
// full size. Usage: make_sample_doll [output folder]
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

constexpr int kShapeWidth = 100;
constexpr int kRows = 200;
constexpr int kSkinWidth = 250;
constexpr double kFront = 62;  // texture column facing the viewer at the start
constexpr double kBack = 187;
// One texture column shows about twice as wide as one row on the doll, so round things are
// drawn at half width to look round once wrapped.
constexpr double kSquash = 0.5;

using Radii = std::array<int, kRows>;

// A rounded head up to the widest rows, then a gentle taper to a flat bottom.
struct Outline {
  int top;     // the first row with a radius
  int widest;  // where the head reaches the full radius
  int taper;   // the last row of full radius
  int bottom;  // the last row with a radius
  double radius;
  double foot;  // the radius at the bottom
  double head;  // 2 makes the head an ellipse, more a blunter, rounder one
};

// The trim (the mother's is golden), with the light and shade that give its bands a rim.
struct Trim {
  QColor base;
  QColor light;
  QColor shade;
};

struct Flower {
  double size;  // in rows
  int petals;
  QColor petal;
  QColor heart;
  double petalWidth = 1;
};

// A big flower with a smaller one laid on its middle.
struct Rosette {
  Flower big;
  Flower small;
};

// Staggered rows of ten little flowers all around; with `dots`, the first row and every other
// one are dots of that colour instead.
struct Sprinkle {
  double first;
  double step;
  int rows;
  Flower flower;
  std::optional<QColor> dots;
};

struct Scarf {
  QColor colour;
  Sprinkle flowers;
};

struct Face {
  double row;   // the face's middle; the scarf's knot sits a little higher on the back
  double size;  // 1 for the mother's
  QColor hair;
};

struct Dress {
  int shoulder;  // the scarf's lower edge
  int hem;       // the foot band's first row
  QColor colour;
  QColor footBand;
};

struct Apron {
  double hem;
  double size;  // 1 for the mother's
  QColor colour;
  Flower side;  // on either side of the stem
};

// One doll of the set: its outline, and the colours and places of what its skin shows.
struct Doll {
  const char* level;  // in the file names
  Outline outline;
  Trim trim;
  Scarf scarf;
  Rosette knot;
  Face face;
  Dress dress;
  Sprinkle dressFlowers;
  Apron apron;
  Rosette bouquet;  // on the apron's middle
};

// The mother, whose two pictures are the outer doll, then the daughter and the baby inside her:
// one row each in the tables below. Each is drawn full size and shown shrunk about the mother's
// split row (row 121), so the inner ones are widest round there too and look as if they could
// open there. The daughter is slimmer, with a rounder head, in a blue shawl with daisies, a
// green dress and silver trim; the baby plump and round, in yellow and pink, with a smaller
// face.
constexpr int kDollCount = 3;
const char* const kLevels[kDollCount] = {"", "2", "3"};
const Outline kOutlines[kDollCount] = {
    {4, 120, 125, 196, 92, 70, 2},
    {8, 112, 130, 196, 80, 62, 2.3},
    {20, 114, 124, 190, 94, 56, 2.2},
};
const Trim kTrims[kDollCount] = {
    {{232, 180, 50}, {250, 225, 120}, {170, 110, 30}},
    {{205, 212, 228}, {245, 248, 255}, {125, 135, 165}},
    {{225, 70, 95}, {245, 140, 155}, {160, 40, 65}},
};
const Scarf kScarves[kDollCount] = {
    {{150, 22, 45}, {8, 15, 6, {5, 5, {250, 205, 60}, {225, 110, 40}}, {}}},
    {{35, 80, 165}, {12, 15, 6, {6, 12, {250, 250, 245}, {250, 205, 60}, 0.45}, {}}},
    {{245, 200, 60}, {26, 13, 6, {5, 5, {240, 110, 150}, {255, 245, 235}}, {}}},
};
const Rosette kKnots[kDollCount] = {
    {{24, 8, {245, 180, 50}, {200, 40, 60}}, {12, 6, {250, 235, 190}, {235, 150, 40}}},
    {{22, 10, {240, 150, 190}, {250, 210, 80}}, {11, 6, {255, 235, 240}, {240, 170, 60}}},
    {{18, 6, {235, 90, 130}, {255, 220, 120}}, {9, 5, {255, 200, 215}, {250, 170, 60}}},
};
const Face kFaces[kDollCount] = {
    {54, 1, {95, 55, 35}},
    {60, 0.95, {55, 35, 30}},
    {65, 0.8, {165, 105, 45}},
};
const Dress kDresses[kDollCount] = {
    {86, 190, {205, 35, 40}, {55, 30, 40}},
    {92, 188, {30, 125, 80}, {25, 35, 85}},
    {96, 178, {235, 115, 155}, {150, 45, 90}},
};
const Sprinkle kDressFlowers[kDollCount] = {
    {100, 14, 7, {6, 6, {252, 245, 230}, {245, 190, 50}}, QColor(250, 215, 90)},
    {104, 14, 6, {6, 5, {245, 150, 185}, {255, 240, 200}}, QColor(250, 250, 240)},
    {108, 13, 6, {5, 6, {255, 250, 240}, {250, 200, 60}}, QColor(255, 235, 120)},
};
const Apron kAprons[kDollCount] = {
    {182, 1, {252, 243, 222}, {9, 5, {90, 120, 215}, {250, 210, 70}}},
    {180, 0.9, {250, 246, 228}, {8, 5, {240, 120, 160}, {255, 240, 200}}},
    {172, 0.75, {255, 250, 240}, {7, 5, {110, 160, 235}, {255, 230, 90}}},
};
const Rosette kBouquets[kDollCount] = {
    {{30, 8, {225, 45, 80}, {250, 190, 50}}, {15, 8, {250, 150, 160}, {240, 140, 40}}},
    {{28, 12, {70, 110, 220}, {250, 220, 90}, 0.5}, {13, 8, {160, 190, 250}, {250, 200, 60}}},
    {{22, 8, {250, 200, 60}, {240, 120, 60}}, {11, 6, {255, 240, 170}, {235, 130, 50}}},
};

Doll DollAt(int i) {
  return {kLevels[i], kOutlines[i], kTrims[i],        kScarves[i], kKnots[i],
          kFaces[i],  kDresses[i],  kDressFlowers[i], kAprons[i],  kBouquets[i]};
}

// True when the radius only grows or stays until its first narrower row and only shrinks or
// stays from there on: the doll can then be split and opened.
bool IsSingleBulge(const Radii& r) {
  int i = 1;
  while (i < kRows && r[i] >= r[i - 1]) ++i;
  while (i < kRows && r[i] <= r[i - 1]) ++i;
  return i == kRows;
}

// One radius per row, the curves rounded to whole pixels.
Radii ShapeRadii(const Outline& o) {
  Radii r{};
  for (int i = 0; i < kRows; ++i) {
    double v = 0;
    if (i >= o.top && i <= o.widest) {
      const double t = (o.widest - i) / (o.widest - o.top + 0.5);
      v = o.radius * std::pow(1 - std::pow(t, o.head), 1 / o.head);
    } else if (i > o.widest && i <= o.bottom) {
      const double t = std::max(0, i - o.taper) / static_cast<double>(o.bottom - o.taper);
      v = o.radius - (o.radius - o.foot) * t * t;
    }
    r[i] = std::clamp(static_cast<int>(std::lround(v)), 0, kShapeWidth);
  }
  // Rounding must never leave a dent: clamp to the running maximum before the widest row and
  // to the running minimum after it.
  const int peak = static_cast<int>(std::max_element(r.begin(), r.end()) - r.begin());
  for (int i = 1; i <= peak; ++i) r[i] = std::max(r[i], r[i - 1]);
  for (int i = peak + 1; i < kRows; ++i) r[i] = std::min(r[i], r[i - 1]);
  return r;
}

QImage MakeShape(const Radii& r) {
  QImage image(kShapeWidth, kRows, QImage::Format_RGB32);
  for (int y = 0; y < kRows; ++y)
    for (int x = 0; x < kShapeWidth; ++x) image.setPixel(x, y, x < r[y] ? 0xFFFFFFFF : 0xFF000000);
  return image;
}

// Draws something at its place and one skin width to either side, so shapes crossing the seam at
// column 249 / 0 continue on the other side.
void Wrapped(QPainter& p, const std::function<void()>& draw) {
  for (int dx : {-kSkinWidth, 0, kSkinWidth}) {
    p.save();
    p.translate(dx, 0);
    draw();
    p.restore();
  }
}

void Oval(QPainter& p, QPointF centre, double rx, double ry, QColor colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(centre, rx, ry);
}

// A round flower, squashed so it looks round on the doll.
void DrawFlower(QPainter& p, QPointF centre, const Flower& f) {
  const double radius = f.size;
  p.save();
  p.translate(centre);
  p.scale(kSquash, 1);
  for (int k = 0; k < f.petals; ++k) {
    p.save();
    p.rotate(360.0 * k / f.petals);
    Oval(p, QPointF(0, -radius * 0.55), radius * 0.3 * f.petalWidth, radius * 0.48, f.petal);
    Oval(p, QPointF(0, -radius * 0.45), radius * 0.12 * f.petalWidth, radius * 0.25,
         f.petal.lighter(135));
    p.restore();
  }
  Oval(p, QPointF(0, 0), radius * 0.3, radius * 0.3, f.heart);
  Oval(p, QPointF(-radius * 0.08, -radius * 0.08), radius * 0.12, radius * 0.12,
       f.heart.lighter(130));
  p.restore();
}

void DrawRosette(QPainter& p, QPointF centre, const Rosette& rosette) {
  DrawFlower(p, centre, rosette.big);
  DrawFlower(p, centre, rosette.small);
}

void DrawSprinkle(QPainter& p, const Sprinkle& s) {
  for (int row = 0; row < s.rows; ++row) {
    const double y = s.first + row * s.step;
    for (int col = 0; col < 10; ++col) {
      const double x = col * 25 + (row % 2 ? 12.5 : 0);
      if (s.dots && row % 2 == 0)
        Wrapped(p, [&] { Oval(p, QPointF(x, y), 1.5, 3, *s.dots); });
      else
        Wrapped(p, [&] { DrawFlower(p, QPointF(x, y), s.flower); });
    }
  }
}

// The headscarf all around down to the shoulders, sprinkled with little flowers, with a big
// flower where the knot sits on the back.
void DrawScarf(QPainter& p, const Doll& d) {
  p.fillRect(0, 0, kSkinWidth, d.dress.shoulder, d.scarf.colour);
  DrawSprinkle(p, d.scarf.flowers);
  DrawRosette(p, QPointF(kBack, d.face.row - 6), d.knot);
}

// The face on the front, drawn about its middle: a skin oval framed by the trim, hair fringe,
// eyes, cheeks, mouth.
void DrawFace(QPainter& p, const Doll& d) {
  p.save();
  p.translate(kFront, d.face.row);
  p.scale(d.face.size, d.face.size);
  const QPointF centre(0, 0);
  // Clear the scarf's little flowers from around the opening so the trim stays clean.
  Oval(p, centre, 28, 31, d.scarf.colour);
  p.setPen(QPen(d.trim.base, 2.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, 24.5, 28.5);
  Oval(p, centre, 22, 26, QColor(255, 224, 196));

  QPainterPath face;
  face.addEllipse(centre, 22, 26);
  QPainterPath hair;
  hair.setFillRule(Qt::WindingFill);
  hair.addRect(QRectF(-23, -28, 46, 7));
  hair.addEllipse(QPointF(-10, -21), 13, 8);
  hair.addEllipse(QPointF(10, -21), 13, 8);
  p.setPen(Qt::NoPen);
  p.setBrush(d.face.hair);
  p.drawPath(face.intersected(hair.simplified()));

  for (double x : {-10.0, 10.0}) {
    // Brow, eye, and a highlight to make it sparkle.
    p.setPen(QPen(QColor(110, 65, 40), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(x - 3.5, -11, 7, 5), 30 * 16, 120 * 16);
    Oval(p, QPointF(x, -3), 2.3, 3.3, QColor(40, 35, 70));
    Oval(p, QPointF(x - 0.7, -4.3), 0.8, 1.1, QColor(255, 255, 255));
    // Rosy cheeks, soft at the rim.
    const QPointF cheek(x * 1.5, 8);
    Oval(p, cheek, 4.2, 6, QColor(240, 120, 130, 90));
    Oval(p, cheek, 3, 4.3, QColor(240, 110, 125, 130));
  }
  // A hint of a nose and a small red bow of a mouth.
  p.setPen(QPen(QColor(215, 150, 120), 1.0));
  p.drawArc(QRectF(-1.5, 3, 3, 4), 200 * 16, 140 * 16);
  const QColor lips(210, 35, 58);
  Oval(p, QPointF(-1.2, 13.3), 1.6, 1.3, lips);
  Oval(p, QPointF(1.2, 13.3), 1.6, 1.3, lips);
  Oval(p, QPointF(0, 14.6), 2.4, 1.5, lips);
  p.restore();
}

// The dress all around, dotted with little flowers, trimmed with a band at the shoulders from
// which scallops hang and a dark band at the foot.
void DrawDress(QPainter& p, const Doll& d) {
  const int shoulder = d.dress.shoulder;
  const int hem = d.dress.hem;
  p.fillRect(0, shoulder, kSkinWidth, hem - shoulder, d.dress.colour);
  DrawSprinkle(p, d.dressFlowers);
  for (int col = 0; col < 25; ++col)
    Oval(p, QPointF(col * 10 + 5, shoulder + 4), 2.5, 3.5, d.trim.base);
  p.fillRect(0, shoulder - 1, kSkinWidth, 6, d.trim.base);
  p.fillRect(0, shoulder, kSkinWidth, 1, d.trim.light);
  p.fillRect(0, shoulder + 4, kSkinWidth, 1, d.trim.shade);
  p.fillRect(0, hem, kSkinWidth, kRows - hem, d.dress.footBand);
  p.fillRect(0, hem - 1, kSkinWidth, 2, d.trim.base);
  for (int col = 0; col < 25; ++col) Oval(p, QPointF(col * 10 + 5, hem + 5), 1.2, 2.2, d.trim.base);
}

// The apron on the front, drawn about the middle of its hem, with a big painted flower and a
// stem between leaves and two small flowers.
void DrawApron(QPainter& p, const Doll& d) {
  p.save();
  p.translate(kFront, d.apron.hem);
  p.scale(d.apron.size, d.apron.size);
  QPainterPath apron;
  apron.addRoundedRect(QRectF(-27, -89, 54, 89), 6, 10);
  // A lace hem: little circles whose lower halves peek out below the apron's edge.
  p.setPen(QPen(d.trim.base, 1));
  p.setBrush(d.apron.colour);
  for (int k = -4; k <= 4; ++k) p.drawEllipse(QPointF(k * 5.5, 0.5), 2.6, 3);
  p.setPen(QPen(d.trim.base, 2));
  p.drawPath(apron);

  const QColor leaf(60, 150, 60);
  p.setPen(QPen(QColor(45, 120, 50), 2));
  p.drawLine(QPointF(0, -32), QPointF(0, -5));
  for (double side : {-1.0, 1.0}) {
    p.save();
    p.translate(side * 6, -14);
    p.scale(kSquash, 1);
    p.rotate(side * 55);
    Oval(p, QPointF(0, 0), 5, 13, leaf);
    Oval(p, QPointF(0, 0), 1, 10, leaf.lighter(140));
    p.restore();
    DrawFlower(p, QPointF(side * 16, -10), d.apron.side);
  }
  DrawRosette(p, QPointF(0, -52), d.bouquet);
  p.restore();
}

QImage MakeSkin(const Doll& d) {
  QImage image(kSkinWidth, kRows, QImage::Format_RGB32);
  image.fill(d.dress.colour);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  DrawScarf(p, d);
  DrawDress(p, d);
  DrawFace(p, d);
  DrawApron(p, d);
  return image;
}

bool Save(const QImage& image, const QString& path) {
  QImageWriter writer(path, "bmp");
  if (writer.write(image.convertToFormat(QImage::Format_RGB32))) return true;
  std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
  return false;
}

// Reads the file back and checks that it is a 24-bit picture of the right size, and that
// every shape row is white up to its radius and black after it, or that the skin has no
// black, which marks the outside of the doll.
bool Verify(const QString& path, QSize size, const Radii* radii) {
  QFile file(path);
  const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(54) : QByteArray();
  const QImage image(path);
  if (header.size() != 54 || header[28] != 24 || image.size() != size) {
    std::fprintf(stderr, "%s: unreadable, not 24-bit, or of the wrong size\n", qPrintable(path));
    return false;
  }
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x) {
      const QRgb c = image.pixel(x, y) & 0xFFFFFF;
      const bool bad = radii ? c != (x < (*radii)[y] ? 0xFFFFFFu : 0u) : c == 0;
      if (bad) {
        std::fprintf(stderr, "%s: unexpected pixel at (%d, %d)\n", qPrintable(path), x, y);
        return false;
      }
    }
  }
  return true;
}

// Draws one doll's two pictures into `folder` and checks them as read back.
bool WriteDoll(const QDir& folder, const Doll& d) {
  const QString level = QString::fromUtf8(d.level);
  const QString shapePath = folder.filePath(QString::fromUtf8("シェイプ") + level + ".bmp");
  const QString skinPath = folder.filePath(QString::fromUtf8("テクスチャ") + level + ".bmp");
  const Radii radii = ShapeRadii(d.outline);
  if (!IsSingleBulge(radii)) {
    std::fprintf(stderr, "%s: the shape has a neck and could not open\n", qPrintable(shapePath));
    return false;
  }
  if (!Save(MakeShape(radii), shapePath) || !Save(MakeSkin(d), skinPath)) return false;
  if (!Verify(shapePath, QSize(kShapeWidth, kRows), &radii) ||
      !Verify(skinPath, QSize(kSkinWidth, kRows), nullptr))
    return false;
  std::printf("wrote %s and %s\n", qPrintable(shapePath), qPrintable(skinPath));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Nothing is shown, so no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
    return 1;
  }
  for (int i = 0; i < kDollCount; ++i)
    if (!WriteDoll(QDir(folder), DollAt(i))) return 1;
  return 0;
}
