// Draws the bundled sample doll: the shape image (one radius per row) and the painted skin
// that wraps around it. Usage: make_sample_doll [output folder]
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

namespace {

constexpr int kShapeWidth = 100;
constexpr int kRows = 200;
constexpr int kSkinWidth = 250;
constexpr double kFront = 62;  // texture column facing the viewer at the start
constexpr double kBack = 187;
// One texture column shows about twice as wide as one row on the doll, so round things are
// drawn at half width to look round once wrapped.
constexpr double kSquash = 0.5;
constexpr QColor kScarf(150, 22, 45);
constexpr QColor kGold(232, 180, 50);

using Radii = std::array<int, kRows>;

// True when the radius only grows or stays until its first narrower row and only shrinks or
// stays from there on: the doll can then be split and opened.
bool IsSingleBulge(const Radii& r) {
  int i = 1;
  while (i < kRows && r[i] >= r[i - 1]) ++i;
  while (i < kRows && r[i] <= r[i - 1]) ++i;
  return i == kRows;
}

// An egg: an elliptic top up to the widest rows, then a gentle taper to a flat bottom.
Radii ShapeRadii() {
  Radii r{};
  for (int i = 0; i < kRows; ++i) {
    double v = 0;
    if (i >= 4 && i <= 120) {
      const double t = (120 - i) / 116.5;
      v = 92 * std::sqrt(1 - t * t);
    } else if (i > 120 && i <= 196) {
      const double t = std::max(0, i - 125) / 71.0;
      v = 92 - 22 * t * t;
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

// A round flower of `radius` rows, squashed so it looks round on the doll.
void DrawFlower(QPainter& p, QPointF centre, double radius, int petals, QColor petal,
                QColor heart) {
  p.save();
  p.translate(centre);
  p.scale(kSquash, 1);
  for (int k = 0; k < petals; ++k) {
    p.save();
    p.rotate(360.0 * k / petals);
    Oval(p, QPointF(0, -radius * 0.55), radius * 0.3, radius * 0.48, petal);
    Oval(p, QPointF(0, -radius * 0.45), radius * 0.12, radius * 0.25, petal.lighter(135));
    p.restore();
  }
  Oval(p, QPointF(0, 0), radius * 0.3, radius * 0.3, heart);
  Oval(p, QPointF(-radius * 0.08, -radius * 0.08), radius * 0.12, radius * 0.12,
       heart.lighter(130));
  p.restore();
}

// The headscarf all around rows 0..85, sprinkled with little yellow flowers, with a big
// flower where the knot sits on the back.
void DrawScarf(QPainter& p) {
  p.fillRect(0, 0, kSkinWidth, 86, kScarf);
  for (int row = 0; row < 6; ++row) {
    const double y = 8 + row * 15;
    for (int col = 0; col < 10; ++col) {
      const double x = col * 25 + (row % 2 ? 12.5 : 0);
      Wrapped(p, [&] {
        DrawFlower(p, QPointF(x, y), 5, 5, QColor(250, 205, 60), QColor(225, 110, 40));
      });
    }
  }
  DrawFlower(p, QPointF(kBack, 48), 24, 8, QColor(245, 180, 50), QColor(200, 40, 60));
  DrawFlower(p, QPointF(kBack, 48), 12, 6, QColor(250, 235, 190), QColor(235, 150, 40));
}

// The face on the front: a skin oval framed by a golden trim, hair fringe, eyes, cheeks, mouth.
void DrawFace(QPainter& p) {
  const QPointF centre(kFront, 54);
  // Clear the scarf's little flowers from around the opening so the trim stays clean.
  Oval(p, centre, 28, 31, kScarf);
  p.setPen(QPen(kGold, 2.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, 24.5, 28.5);
  Oval(p, centre, 22, 26, QColor(255, 224, 196));

  QPainterPath face;
  face.addEllipse(centre, 22, 26);
  QPainterPath hair;
  hair.setFillRule(Qt::WindingFill);
  hair.addRect(QRectF(kFront - 23, 26, 46, 7));
  hair.addEllipse(QPointF(kFront - 10, 33), 13, 8);
  hair.addEllipse(QPointF(kFront + 10, 33), 13, 8);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(95, 55, 35));
  p.drawPath(face.intersected(hair.simplified()));

  for (double dx : {-10.0, 10.0}) {
    const double x = kFront + dx;
    // Brow, eye, and a highlight to make it sparkle.
    p.setPen(QPen(QColor(110, 65, 40), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(x - 3.5, 43, 7, 5), 30 * 16, 120 * 16);
    Oval(p, QPointF(x, 51), 2.3, 3.3, QColor(40, 35, 70));
    Oval(p, QPointF(x - 0.7, 49.7), 0.8, 1.1, QColor(255, 255, 255));
    // Rosy cheeks, soft at the rim.
    const QPointF cheek(kFront + dx * 1.5, 62);
    Oval(p, cheek, 4.2, 6, QColor(240, 120, 130, 90));
    Oval(p, cheek, 3, 4.3, QColor(240, 110, 125, 130));
  }
  // A hint of a nose and a small red bow of a mouth.
  p.setPen(QPen(QColor(215, 150, 120), 1.0));
  p.drawArc(QRectF(kFront - 1.5, 57, 3, 4), 200 * 16, 140 * 16);
  const QColor lips(210, 35, 58);
  Oval(p, QPointF(kFront - 1.2, 67.3), 1.6, 1.3, lips);
  Oval(p, QPointF(kFront + 1.2, 67.3), 1.6, 1.3, lips);
  Oval(p, QPointF(kFront, 68.6), 2.4, 1.5, lips);
}

// The red dress all around, dotted with little white flowers, trimmed with a golden band at
// the shoulders and a dark band at the foot.
void DrawDress(QPainter& p) {
  p.fillRect(0, 86, kSkinWidth, 104, QColor(205, 35, 40));
  for (int row = 0; row < 7; ++row) {
    const double y = 100 + row * 14;
    for (int col = 0; col < 10; ++col) {
      const double x = col * 25 + (row % 2 ? 12.5 : 0);
      if (row % 2)
        Wrapped(p, [&] {
          DrawFlower(p, QPointF(x, y), 6, 6, QColor(252, 245, 230), QColor(245, 190, 50));
        });
      else
        Wrapped(p, [&] { Oval(p, QPointF(x, y), 1.5, 3, QColor(250, 215, 90)); });
    }
  }
  // Golden scallops hang from the shoulder band.
  for (int col = 0; col < 25; ++col) Oval(p, QPointF(col * 10 + 5, 90), 2.5, 3.5, kGold);
  p.fillRect(0, 85, kSkinWidth, 6, kGold);
  p.fillRect(0, 86, kSkinWidth, 1, QColor(250, 225, 120));
  p.fillRect(0, 90, kSkinWidth, 1, QColor(170, 110, 30));
  p.fillRect(0, 190, kSkinWidth, 10, QColor(55, 30, 40));
  p.fillRect(0, 189, kSkinWidth, 2, kGold);
  for (int col = 0; col < 25; ++col) Oval(p, QPointF(col * 10 + 5, 195), 1.2, 2.2, kGold);
}

// The cream apron on the front with one big painted flower on a stem between leaves.
void DrawApron(QPainter& p) {
  QPainterPath apron;
  apron.addRoundedRect(QRectF(kFront - 27, 93, 54, 89), 6, 10);
  const QColor cream(252, 243, 222);
  // A lace hem: little circles whose lower halves peek out below the apron's edge.
  p.setPen(QPen(kGold, 1));
  p.setBrush(cream);
  for (int k = -4; k <= 4; ++k) p.drawEllipse(QPointF(kFront + k * 5.5, 182.5), 2.6, 3);
  p.setPen(QPen(kGold, 2));
  p.drawPath(apron);

  const QColor leaf(60, 150, 60);
  p.setPen(QPen(QColor(45, 120, 50), 2));
  p.drawLine(QPointF(kFront, 150), QPointF(kFront, 177));
  for (double side : {-1.0, 1.0}) {
    p.save();
    p.translate(kFront + side * 6, 168);
    p.scale(kSquash, 1);
    p.rotate(side * 55);
    Oval(p, QPointF(0, 0), 5, 13, leaf);
    Oval(p, QPointF(0, 0), 1, 10, leaf.lighter(140));
    p.restore();
    DrawFlower(p, QPointF(kFront + side * 16, 172), 9, 5, QColor(90, 120, 215),
               QColor(250, 210, 70));
  }
  DrawFlower(p, QPointF(kFront, 130), 30, 8, QColor(225, 45, 80), QColor(250, 190, 50));
  DrawFlower(p, QPointF(kFront, 130), 15, 8, QColor(250, 150, 160), QColor(240, 140, 40));
}

QImage MakeSkin() {
  QImage image(kSkinWidth, kRows, QImage::Format_RGB32);
  image.fill(QColor(205, 35, 40));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  DrawScarf(p);
  DrawDress(p);
  DrawFace(p);
  DrawApron(p);
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
  const Radii radii = ShapeRadii();
  if (!IsSingleBulge(radii)) {
    std::fprintf(stderr, "the shape has a neck and could not open\n");
    return 1;
  }
  const QString shapePath = QDir(folder).filePath(QString::fromUtf8("シェイプ.bmp"));
  const QString skinPath = QDir(folder).filePath(QString::fromUtf8("テクスチャ.bmp"));
  if (!Save(MakeShape(radii), shapePath) || !Save(MakeSkin(), skinPath)) return 1;
  if (!Verify(shapePath, QSize(kShapeWidth, kRows), &radii) ||
      !Verify(skinPath, QSize(kSkinWidth, kRows), nullptr))
    return 1;
  std::printf("wrote %s and %s\n", qPrintable(shapePath), qPrintable(skinPath));
  return 0;
}
