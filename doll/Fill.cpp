#include "Fill.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "Nesting.h"

namespace {

// The largest of the three channels' differences.
int Difference(Pixel24 a, Pixel24 b) {
  return std::max(
      {std::abs(a.Red - b.Red), std::abs(a.Green - b.Green), std::abs(a.Blue - b.Blue)});
}

int NextColumn(int column) {
  return column + 1 == TextureColumns ? 0 : column + 1;
}
int PreviousColumn(int column) {
  return column == 0 ? TextureColumns - 1 : column - 1;
}

// A scanline fill: each run of a row is found whole, painted, and the rows above and below
// are searched along it for runs still to come. Which texels may join is settled before any is
// painted, and a texel leaves that set as its run is found, so that a paint within tolerance of
// the seed, or a run round the whole row, ends.
class TSkinFill {
 public:
  TSkinFill(TTavoBitmap& skin, Pixel24 seedColour, int tolerance, const TPaint& paint)
      : FSkin(skin), FPaint(paint) {
    for (int y = 0; y < DollRows; ++y) {
      const Pixel24* texels = skin.Rows[y].Data();
      for (int x = 0; x < TextureColumns; ++x)
        FOpen[Index(x, y)] = Difference(texels[x], seedColour) <= tolerance;
    }
  }

  void From(QPoint seed) {
    FPending.push_back(seed);
    while (!FPending.empty()) {
      const QPoint at = FPending.back();
      FPending.pop_back();
      if (FOpen[Index(at.x(), at.y())]) FillRun(at.x(), at.y());
    }
  }

 private:
  static std::size_t Index(int x, int y) {
    return static_cast<std::size_t>(y * TextureColumns + x);
  }

  // The run through (x, y), which is open: taken, painted, and its neighbours' runs queued.
  void FillRun(int x, int y) {
    std::uint8_t* open = &FOpen[Index(0, y)];
    open[x] = 0;
    int first = x;
    int length = 1;
    for (int c = PreviousColumn(first); open[c]; c = PreviousColumn(c)) {
      open[c] = 0;
      first = c;
      ++length;
    }
    for (int c = NextColumn(x); open[c]; c = NextColumn(c)) {
      open[c] = 0;
      ++length;
    }
    PaintRun(y, first, length);
    if (y > 0) QueueRuns(y - 1, first, length);
    if (y + 1 < DollRows) QueueRuns(y + 1, first, length);
  }

  void PaintRun(int y, int first, int length) {
    Pixel24* texels = FSkin.Rows[y].Data();
    const Pixel24* erased = FPaint.Eraser ? FPaint.Eraser->Rows[y].Data() : nullptr;
    for (int i = 0, c = first; i < length; ++i, c = NextColumn(c))
      texels[c] = erased ? erased[c] : FPaint.Colour;
  }

  // Queues the first texel of each open run of row y along columns first.. (length of them).
  void QueueRuns(int y, int first, int length) {
    const std::uint8_t* open = &FOpen[Index(0, y)];
    for (int i = 0, c = first; i < length; ++i, c = NextColumn(c))
      if (open[c] && (i == 0 || !open[PreviousColumn(c)])) FPending.push_back(QPoint(c, y));
  }

  TTavoBitmap& FSkin;
  const TPaint& FPaint;
  std::vector<std::uint8_t> FOpen = std::vector<std::uint8_t>(TextureColumns * DollRows);
  std::vector<QPoint> FPending;
};

}  // namespace

std::optional<QPoint> SkinTexelAt(const TDoll& doll, const TViewPoint& point) {
  const std::optional<QPoint> shown = ShownTexelAt(doll, point);
  if (!shown) return std::nullopt;
  int row = shown->y();
  for (int nested = 1; nested < doll.DollLevel; ++nested) {
    const TRowRange sources = NestedRowSources(row, doll.SplitRow);
    if (sources.First > sources.Last) return std::nullopt;  // a row no full-size row made
    row = (sources.First + sources.Last) / 2;
  }
  return QPoint(shown->x(), row);
}

void FillSkin(TTavoBitmap& skin, QPoint seed, int tolerance, const TPaint& paint) {
  if (seed.x() < 0 || seed.x() >= TextureColumns || seed.y() < 0 || seed.y() >= DollRows)
    throw std::out_of_range("FillSkin: the seed texel lies outside the skin");
  TSkinFill(skin, skin.Rows[seed.y()].Data()[seed.x()], tolerance, paint).From(seed);
}
