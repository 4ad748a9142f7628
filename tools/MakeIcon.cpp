// Draws the program's icon, a nesting doll, at the sizes of the desktop's icon theme.
// Usage: make_icon [output folder]  (writes hicolor/NxN/apps/kavinel.png below it)
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr QColor kBody(200, 30, 45);
constexpr QColor kOutline(90, 10, 20);
constexpr QColor kSkin(255, 222, 196);
constexpr QColor kHair(60, 35, 25);
constexpr QColor kApron(255, 244, 220);
constexpr QColor kGold(240, 185, 40);

// The doll's outline on a 100 × 100 canvas: a round head on a wider, egg-shaped body.
QPainterPath Outline() {
  QPainterPath head;
  head.addEllipse(QRectF(27, 4, 46, 46));
  QPainterPath body;
  body.addEllipse(QRectF(14, 28, 72, 70));
  return head.united(body);
}

void DrawFace(QPainter& p, bool details) {
  p.setBrush(kSkin);
  p.drawEllipse(QRectF(35, 14, 30, 30));
  p.setBrush(kHair);
  QPainterPath hair;
  hair.moveTo(35, 29);
  hair.cubicTo(35, 10, 65, 10, 65, 29);
  hair.cubicTo(58, 21, 42, 21, 35, 29);
  p.drawPath(hair);
  if (!details) return;
  p.drawEllipse(QRectF(42, 29, 4, 4));
  p.drawEllipse(QRectF(54, 29, 4, 4));
  p.setBrush(QColor(240, 110, 110));
  p.drawEllipse(QRectF(38.5, 35, 6, 4));
  p.drawEllipse(QRectF(55.5, 35, 6, 4));
}

void DrawApron(QPainter& p, bool details) {
  p.setBrush(kApron);
  p.drawEllipse(QRectF(30, 50, 40, 42));
  p.setBrush(kGold);
  if (!details) {
    p.drawEllipse(QRectF(43, 64, 14, 14));
    return;
  }
  for (int petal = 0; petal < 5; ++petal) {
    p.save();
    p.translate(50, 71);
    p.rotate(petal * 72.0);
    p.drawEllipse(QRectF(-4, -13, 8, 11));
    p.restore();
  }
  p.setBrush(kBody);
  p.drawEllipse(QRectF(46, 67, 8, 8));
}

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 100.0, size / 100.0);
  const bool details = size >= 32;
  const QPainterPath outline = Outline();
  p.setPen(Qt::NoPen);
  p.setBrush(kBody);
  p.drawPath(outline);
  DrawFace(p, details);
  DrawApron(p, details);
  // An outline of about one pixel at every size keeps the doll readable on any panel.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kOutline, 100.0 / size * (size >= 64 ? 2 : 1)));
  p.drawPath(outline);
  return image;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  for (int size : kSizes) {
    const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size);
    const QString file = folder + QStringLiteral("/kavinel.png");
    if (!QDir().mkpath(folder) || !DrawIcon(size).save(file, "PNG")) {
      std::fprintf(stderr, "make_icon: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
