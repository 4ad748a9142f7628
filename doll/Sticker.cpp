#include "Sticker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

// The source cells a target cell of an area-averaging resize overlaps, from First on, each
// with the share of the target cell it covers (the shares sum to 1); every cell but the two
// ends is covered whole, and so has the same share.
struct TCell {
  int First = 0;
  std::vector<float> Shares;
};

// `count` target cells spread evenly over a source of `size` cells.
std::vector<TCell> Cells(int count, int size) {
  const double step = static_cast<double>(size) / count;
  std::vector<TCell> cells(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double low = i * step;
    const double high = std::min((i + 1) * step, static_cast<double>(size));
    TCell& cell = cells[static_cast<std::size_t>(i)];
    cell.First = std::min(static_cast<int>(std::floor(low)), size - 1);
    for (int s = cell.First; s < high; ++s)
      cell.Shares.push_back(static_cast<float>(
          (std::min(high, s + 1.0) - std::max(low, static_cast<double>(s))) / step));
  }
  return cells;
}

// Red, green and blue each times alpha, and alpha: what averages without a transparent
// pixel's colour bleeding into its neighbours.
using TPremultiplied = std::array<float, 4>;

TPremultiplied Premultiplied(QRgb pixel) {
  const float alpha = static_cast<float>(qAlpha(pixel));
  return {qRed(pixel) * alpha, qGreen(pixel) * alpha, qBlue(pixel) * alpha, alpha};
}

void AddShare(TPremultiplied& sum, const TPremultiplied& value, float share) {
  for (std::size_t ch = 0; ch < 4; ++ch) sum[ch] += share * value[ch];
}

// The sum of the pixels from..to (not including to), premultiplied in integers: each pixel
// costs a few integer steps rather than its own weighting.
TPremultiplied Summed(const QRgb* from, const QRgb* to) {
  std::uint64_t red = 0, green = 0, blue = 0, alpha = 0;
  for (const QRgb* p = from; p < to; ++p) {
    const unsigned a = static_cast<unsigned>(qAlpha(*p));
    red += a * static_cast<unsigned>(qRed(*p));
    green += a * static_cast<unsigned>(qGreen(*p));
    blue += a * static_cast<unsigned>(qBlue(*p));
    alpha += a;
  }
  return {static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
          static_cast<float>(alpha)};
}

// One target cell of a source row: the two ends weighted each by its share, the cells
// between summed and weighted once.
TPremultiplied CellOfRow(const QRgb* row, const TCell& cell) {
  const QRgb* first = row + cell.First;
  const std::size_t count = cell.Shares.size();
  TPremultiplied sum{};
  AddShare(sum, Premultiplied(first[0]), cell.Shares.front());
  if (count > 1) AddShare(sum, Premultiplied(first[count - 1]), cell.Shares.back());
  if (count > 2) AddShare(sum, Summed(first + 1, first + count - 1), cell.Shares[1]);
  return sum;
}

QRgb Unpremultiplied(const TPremultiplied& sum) {
  if (sum[3] <= 0) return 0;
  const auto colour = [&](std::size_t ch) {
    return std::clamp(static_cast<int>(std::lround(sum[ch] / sum[3])), 0, 255);
  };
  return qRgba(colour(0), colour(1), colour(2),
               std::clamp(static_cast<int>(std::lround(sum[3])), 0, 255));
}

// `picture` area-averaged to `size`: along the rows first, then down the columns.
QImage AreaAveraged(const QImage& picture, QSize size) {
  const std::vector<TCell> columns = Cells(size.width(), picture.width());
  const std::vector<TCell> rows = Cells(size.height(), picture.height());
  const auto width = static_cast<std::size_t>(size.width());
  std::vector<TPremultiplied> across(width * static_cast<std::size_t>(picture.height()));
  for (int y = 0; y < picture.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    TPremultiplied* to = &across[width * static_cast<std::size_t>(y)];
    for (const TCell& cell : columns) *to++ = CellOfRow(from, cell);
  }
  QImage shrunk(size, QImage::Format_ARGB32);
  std::vector<TPremultiplied> sums(width);
  for (int y = 0; y < size.height(); ++y) {
    const TCell& cell = rows[static_cast<std::size_t>(y)];
    std::fill(sums.begin(), sums.end(), TPremultiplied{});
    for (std::size_t k = 0; k < cell.Shares.size(); ++k) {
      const TPremultiplied* from = &across[width * (cell.First + k)];
      for (std::size_t x = 0; x < width; ++x) AddShare(sums[x], from[x], cell.Shares[k]);
    }
    auto* to = reinterpret_cast<QRgb*>(shrunk.scanLine(y));
    for (std::size_t x = 0; x < width; ++x) to[x] = Unpremultiplied(sums[x]);
  }
  return shrunk;
}

