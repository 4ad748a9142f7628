#include "TavoBmp.h"

#include <QBuffer>
#include <QImageWriter>
#include <QString>
#include <algorithm>
#include <cstring>

#include "FileOutput.h"
#include "Translation.h"
#include "pictures/BmpReader.h"
#include "pictures/ImageInput.h"
#include "pictures/JpegReader.h"

namespace {

bool EndsWith(const std::string& name, const std::string& ending) {
  // Bytes, not characters, and case matters: ".JPG" is not a JPEG name.
  return name.size() >= ending.size() &&
         name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

// The bytes of row y that lie inside the picture (padding excluded).
std::uint8_t* RowBytes(TTavoBitmap& bitmap, int y) {
  return reinterpret_cast<std::uint8_t*>(bitmap.Rows[y].Data());
}
const std::uint8_t* RowBytes(const TTavoBitmap& bitmap, int y) {
  return reinterpret_cast<const std::uint8_t*>(bitmap.Rows[y].Data());
}

// to := (to AND mask) OR from, bytewise: the two block transfers of a masked drawing in one
// pass, eight bytes at a time.
void MaskedCopy(std::uint8_t* to, const std::uint8_t* mask, const std::uint8_t* from,
                std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t t, m, f;
    std::memcpy(&t, to + i, 8);
    std::memcpy(&m, mask + i, 8);
    std::memcpy(&f, from + i, 8);
    t = (t & m) | f;
    std::memcpy(to + i, &t, 8);
  }
  for (; i < n; ++i) to[i] = static_cast<std::uint8_t>((to[i] & mask[i]) | from[i]);
}

}  // namespace

TCellRange SourceCells(int i, int target, int source) {
  const auto first = static_cast<int>(std::int64_t{i} * source / target);
  const auto last = static_cast<int>(std::int64_t{i + 1} * source / target);
  return {first, std::max(last, first + 1)};
}

Pixel24 ColorToPixel(TColor colour) {
  return Pixel24{static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                 static_cast<std::uint8_t>(colour)};
}

TTavoBitmap::TTavoBitmap() : Rows(*this) {
  SetTextStyle(20, fsBold, clBlack);
  ++FLiveCount;
}

TTavoBitmap::TTavoBitmap(const TTavoBitmap& other)
    : QImage(other.copy()),
      Rows(*this),
      MaskBitmap(other.MaskBitmap ? std::make_unique<TTavoBitmap>(*other.MaskBitmap) : nullptr),
      FTextStyle(other.FTextStyle) {
  RebuildRowTable();
  ++FLiveCount;
}

TTavoBitmap& TTavoBitmap::operator=(const TTavoBitmap& other) {
  if (this == &other) return *this;
  static_cast<QImage&>(*this) = other.copy();
  RebuildRowTable();
  MaskBitmap = other.MaskBitmap ? std::make_unique<TTavoBitmap>(*other.MaskBitmap) : nullptr;
  FTextStyle = other.FTextStyle;
  return *this;
}

void TTavoBitmap::OwnPixels() {
  if (!isDetached() && !isNull()) RebuildRowTable();
}

TTavoBitmap::~TTavoBitmap() {
  --FLiveCount;
}

void TTavoBitmap::LoadFromFileAuto(const std::string& fileName) {
  if (EndsWith(fileName, ".jpg") || EndsWith(fileName, ".jpeg")) {
    LoadJpeg(fileName);
  } else {
    Assign(DecodeBmp(ReadImageFile(fileName), fileName));
  }
  RebuildRowTable();
}

void TTavoBitmap::LoadJpeg(const std::string& fileName) {
  Assign(DecodeJpeg(ReadImageFile(fileName), fileName));
}

void TTavoBitmap::Assign(QImage&& picture) {
  static_cast<QImage&>(*this) = std::move(picture);
}

void TTavoBitmap::RebuildRowTable() {
  if (format() != QImage::Format_BGR888 && !isNull()) convertTo(QImage::Format_BGR888);
  Rows.FRows.resize(static_cast<std::size_t>(std::max(height(), 0)));
  // scanLine, not constScanLine: the pixels written through the rows are this bitmap's own.
  for (int y = 0; y < height(); ++y)
    Rows.FRows[y] = TPixelRow(reinterpret_cast<Pixel24*>(scanLine(y)));
}

void TTavoBitmap::SetSizeBlank(int width, int height) {
  SetSizeFilled(width, height, KeyColour);
}

void TTavoBitmap::SetSizeFilled(int width, int height, Pixel24 colour) {
  if (width <= 0 || height <= 0) {
    Assign(QImage());
  } else {
    QImage sized(width, height, QImage::Format_BGR888);
    if (sized.isNull())
      throw ETavoError(
          Tr("Errors", "ビットマップ (%1 × %2) を作るメモリが足りません").Arg(width).Arg(height));
    Assign(std::move(sized));
  }
  RebuildRowTable();
  Fill(colour);
}

void TTavoBitmap::Fill(Pixel24 colour) {
  const int w = width();
  const bool grey = colour.Blue == colour.Green && colour.Green == colour.Red;
  for (int y = 0; y < Rows.Count(); ++y) {
    if (grey) {  // black and white, the usual fills, are one byte repeated
      std::memset(Rows[y].Data(), colour.Blue, 3 * static_cast<std::size_t>(w));
    } else {
      std::fill_n(Rows[y].Data(), w, colour);
    }
  }
}

