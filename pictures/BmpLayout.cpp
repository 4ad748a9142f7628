#include "BmpLayout.h"

#include <algorithm>
#include <cstring>

#include "ImageInput.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;
// From 52 bytes on, the red, green and blue masks are part of the information header.
constexpr std::uint32_t MasksInHeaderSize = 52;
constexpr std::uint32_t AlphaMaskInHeaderSize = 56;
constexpr std::size_t LargestHeaderSize = 124;

constexpr std::array<std::uint32_t, 3> Masks555 = {0x7C00, 0x03E0, 0x001F};
constexpr std::array<std::uint32_t, 3> Masks888 = {0xFF0000, 0x00FF00, 0x0000FF};

[[noreturn]] void Refuse(const std::string& fileName, const std::string& reason) {
  throw EInvalidGraphic(fileName, reason);
}

std::uint16_t Read16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t Read32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(Read16(at)) | static_cast<std::uint32_t>(Read16(at + 2)) << 16;
}

bool KnownHeaderSize(std::uint32_t size) {
  // Core; OS/2 2.x, cut anywhere from 16 to 64 bytes, which takes in the 40-byte
  // information header and its 52- and 56-byte forms with masks; v4; v5.
  return size == CoreHeaderSize || (size >= 16 && size <= 64) || size == 108 || size == 124;
}

bool KnownEncoding(int bits, std::uint32_t compression) {
  const bool knownBits =
      bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (!knownBits) return false;
  const bool fields = compression == BiBitFields || compression == BiAlphaBitFields;
  return compression == BiRgb || (compression == BiRle8 && bits == 8) ||
         (compression == BiRle4 && bits == 4) || (fields && (bits == 16 || bits == 32));
}

// The information header, with every field that a short header leaves out reading as zero.
class InfoHeader {
 public:
  InfoHeader(const std::vector<std::uint8_t>& head, std::uint32_t size) : FSize(size) {
    std::memcpy(FBytes.data(), head.data() + FileHeaderSize, size);
  }
  std::uint32_t Size() const { return FSize; }
  std::uint16_t U16(std::size_t at) const { return Read16(&FBytes[at]); }
  std::uint32_t U32(std::size_t at) const { return Read32(&FBytes[at]); }
  std::int32_t S32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }

 private:
  std::array<std::uint8_t, LargestHeaderSize> FBytes{};
  std::uint32_t FSize;
};

InfoHeader ReadInfoHeader(const std::vector<std::uint8_t>& head, std::uint64_t fileBytes,
                          const std::string& fileName) {
  if (fileBytes < FileHeaderSize + 4)
    Refuse(fileName, Tr("Pictures", "ヘッダーが途中で切れています"));
  if (head[0] != 'B' || head[1] != 'M') Refuse(fileName, Tr("Pictures", "BM で始まっていません"));
  const std::uint32_t size = Read32(&head[FileHeaderSize]);
  if (!KnownHeaderSize(size))
    Refuse(fileName, Tr("Pictures", "ヘッダーの長さ %1 は扱えません").Arg(size));
  if (fileBytes < FileHeaderSize + size)
    Refuse(fileName, Tr("Pictures", "ヘッダーが途中で切れています"));
  return InfoHeader(head, size);
}

// Size, depth and encoding; returns the number of colours the header says are used.
std::uint32_t ReadGeometry(const InfoHeader& header, BmpLayout& bmp, const std::string& fileName) {
  int planes = 0;
  std::uint32_t coloursUsed = 0;
  if (header.Size() == CoreHeaderSize) {
    bmp.Width = header.U16(4);
    bmp.Height = header.U16(6);
    planes = header.U16(8);
    bmp.Bits = header.U16(10);
    bmp.PaletteEntrySize = 3;
  } else {
    bmp.Width = header.S32(4);
    bmp.Height = header.S32(8);
    planes = header.U16(12);
    bmp.Bits = header.U16(14);
    bmp.Compression = header.U32(16);
    coloursUsed = header.U32(32);
  }
  if (planes != 1) Refuse(fileName, Tr("Pictures", "プレーン数が 1 ではありません"));
  if (!KnownEncoding(bmp.Bits, bmp.Compression))
    Refuse(
        fileName,
        Tr("Pictures", "%1 ビット、圧縮方式 %2 は扱えません").Arg(bmp.Bits).Arg(bmp.Compression));
  bmp.TopDown = bmp.Height < 0;
  bmp.Height = bmp.TopDown ? -bmp.Height : bmp.Height;
  CheckImageDimensions(bmp.Width, bmp.Height, fileName);
  return coloursUsed;
}