// round((a·src + (255 − a)·dst) / 255) for one channel.
std::uint8_t Blended(int source, int texel, int alpha) {
  return static_cast<std::uint8_t>((alpha * source + (255 - alpha) * texel + 127) / 255);
}

// The sticker's rectangle in view coordinates and the picture laid over it.
struct TLaying {
  double Left, Top, Width, Height;
  const QImage& Picture;
  bool Flipped;

  // The picture's pixel on row `row` at view x `at`, inside the rectangle.
  QRgb PixelAt(const QRgb* row, double at) const {
    const int width = Picture.width();
    const int x = std::clamp(static_cast<int>((at - Left) / Width * width), 0, width - 1);
    return row[Flipped ? width - 1 - x : x];
  }
};

// Lays the picture's row `row` over the texels that the view pixels of row y show inside the
// rectangle, in every full-size row that view row is made from.
void LayRow(const TDoll& doll, TTavoBitmap& skin, const TLaying& laying, int rotation, int y,
            const QRgb* row) {
  const std::vector<int> rows = SkinRows(doll, y);
  const int first = std::max(doll.View.Left[y], static_cast<int>(std::floor(laying.Left)));
  const int last =
      std::min(doll.View.Right[y], static_cast<int>(std::ceil(laying.Left + laying.Width)) - 1);
  for (int x = first; x <= last; ++x) {
    const ColumnSpan& span = doll.View.ColumnMap[y][x];
    const TShown shown = ShownColumns(span);
    const double start = span.First + static_cast<double>(span.FirstTrim);
    const double end = span.Last + 1 - static_cast<double>(span.LastTrim);
    for (int c = shown.First; c <= shown.Last; ++c) {
      // Each texel goes to the one pixel its centre shows in, so that it is laid once.
      const double centre = c + 0.5;
      if (centre < start || centre >= end) continue;
      const double at = x + (centre - start) / (end - start);
      if (at < laying.Left || at >= laying.Left + laying.Width) continue;
      const QRgb pixel = laying.PixelAt(row, at);
      const int alpha = qAlpha(pixel);
      if (alpha == 0) continue;
      const int column = (rotation + c) % TextureColumns;
      for (const int r : rows) {
        Pixel24& texel = skin.Rows[r][column];
        texel = {Blended(qBlue(pixel), texel.Blue, alpha),
                 Blended(qGreen(pixel), texel.Green, alpha),
                 Blended(qRed(pixel), texel.Red, alpha)};
      }
    }
  }
}

}  // namespace

TStickerPicture::TStickerPicture(QImage picture)
    : FPicture(picture.convertToFormat(QImage::Format_ARGB32)) {}

QSize TStickerPicture::SizeAt(int width) const {
  width = std::max(width, 1);
  const double height = static_cast<double>(width) * FPicture.height() / FPicture.width();
  return {width, std::max(1, static_cast<int>(std::lround(height)))};
}

const QImage& TStickerPicture::ShrunkTo(QSize size) {
  if (FPicture.width() <= size.width() && FPicture.height() <= size.height()) return FPicture;
  if (FShrunk.size() != size) FShrunk = AreaAveraged(FPicture, size);
  return FShrunk;
}

void PlaceSticker(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& centre, QSize size,
                  const QImage& picture, bool flipped) {
  if (size.isEmpty() || picture.isNull()) return;
  const TLaying laying{centre.At.x() - size.width() / 2.0,
                       centre.At.y() - size.height() / 2.0,
                       static_cast<double>(size.width()),
                       static_cast<double>(size.height()),
                       picture,
                       flipped};
  // The view rows whose centres lie inside the rectangle.
  const int top = std::max(0, static_cast<int>(std::ceil(laying.Top - 0.5)));
  const int bottom =
      std::min(DollRows, static_cast<int>(std::ceil(laying.Top + laying.Height - 0.5)));
  for (int y = top; y < bottom; ++y) {
    const int pictureRow =
        std::clamp(static_cast<int>((y + 0.5 - laying.Top) / laying.Height * picture.height()), 0,
                   picture.height() - 1);
    LayRow(doll, skin, laying, centre.Rotation % TextureColumns, y,
           reinterpret_cast<const QRgb*>(picture.constScanLine(pictureRow)));
  }
}
