#include "SkinPicture.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// How the source cells overlap one target cell of an area-averaging resize: the first
// cell and each cell's share, the shares summing to 1.
struct Coverage {
  int First = 0;
  std::vector<double> Shares;
};

// Target cells 0..count−1 spread evenly over [start, start + length) of the source.
std::vector<Coverage> Coverages(double start, double length, int count) {
  const double step = length / count;
  std::vector<Coverage> cells(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double low = start + i * step;
    const double high = low + step;
    Coverage& cell = cells[static_cast<std::size_t>(i)];
    cell.First = static_cast<int>(std::floor(low));
    for (int c = cell.First; c < high; ++c)
      cell.Shares.push_back((std::min(high, c + 1.0) - std::max(low, double(c))) / step);
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

using Channels = std::array<double, 3>;  // red, green, blue

// One area-averaging pass along rows: `columns` of every source row in `rows`.
std::vector<Channels> ShrinkRows(const QImage& picture, const std::vector<Coverage>& columns,
                                 int firstRow, int rowCount) {
  std::vector<Channels> out(columns.size() * static_cast<std::size_t>(rowCount));
  for (int r = 0; r < rowCount; ++r) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(firstRow + r));
    for (std::size_t x = 0; x < columns.size(); ++x) {
      Channels sum{};
      const Coverage& cell = columns[x];
      for (std::size_t k = 0; k < cell.Shares.size(); ++k) {
        const QRgb p = row[std::min(cell.First + static_cast<int>(k), picture.width() - 1)];
        sum[0] += cell.Shares[k] * qRed(p);
        sum[1] += cell.Shares[k] * qGreen(p);
        sum[2] += cell.Shares[k] * qBlue(p);
      }
      out[static_cast<std::size_t>(r) * columns.size() + x] = sum;
    }
  }
  return out;
}

std::uint8_t ToByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

QImage FitToSkinHalf(const QImage& picture, int widestRadius) {
  const QImage source = picture.convertToFormat(QImage::Format_RGB32);
  const double boxWidth = std::numbers::pi * std::max(widestRadius, 1);
  const QRectF cut = CoverCut(source.size(), boxWidth / DollRows);
  const std::vector<Coverage> columns = Coverages(cut.left(), cut.width(), SkinHalfColumns);
  std::vector<Coverage> rows = Coverages(cut.top(), cut.height(), DollRows);
  const int firstRow = rows.front().First;
  const int lastRow =
      std::min(rows.back().First + static_cast<int>(rows.back().Shares.size()), source.height());
  const std::vector<Channels> shrunk = ShrinkRows(source, columns, firstRow, lastRow - firstRow);

  QImage half(SkinHalfColumns, DollRows, QImage::Format_BGR888);
  for (int y = 0; y < DollRows; ++y) {
    const Coverage& cell = rows[static_cast<std::size_t>(y)];
    std::uint8_t* out = half.scanLine(y);
    for (int x = 0; x < SkinHalfColumns; ++x, out += 3) {
      Channels sum{};
      for (std::size_t k = 0; k < cell.Shares.size(); ++k) {
        const int r = std::min(cell.First + static_cast<int>(k), lastRow - 1) - firstRow;
        const Channels& c = shrunk[static_cast<std::size_t>(r) * SkinHalfColumns + x];
        for (int ch = 0; ch < 3; ++ch) sum[ch] += cell.Shares[k] * c[ch];
      }
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
