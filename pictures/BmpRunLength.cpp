#include "BmpRunLength.h"

#include <algorithm>
#include <cstring>

#include "framework/TavoErrors.h"
#include "framework/Translation.h"

BmpRunLength::BmpRunLength(const std::vector<std::uint8_t>& bytes, const BmpLayout& bmp,
                           const BmpPalette& palette, const std::string& fileName)
    : FBytes(bytes),
      FBmp(bmp),
      FPalette(palette),
      FFileName(fileName),
      FFour(bmp.Compression == BiRle4),
      FAt(bmp.DataOffset) {}

void BmpRunLength::DecodeInto(QImage& picture) {
  FBits = picture.bits();
  FStride = picture.bytesPerLine();
  while (FY < FBmp.Height) {
    const std::uint8_t count = Next();
    const std::uint8_t code = Next();
    if (count > 0) {  // a run of one index, or of two alternating nibbles
      Run(count, code);
    } else if (code == 0) {  // end of line
      FX = 0;
      ++FY;
    } else if (code == 1) {  // end of picture
      break;
    } else if (code == 2) {  // delta: right, then down
      FX += Next();
      FY += Next();
    } else {  // absolute: `code` indices follow, padded to a 16-bit boundary
      Absolute(code);
    }
  }
}

std::uint8_t BmpRunLength::Next() {
  if (FAt >= FBytes.size())
    throw EInvalidGraphic(FFileName, Tr("Pictures", "ランレングスデータが途中で切れています"));
  return FBytes[FAt++];
}

void BmpRunLength::Run(int count, std::uint8_t code) {
  const std::uint32_t even = FPalette[FFour ? code >> 4 : code];
  const std::uint32_t odd = FPalette[FFour ? code & 15 : code];
  std::uint8_t* row = Row();
  const std::int64_t end = std::min(FX + count, FBmp.Width);
  for (std::int64_t i = 0; FX + i < end; ++i) Put(row, FX + i, i % 2 == 0 ? even : odd);
  FX += count;
}

void BmpRunLength::Absolute(int count) {
  const std::size_t bytes = FFour ? (count + 1) / 2 : count;
  if (FBytes.size() - FAt < bytes)
    throw EInvalidGraphic(FFileName, Tr("Pictures", "ランレングスデータが途中で切れています"));
  const std::uint8_t* in = &FBytes[FAt];
  std::uint8_t* row = Row();
  const std::int64_t end = std::min(FX + count, FBmp.Width);
  for (std::int64_t i = 0; FX + i < end; ++i) {
    const std::uint8_t index = FFour ? (i % 2 == 0 ? in[i / 2] >> 4 : in[i / 2] & 15) : in[i];
    Put(row, FX + i, FPalette[index]);
  }
  FX += count;
  FAt = std::min(FAt + bytes + bytes % 2, FBytes.size());
}

std::uint8_t* BmpRunLength::Row() const {
  const std::int64_t row = FBmp.TopDown ? FY : FBmp.Height - 1 - FY;
  return FBits + row * FStride;
}

void BmpRunLength::Put(std::uint8_t* row, std::int64_t x, std::uint32_t colour) const {
  std::memcpy(row + 3 * x, &colour, 3);
}
