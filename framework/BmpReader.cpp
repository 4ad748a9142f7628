#include "BmpReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <cstring>

#include "ImageInput.h"
#include "TavoErrors.h"

namespace {

constexpr std::uint32_t FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;

enum Compression : std::uint32_t { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitFields = 3 };

// Little-endian fields of the file, read only after their position has been checked.
class ByteSource {
 public:
  explicit ByteSource(const std::vector<std::uint8_t>& bytes) : FBytes(bytes) {}
  std::size_t Size() const { return FBytes.size(); }
  std::uint8_t U8(std::size_t at) const { return FBytes[at]; }
  std::uint16_t U16(std::size_t at) const {
    return static_cast<std::uint16_t>(FBytes[at] | FBytes[at + 1] << 8);
  }
  std::uint32_t U32(std::size_t at) const {
    return static_cast<std::uint32_t>(U16(at)) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
  }
  std::int32_t S32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  const std::uint8_t* Data() const { return FBytes.data(); }

 private:
  const std::vector<std::uint8_t>& FBytes;
};

// What the headers say, checked.
struct BmpLayout {
  std::uint32_t HeaderSize = 0;
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // always positive; TopDown tells the row order
  bool TopDown = false;
  int Bits = 0;
  std::uint32_t Compression = BiRgb;
  std::size_t PaletteOffset = 0;
  int PaletteEntries = 0;
  int PaletteEntrySize = 4;
  std::size_t DataOffset = 0;
};

[[noreturn]] void Refuse(const std::string& fileName, const std::string& reason) {
  throw EInvalidGraphic(fileName, reason);
}

bool KnownHeaderSize(std::uint32_t size) {
  // The sizes Qt's reader decodes as they are meant: core, information, OS/2 2.x, v4, v5.
  return size == CoreHeaderSize || size == InfoHeaderSize || size == 64 || size == 108 ||
         size == 124;
}

bool KnownEncoding(int bits, std::uint32_t compression) {
  const bool knownBits =
      bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (!knownBits) return false;
  return compression == BiRgb || (compression == BiRle8 && bits == 8) ||
         (compression == BiRle4 && bits == 4) ||
         (compression == BiBitFields && (bits == 16 || bits == 32));
}

BmpLayout ReadLayout(const ByteSource& in, const std::string& fileName) {
  if (in.Size() < FileHeaderSize + 4) Refuse(fileName, "ヘッダーが途中で切れています");
  if (in.U8(0) != 'B' || in.U8(1) != 'M') Refuse(fileName, "BM で始まっていません");

  BmpLayout bmp;
  bmp.HeaderSize = in.U32(FileHeaderSize);
  if (!KnownHeaderSize(bmp.HeaderSize))
    Refuse(fileName, "ヘッダーの長さ " + std::to_string(bmp.HeaderSize) + " は扱えません");
  if (in.Size() < FileHeaderSize + bmp.HeaderSize) Refuse(fileName, "ヘッダーが途中で切れています");

  int planes = 0;
  std::uint32_t coloursUsed = 0;
  if (bmp.HeaderSize == CoreHeaderSize) {
    bmp.Width = in.U16(18);
    bmp.Height = in.U16(20);
    planes = in.U16(22);
    bmp.Bits = in.U16(24);
    bmp.PaletteEntrySize = 3;
  } else {
    bmp.Width = in.S32(18);
    bmp.Height = in.S32(22);
    planes = in.U16(26);
    bmp.Bits = in.U16(28);
    bmp.Compression = in.U32(30);
    coloursUsed = in.U32(46);
  }
  if (planes != 1) Refuse(fileName, "プレーン数が 1 ではありません");
  if (!KnownEncoding(bmp.Bits, bmp.Compression))
    Refuse(fileName, std::to_string(bmp.Bits) + " ビット、圧縮方式 " +
                         std::to_string(bmp.Compression) + " は扱えません");
  bmp.TopDown = bmp.Height < 0;
  bmp.Height = bmp.TopDown ? -bmp.Height : bmp.Height;
  CheckImageDimensions(bmp.Width, bmp.Height, fileName);

  // Masks of a bit-field file with a short header follow the header; then the colour table.
  std::size_t at = FileHeaderSize + bmp.HeaderSize;
  if (bmp.Compression == BiBitFields && bmp.HeaderSize < 108) at += 12;
  if (bmp.Bits <= 8) {
    const std::uint32_t entries = coloursUsed != 0 ? coloursUsed : 1u << bmp.Bits;
    if (entries > 256) Refuse(fileName, "色テーブルが 256 色を超えています");
    bmp.PaletteEntries = static_cast<int>(entries);
  }
  bmp.PaletteOffset = at;
  at += static_cast<std::size_t>(bmp.PaletteEntries) * bmp.PaletteEntrySize;
  if (at > in.Size()) Refuse(fileName, "色テーブルが途中で切れています");
  // Pixel data starts at the header's offset, unless that points back into the headers.
  bmp.DataOffset = std::max<std::size_t>(at, in.U32(10));
  return bmp;
}

std::int64_t RowBytes(const BmpLayout& bmp) {
  return (bmp.Width * bmp.Bits + 31) / 32 * 4;
}

// Palette indices of a run-length file, rows from the top, and which pixels the codes
// actually wrote.
struct ExpandedRle {
  std::vector<std::uint8_t> Index;
  std::vector<std::uint8_t> Written;
};

ExpandedRle ExpandRle(const ByteSource& in, const BmpLayout& bmp, const std::string& fileName) {
  const std::int64_t w = bmp.Width;
  const std::int64_t h = bmp.Height;
  const bool rle4 = bmp.Compression == BiRle4;
  ExpandedRle out{std::vector<std::uint8_t>(static_cast<std::size_t>(w * h), 0),
                  std::vector<std::uint8_t>(static_cast<std::size_t>(w * h), 0)};

  std::size_t at = bmp.DataOffset;
  auto next = [&]() -> std::uint8_t {
    if (at >= in.Size()) Refuse(fileName, "ランレングスデータが途中で切れています");
    return in.U8(at++);
  };
  std::int64_t x = 0;
  std::int64_t y = 0;  // counted in stream order, from the bottom unless top-down
  auto put = [&](std::uint8_t index) {
    if (x < w) {
      const std::int64_t row = bmp.TopDown ? y : h - 1 - y;
      const auto i = static_cast<std::size_t>(row * w + x);
      out.Index[i] = index;
      out.Written[i] = 1;
    }
    ++x;  // a run past the row's end is cut off
  };

  while (y < h) {
    const std::uint8_t count = next();
    const std::uint8_t code = next();
    if (count > 0) {  // a run of one index, or of two alternating nibbles
      for (int i = 0; i < count; ++i) put(rle4 ? (i % 2 == 0 ? code >> 4 : code & 15) : code);
    } else if (code == 0) {  // end of line
      x = 0;
      ++y;
    } else if (code == 1) {  // end of picture
      break;
    } else if (code == 2) {  // delta: skip right and down
      x += next();
      y += next();
    } else {  // absolute: `code` indices follow, padded to a 16-bit boundary
      const int bytes = rle4 ? (code + 1) / 2 : code;
      for (int i = 0; i < bytes; ++i) {
        const std::uint8_t b = next();
        if (rle4) {
          put(b >> 4);
          if (2 * i + 1 < code) put(b & 15);
        } else {
          put(b);
        }
      }
      if (bytes % 2 == 1) at = std::min(at + 1, in.Size());
    }
  }
  return out;
}

// The expanded indices as an uncompressed 8-bit file with the original colour table.
std::vector<std::uint8_t> UncompressedFile(const ByteSource& in, const BmpLayout& bmp,
                                           const ExpandedRle& rle) {
  const auto w = static_cast<std::size_t>(bmp.Width);
  const auto h = static_cast<std::size_t>(bmp.Height);
  const std::size_t rowBytes = (w + 3) / 4 * 4;
  const std::size_t paletteBytes = static_cast<std::size_t>(bmp.PaletteEntries) * 4;
  const std::size_t dataOffset = FileHeaderSize + InfoHeaderSize + paletteBytes;
  std::vector<std::uint8_t> file(dataOffset + rowBytes * h, 0);

  auto put16 = [&](std::size_t at, std::uint32_t v) {
    file[at] = static_cast<std::uint8_t>(v);
    file[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, static_cast<std::uint32_t>(dataOffset));
  put32(14, InfoHeaderSize);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  put16(26, 1);
  put16(28, 8);
  put32(46, static_cast<std::uint32_t>(bmp.PaletteEntries));
  std::memcpy(&file[FileHeaderSize + InfoHeaderSize], in.Data() + bmp.PaletteOffset, paletteBytes);
  for (std::size_t row = 0; row < h; ++row)  // bottom-up, as the file format wants
    std::memcpy(&file[dataOffset + (h - 1 - row) * rowBytes], &rle.Index[row * w], w);
  return file;
}

QImage DecodeWithQt(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
  QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  QImage picture;
  if (!reader.read(&picture)) Refuse(fileName, reader.errorString().toStdString());
  picture.convertTo(QImage::Format_BGR888);
  if (picture.isNull()) Refuse(fileName, "画像を作るメモリが足りません");
  return picture;
}

void BlackenUnwritten(QImage& picture, const ExpandedRle& rle) {
  const auto w = static_cast<std::size_t>(picture.width());
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* row = picture.scanLine(y);
    const std::uint8_t* written = &rle.Written[static_cast<std::size_t>(y) * w];
    // Whole runs at a time: a sparse picture is mostly one long run.
    for (std::size_t x = 0; x < w;) {
      const auto* gap = static_cast<const std::uint8_t*>(std::memchr(written + x, 0, w - x));
      if (!gap) break;
      const auto start = static_cast<std::size_t>(gap - written);
      const auto* next = std::find(gap, written + w, std::uint8_t{1});
      const auto end = static_cast<std::size_t>(next - written);
      std::memset(row + 3 * start, 0, 3 * (end - start));
      x = end;
    }
  }
}

}  // namespace

QImage DecodeBmp(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
  const ByteSource in(bytes);
  const BmpLayout bmp = ReadLayout(in, fileName);

  if (bmp.Compression == BiRle8 || bmp.Compression == BiRle4) {
    const ExpandedRle rle = ExpandRle(in, bmp, fileName);
    const std::vector<std::uint8_t> file = UncompressedFile(in, bmp, rle);
    QImage picture = DecodeWithQt(file.data(), file.size(), fileName);
    BlackenUnwritten(picture, rle);
    return picture;
  }

  const auto needed = static_cast<std::int64_t>(bmp.DataOffset) + RowBytes(bmp) * bmp.Height;
  if (needed > static_cast<std::int64_t>(bytes.size()))
    Refuse(fileName, "画素データが途中で切れています (" + std::to_string(bytes.size()) + " / " +
                         std::to_string(needed) + " バイト)");
  return DecodeWithQt(bytes.data(), bytes.size(), fileName);
}