void TTavoBitmap::MakeMask(TColor transparent) {
  const Pixel24 key = ColorToPixel(transparent);
  const int w = width();
  auto mask = std::make_unique<TTavoBitmap>();
  mask->SetSizeFilled(w, height(), FrameColour);
  // One pass does both steps: the mask turns white where the pixel is transparent, and
  // this := this AND NOT mask blackens exactly those pixels and leaves the others alone.
  for (int y = 0; y < Rows.Count(); ++y) {
    Pixel24* row = Rows[y].Data();
    Pixel24* m = mask->Rows[y].Data();
    for (int x = 0; x < w; ++x) {
      if (SameColour(row[x], key)) {
        m[x] = KeyColour;
        row[x] = FrameColour;
      }
    }
  }
  MaskBitmap = std::move(mask);
}

void TTavoBitmap::DrawOn(TTavoBitmap& target, int x, int y) const {
  QRect placed = QRect(x, y, width(), height()).intersected(target.rect());
  // A mask made before a resize covers only the part it was made for.
  if (MaskBitmap) placed &= MaskBitmap->rect().translated(x, y);
  if (placed.isEmpty()) return;
  const int offset = 3 * (placed.left() - x);
  const int bytes = 3 * placed.width();
  for (int ty = placed.top(); ty <= placed.bottom(); ++ty) {
    const int sy = ty - y;
    std::uint8_t* to = RowBytes(target, ty) + 3 * placed.left();
    const std::uint8_t* from = RowBytes(*this, sy) + offset;
    if (!MaskBitmap) {
      std::memcpy(to, from, static_cast<std::size_t>(bytes));
      continue;
    }
    // Target AND mask, then target OR this picture.
    MaskedCopy(to, RowBytes(*MaskBitmap, sy) + offset, from, static_cast<std::size_t>(bytes));
  }
}

void TTavoBitmap::CopyRect(const QRect& targetRect, const TTavoBitmap& source,
                           const QRect& sourceRect) {
  if (targetRect.isEmpty() || sourceRect.isEmpty()) return;
  if (!source.rect().contains(sourceRect)) throw ERangeError();
  const int tw = targetRect.width();
  const int th = targetRect.height();
  if (tw == sourceRect.width() && rect().contains(targetRect)) {
    AndRowsInto(targetRect, source, sourceRect);
    return;
  }
  for (int j = 0; j < th; ++j) {
    const int ty = targetRect.top() + j;
    if (ty < 0 || ty >= height()) continue;
    const TCellRange rows = SourceCells(j, th, sourceRect.height());
    Pixel24* to = Rows[ty].Data();
    for (int i = 0; i < tw; ++i) {
      const int tx = targetRect.left() + i;
      if (tx < 0 || tx >= width()) continue;
      const TCellRange columns = SourceCells(i, tw, sourceRect.width());
      Pixel24 combined{255, 255, 255};
      for (int sy = rows.First; sy < rows.Last; ++sy) {
        const Pixel24* from = source.Rows[sourceRect.top() + sy].Data() + sourceRect.left();
        for (int sx = columns.First; sx < columns.Last; ++sx) {
          combined.Blue &= from[sx].Blue;
          combined.Green &= from[sx].Green;
          combined.Red &= from[sx].Red;
        }
      }
      to[tx] = combined;
    }
  }
}

void TTavoBitmap::AndRowsInto(const QRect& targetRect, const TTavoBitmap& source,
                              const QRect& sourceRect) {
  // Columns map one to one, so each target row is the AND of its source rows, byte by byte.
  const auto bytes = static_cast<std::size_t>(targetRect.width()) * sizeof(Pixel24);
  for (int j = 0; j < targetRect.height(); ++j) {
    const TCellRange rows = SourceCells(j, targetRect.height(), sourceRect.height());
    auto* to =
        reinterpret_cast<std::uint8_t*>(Rows[targetRect.top() + j].Data() + targetRect.left());
    const auto sourceRow = [&](int sy) {
      return reinterpret_cast<const std::uint8_t*>(source.Rows[sourceRect.top() + sy].Data() +
                                                   sourceRect.left());
    };
    std::memcpy(to, sourceRow(rows.First), bytes);
    for (int sy = rows.First + 1; sy < rows.Last; ++sy) {
      const std::uint8_t* from = sourceRow(sy);
      for (std::size_t b = 0; b < bytes; ++b) to[b] &= from[b];
    }
  }
}

void TTavoBitmap::SetTextStyle(int height, TFontStyles style, TColor colour) {
  FTextStyle = TCanvasTextStyle{height, style, colour, true};
}

void TTavoBitmap::SaveToFile(const std::string& fileName) const {
  const QByteArray bytes = EncodePicture(*this, "bmp", fileName);
  WriteWholeFile(fileName, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray EncodePicture(const QImage& picture, const char* format, const std::string& fileName) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(picture)) throw EFCreateError(fileName, writer.errorString().toStdString());
  return bytes;
}

namespace {

// The picture as the bytes of an uncompressed 24-bit BMP file.
QByteArray EncodeBmp(const QImage& picture, const std::string& fileName) {
  return EncodePicture(picture, "bmp", fileName);
}

}  // namespace

bool TTavoBitmap::SaveToNewFile(const std::string& fileName) const {
  const QByteArray bytes = EncodeBmp(*this, fileName);
  return WriteNewFile(fileName, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string TTavoBitmap::SaveKeepingOld(const std::string& fileName) const {
  const QByteArray bytes = EncodeBmp(*this, fileName);
  return ReplaceKeepingOld(fileName, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