// Reads the masks of a 16- or 32-bit picture; returns where the colour table starts, after
// the masks when they follow a short header (three, or four with alpha). A header long enough
// to hold an alpha mask gives it whatever the encoding.
std::size_t ReadMasks(const std::vector<std::uint8_t>& head, std::uint64_t fileBytes,
                      const InfoHeader& header, BmpLayout& bmp, const std::string& fileName) {
  std::size_t at = FileHeaderSize + header.Size();
  bmp.Masks = bmp.Bits == 16 ? Masks555 : Masks888;
  const bool wordPixels = bmp.Bits == 16 || bmp.Bits == 32;
  if (wordPixels && header.Size() >= AlphaMaskInHeaderSize) bmp.AlphaMask = header.U32(52);
  if (bmp.Compression != BiBitFields && bmp.Compression != BiAlphaBitFields) return at;
  if (header.Size() >= MasksInHeaderSize) {
    for (std::size_t i = 0; i < 3; ++i) bmp.Masks[i] = header.U32(40 + 4 * i);
    return at;
  }
  const std::size_t count = bmp.Compression == BiAlphaBitFields ? 4 : 3;
  if (fileBytes < at + 4 * count) Refuse(fileName, Tr("Pictures", "ヘッダーが途中で切れています"));
  for (std::size_t i = 0; i < 3; ++i) bmp.Masks[i] = Read32(&head[at + 4 * i]);
  if (count == 4) bmp.AlphaMask = Read32(&head[at + 12]);
  return at + 4 * count;
}

// The colour table is as long as the header says, or as the depth needs when it says 0.
// Pixel data starts at the file header's offset; an offset inside the table cuts the table
// short there, and one that points back into the headers is ignored.
void PlaceTableAndData(const std::vector<std::uint8_t>& head, std::uint64_t fileBytes,
                       std::size_t tableStart, std::uint32_t coloursUsed, BmpLayout& bmp,
                       const std::string& fileName) {
  std::uint64_t entries = 0;
  if (bmp.Bits <= 8) entries = coloursUsed != 0 ? coloursUsed : 1u << bmp.Bits;
  const std::uint64_t offset = Read32(&head[10]);
  const std::uint64_t entrySize = static_cast<std::uint64_t>(bmp.PaletteEntrySize);
  if (offset > tableStart && offset < tableStart + entries * entrySize)
    entries = (offset - tableStart) / entrySize;
  const std::uint64_t tableEnd = tableStart + entries * entrySize;
  if (tableEnd > fileBytes) Refuse(fileName, Tr("Pictures", "色テーブルが途中で切れています"));
  bmp.PaletteOffset = tableStart;
  bmp.PaletteEntries = static_cast<std::size_t>(entries);
  bmp.DataOffset = static_cast<std::size_t>(std::max(tableEnd, offset));
}

}  // namespace

BmpLayout ReadBmpLayout(const std::vector<std::uint8_t>& head, std::int64_t fileBytes,
                        const std::string& fileName) {
  // Every byte read below lies before BmpHeadBytes and is checked against the file's length
  // first, so the head holds it.
  const auto length = static_cast<std::uint64_t>(std::max<std::int64_t>(fileBytes, 0));
  const InfoHeader header = ReadInfoHeader(head, length, fileName);
  BmpLayout bmp;
  const std::uint32_t coloursUsed = ReadGeometry(header, bmp, fileName);
  const std::size_t tableStart = ReadMasks(head, length, header, bmp, fileName);
  PlaceTableAndData(head, length, tableStart, coloursUsed, bmp, fileName);
  return bmp;
}

void CheckPixelDataLength(const BmpLayout& bmp, std::int64_t fileBytes,
                          const std::string& fileName) {
  const auto needed = static_cast<std::int64_t>(bmp.DataOffset) + bmp.RowBytes() * bmp.Height;
  if (needed > fileBytes) RefusePixelDataCutShort(fileBytes, needed, fileName);
}
