// Reads a screenshot for the end-to-end tests: finds the program's 500 × 300 client area by
// its grey panel, wherever the window system put the window, and checks that both 200 × 200
// views show the doll over the dark backdrop: the middle of each view is mostly the doll's
// warm colours, its corners are dark. Prints where the window is; exits 0 when both views
// show the doll, 1 when not, 2 when the window is not on the screenshot.
// Usage: views_on_screen SCREENSHOT.png
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdio>
#include <optional>

namespace {

constexpr QRgb Panel = qRgb(68, 68, 68);
// The views' places in the client area, and the panel's own places around and between them.
constexpr QRect Views[] = {{25, 25, 200, 200}, {275, 25, 200, 200}};
constexpr QPoint PanelPoints[] = {{0, 0},    {499, 0},   {0, 299},   {499, 299}, {250, 12},
                                  {12, 125}, {250, 125}, {487, 125}, {250, 230}};

bool IsPanelAt(const QImage& shot, QPoint client) {
  for (const QPoint& p : PanelPoints) {
    const QPoint at = client + p;
    if (!shot.rect().contains(at) || shot.pixel(at) != Panel) return false;
  }
  return true;
}

std::optional<QPoint> FindClientArea(const QImage& shot) {
  for (int y = 0; y + 300 <= shot.height(); ++y)
    for (int x = 0; x + 500 <= shot.width(); ++x)
      if (IsPanelAt(shot, {x, y})) return QPoint(x, y);
  return std::nullopt;
}

// The share of the block's pixels for which `test` holds.
template <class Test>
double Share(const QImage& shot, QRect block, Test test) {
  int hits = 0;
  for (int y = block.top(); y <= block.bottom(); ++y)
    for (int x = block.left(); x <= block.right(); ++x) hits += test(QColor(shot.pixel(x, y)));
  return double(hits) / (block.width() * block.height());
}

bool ShowsDoll(const QImage& shot, QRect view, int number) {
  // The sample doll is red, white and gold; the backdrop black with green streaks, which
  // have no red in them.
  const QRect middle(view.center() - QPoint(30, 30), QSize(60, 60));
  const double doll = Share(shot, middle, [](QColor c) { return c.red() > 120; });
  double dark = 0;
  for (const QPoint corner : {view.topLeft(), view.topRight() - QPoint(9, 0),
                              view.bottomLeft() - QPoint(0, 9), view.bottomRight() - QPoint(9, 9)})
    dark += Share(shot, QRect(corner, QSize(10, 10)), [](QColor c) { return c.red() < 40; }) / 4;
  std::printf("view %d at %d, %d: %.0f %% of its middle is doll, %.0f %% of its corners dark\n",
              number, view.x(), view.y(), doll * 100, dark * 100);
  return doll > 0.9 && dark > 0.9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: views_on_screen SCREENSHOT.png\n");
    return 2;
  }
  const QImage shot = QImage(argv[1]).convertToFormat(QImage::Format_RGB32);
  const std::optional<QPoint> client = shot.isNull() ? std::nullopt : FindClientArea(shot);
  if (!client) {
    std::printf("no client area of 500 x 300 on %s\n", argv[1]);
    return 2;
  }
  std::printf("client area at %d, %d\n", client->x(), client->y());
  bool both = true;
  for (int i = 0; i < 2; ++i) both = ShowsDoll(shot, Views[i].translated(*client), i + 1) && both;
  return both ? 0 : 1;
}
