// Reads a saved turn for the end-to-end tests, as any GIF viewer would: 125 frames of
// 400 × 200, 50 ms each, looping for ever; frame 0 is the sheet Save wrote just before (with
// the doll standing still) within the palette's error, and frame 62 is the doll turned by
// about half a turn, its front where the sheet's back was. Prints what it measured; exits 0
// when all holds, 1 when not.
// Usage: turn_gif_check TURN.gif SHEET.bmp
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int Frames = 125;
constexpr int Delay = 50;
// The palette's error: 256 colours dithered over the doll's few hundred keep each area's
// mean but move single pixels, by a few levels a channel on average.
constexpr double MaxMeanError = 6;

// The mean difference of one channel's values, over the width × 200 block at `left` of `a`
// and at `otherLeft` of `b`; the largest of the three channels.
double MeanError(const QImage& a, int left, const QImage& b, int otherLeft, int width) {
  double sums[3] = {};
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < width; ++x) {
      const QRgb p = a.pixel(left + x, y);
      const QRgb q = b.pixel(otherLeft + x, y);
      sums[0] += std::abs(qRed(p) - qRed(q));
      sums[1] += std::abs(qGreen(p) - qGreen(q));
      sums[2] += std::abs(qBlue(p) - qBlue(q));
    }
  double worst = 0;
  for (const double sum : sums) worst = std::max(worst, sum / (width * 200.0));
  return worst;
}

bool Check(bool holds, const char* what) {
  if (!holds) std::printf("not so: %s\n", what);
  return holds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  QImageReader turn(QString::fromLocal8Bit(argv[1]));
  const QImage sheet =
      QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
  bool ok = Check(turn.imageCount() == Frames, "125 frames") &&
            Check(turn.loopCount() == -1, "it loops for ever") &&
            Check(sheet.size() == QSize(400, 200), "the sheet is 400 × 200");
  QImage frames[Frames];
  for (int k = 0; ok && k < Frames; ++k) {
    frames[k] = turn.read().convertToFormat(QImage::Format_RGB32);
    ok = Check(frames[k].size() == QSize(400, 200), "each frame is 400 × 200") &&
         Check(turn.nextImageDelay() == Delay, "50 ms a frame");
  }
  if (!ok) return 1;
  const double first = MeanError(frames[0], 0, sheet, 0, 400);
  // Half a turn puts the back view's doll in front: the halves change places.
  const double half = std::max(MeanError(frames[62], 0, sheet, 200, 200),
                               MeanError(frames[62], 200, sheet, 0, 200));
  const double unturned = MeanError(frames[62], 0, sheet, 0, 400);
  std::printf(
      "frame 0 against the sheet: %.2f; frame 62 against the sheet's halves swapped: "
      "%.2f, unswapped: %.2f\n",
      first, half, unturned);
  ok = Check(first <= MaxMeanError, "frame 0 is the sheet") &&
       Check(half < unturned / 2, "frame 62 is the doll turned by about half a turn");
  return ok ? 0 : 1;
}
