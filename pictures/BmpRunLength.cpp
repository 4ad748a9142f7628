#include "BmpRunLength.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

// Codes are read a block at a time: one virtual call a byte would cost more than the
// decoding.
constexpr std::size_t CodeBlockBytes = 16384;

}  // namespace

BmpRunLength::BmpRunLength(TByteStream& codes, const BmpLayout& bmp, const BmpPalette& palette,
                           const std::string& fileName)
    : FCodes(codes),
      FBmp(bmp),
      FPalette(palette),
      FFileName(fileName),
      FFour(bmp.Compression == BiRle4),
      FBuffer(CodeBlockBytes) {}

void BmpRunLength::DecodeInto(QImage& picture) {
  FBits = picture.bits();
  FStride = picture.bytesPerLine();
  FWidth = picture.width();
  FHeight = picture.height();
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

bool BmpRunLength::Refill() {
  FAt = 0;
  FEnd = FCodes.Read(FBuffer.data(), FBuffer.size());
  return FEnd > 0;
}

std::uint8_t BmpRunLength::Next() {
  if (FAt == FEnd && !Refill())
    throw EInvalidGraphic(FFileName, Tr("Pictures", "ランレングスデータが途中で切れています"));
  return FBuffer[FAt++];
}

void BmpRunLength::PassOne() {
  if (FAt < FEnd || Refill()) ++FAt;
}

void BmpRunLength::Run(int count, std::uint8_t code) {
  std::uint8_t* row = Row();
  if (row != nullptr) {
    const std::uint32_t even = FPalette[FFour ? code >> 4 : code];
    const std::uint32_t odd = FPalette[FFour ? code & 15 : code];
    const std::int64_t end = std::min(FX + count, FWidth);
    for (std::int64_t i = 0; FX + i < end; ++i) Put(row, FX + i, i % 2 == 0 ? even : odd);
  }
  FX += count;
}

const std::uint8_t* BmpRunLength::Take(std::size_t count, std::uint8_t* spare) {
  if (FEnd - FAt >= count) {
    const std::uint8_t* at = FBuffer.data() + FAt;
    FAt += count;
    return at;
  }
  for (std::size_t i = 0; i < count; ++i) spare[i] = Next();
  return spare;
}

void BmpRunLength::Absolute(int count) {
  const std::size_t bytes = FFour ? (count + 1) / 2 : count;
  std::array<std::uint8_t, 255> spare;
  const std::uint8_t* in = Take(bytes, spare.data());
  std::uint8_t* row = Row();
  if (row != nullptr) {
    const std::int64_t end = std::min(FX + count, FWidth);
    for (std::int64_t i = 0; FX + i < end; ++i) {
      const std::uint8_t index = FFour ? (i % 2 == 0 ? in[i / 2] >> 4 : in[i / 2] & 15) : in[i];
      Put(row, FX + i, FPalette[index]);
    }
  }
  FX += count;
  // The pad byte, passed over only now: reading it may refill the block `in` points into. The
  // last code of a file may lack it.
  if (bytes % 2 != 0) PassOne();
}

std::uint8_t* BmpRunLength::Row() const {
  const std::int64_t row = FBmp.TopDown ? FY : FBmp.Height - 1 - FY;
  return row < FHeight ? FBits + row * FStride : nullptr;
}

void BmpRunLength::Put(std::uint8_t* row, std::int64_t x, std::uint32_t colour) const {
  std::memcpy(row + 3 * x, &colour, 3);
}
