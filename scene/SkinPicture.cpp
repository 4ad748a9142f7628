#include "SkinPicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// One target cell of an area-averaging resize: the source cells First..Last it overlaps, the
// two end cells with their own shares and every cell between with Inner (1 / cell length),
// the shares summing to 1.
struct Coverage {
  int First = 0;
  int Last = 0;
  double FirstShare = 1;
  double LastShare = 0;
  double Inner = 0;
};

// Target cells 0..count−1 spread evenly over [start, start + length) of a source of `size`
// cells.
std::vector<Coverage> Coverages(double start, double length, int count, int size) {
  const double step = length / count;
  std::vector<Coverage> cells(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double low = start + i * step;
    const double high = low + step;
    Coverage& cell = cells[static_cast<std::size_t>(i)];
    cell.First = std::min(static_cast<int>(std::floor(low)), size - 1);
    cell.Last = std::clamp(static_cast<int>(std::ceil(high)) - 1, cell.First, size - 1);
    cell.Inner = 1 / step;
    cell.FirstShare = (std::min(high, cell.First + 1.0) - low) / step;
    if (cell.Last > cell.First) cell.LastShare = (high - cell.Last) / step;
  }
  return cells;
}

// The part of `size` that covers a box of the given proportions (width / height), cut
// equally from both sides of the long direction.
QRectF CoverCut(QSizeF size, double proportions) {
  if (size.width() > size.height() * proportions) {
    const double width = size.height() * proportions;
    return {(size.width() - width) / 2, 0, width, size.height()};
  }
  const double height = size.width() / proportions;
  return {0, (size.height() - height) / 2, size.width(), height};
}

// Width / height of the box the doll's widest rows show: π·R × 200.
double BoxProportions(int widestRadius) {
  return std::numbers::pi * std::max(widestRadius, 1) / DollRows;
}

using Channels = std::array<double, 3>;  // red, green, blue

// One cell's share of a source row: the whole cells between the ends are summed as integers
// and weighted once, so each source pixel is read once and costs a few additions.
Channels ShrinkCell(const QRgb* row, const Coverage& cell) {
  const QRgb first = row[cell.First];
  Channels sum{cell.FirstShare * qRed(first), cell.FirstShare * qGreen(first),
               cell.FirstShare * qBlue(first)};
  if (cell.Last == cell.First) return sum;
  unsigned red = 0, green = 0, blue = 0;  // at most 2^26 pixels of 255
  for (const QRgb* p = row + cell.First + 1; p < row + cell.Last; ++p) {
    red += qRed(*p);
    green += qGreen(*p);
    blue += qBlue(*p);
  }
  const QRgb last = row[cell.Last];
  sum[0] += cell.Inner * red + cell.LastShare * qRed(last);
  sum[1] += cell.Inner * green + cell.LastShare * qGreen(last);
  sum[2] += cell.Inner * blue + cell.LastShare * qBlue(last);
  return sum;
}

// One area-averaging pass along rows: `columns` of every source row in `rows`.
std::vector<Channels> ShrinkRows(const QImage& picture, const std::vector<Coverage>& columns,
                                 int firstRow, int rowCount) {
  std::vector<Channels> out(columns.size() * static_cast<std::size_t>(rowCount));
  for (int r = 0; r < rowCount; ++r) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(firstRow + r));
    Channels* to = &out[static_cast<std::size_t>(r) * columns.size()];
    for (const Coverage& cell : columns) *to++ = ShrinkCell(row, cell);
  }
  return out;
}

// The same along columns, over the rows ShrinkRows made (`stride` cells apart).
Channels ShrinkColumn(const Channels* column, std::size_t stride, const Coverage& cell) {
  Channels sum{};
  Channels inner{};
  for (int r = cell.First; r <= cell.Last; ++r) {
    const Channels& c = column[static_cast<std::size_t>(r) * stride];
    const bool end = r == cell.First || r == cell.Last;
    const double share = r == cell.First ? cell.FirstShare : cell.LastShare;
    for (int ch = 0; ch < 3; ++ch) {
      if (end) {
        sum[ch] += share * c[ch];
      } else {
        inner[ch] += c[ch];
      }
    }
  }
  for (int ch = 0; ch < 3; ++ch) sum[ch] += cell.Inner * inner[ch];
  return sum;
}

std::uint8_t ToByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

bool HoldsTwiceTheSkinHalf(QSize picture, int widestRadius) {
  const QRectF cut = CoverCut(QSizeF(picture), BoxProportions(widestRadius));
  return cut.width() >= 2 * SkinHalfColumns && cut.height() >= 2 * DollRows;
}

QImage FitToSkinHalf(const QImage& picture, int widestRadius) {
  const QImage source = picture.convertToFormat(QImage::Format_RGB32);
  const QRectF cut = CoverCut(source.size(), BoxProportions(widestRadius));
  const std::vector<Coverage> columns =
      Coverages(cut.left(), cut.width(), SkinHalfColumns, source.width());
  std::vector<Coverage> rows = Coverages(cut.top(), cut.height(), DollRows, source.height());
  const int firstRow = rows.front().First;
  for (Coverage& cell : rows) {  // counted from the first row ShrinkRows reads
    cell.First -= firstRow;
    cell.Last -= firstRow;
  }
  const std::vector<Channels> shrunk = ShrinkRows(source, columns, firstRow, rows.back().Last + 1);

  QImage half(SkinHalfColumns, DollRows, QImage::Format_BGR888);
  for (int y = 0; y < DollRows; ++y) {
    std::uint8_t* out = half.scanLine(y);
    for (int x = 0; x < SkinHalfColumns; ++x, out += 3) {
      const Channels sum = ShrinkColumn(&shrunk[static_cast<std::size_t>(x)], SkinHalfColumns,
                                        rows[static_cast<std::size_t>(y)]);
      out[0] = ToByte(sum[2]);  // blue, green, red
      out[1] = ToByte(sum[1]);
      out[2] = ToByte(sum[0]);
    }
  }
  return half;
}

void PaintSkinHalf(TTavoBitmap& skin, const QImage& half, int firstColumn) {
  for (int y = 0; y < DollRows; ++y) {
    const auto* from = reinterpret_cast<const Pixel24*>(half.constScanLine(y));
    const TPixelRow to = skin.Rows[y];
    for (int k = 0; k < SkinHalfColumns; ++k) to[(firstColumn + k) % TextureColumns] = from[k];
  }
}
