#include "BmpRowDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "pixels are stored as packed words");

namespace {

constexpr std::uint32_t Bgr888Masks[3] = {0xFF0000, 0x00FF00, 0x0000FF};

// Writes the colours of a row's pixels (packed blue | green << 8 | red << 16) as 3 bytes
// each: all but the last with a four-byte store whose top byte the next pixel overwrites.
template <typename ColourOf>
void WriteRow(std::uint8_t* out, int width, ColourOf colourOf) {
  for (int x = 0; x + 1 < width; ++x) {
    const std::uint32_t colour = colourOf(x);
    std::memcpy(out + 3 * x, &colour, 4);
  }
  const std::uint32_t last = colourOf(width - 1);
  std::memcpy(out + 3 * (width - 1), &last, 3);
}

template <int Bytes>
std::uint32_t LoadPixel(const std::uint8_t* at) {
  if constexpr (Bytes == 2) return static_cast<std::uint32_t>(at[0] | at[1] << 8);
  std::uint32_t pixel;
  std::memcpy(&pixel, at, 4);
  return pixel;
}

}  // namespace

BmpRowDecoder::Channel::Channel(std::uint32_t mask) : FMask(mask) {
  if (mask == 0) {
    FTable = {0};
    return;
  }
  FShift = std::countr_zero(mask);
  FMax = (std::uint64_t{1} << std::bit_width(mask >> FShift)) - 1;
  if (FMax > 0xFFFF) return;
  FTable.resize(FMax + 1);
  for (std::uint32_t value = 0; value <= FMax; ++value)
    FTable[value] = static_cast<std::uint8_t>(Scale(value));
}

std::uint32_t BmpRowDecoder::Channel::Scale(std::uint32_t value) const {
  // round(value × 255 / max) in integers; max is odd, so there are no ties.
  return static_cast<std::uint32_t>((value * std::uint64_t{510} + FMax) / (2 * FMax));
}

BmpRowDecoder::BmpRowDecoder(const BmpLayout& bmp, const BmpPalette& palette, int width)
    : FWidth(static_cast<int>(std::min<std::int64_t>(width, bmp.Width))),
      FBits(bmp.Bits),
      FPalette(palette),
      FRed(bmp.Masks[0]),
      FGreen(bmp.Masks[1]),
      FBlue(bmp.Masks[2]),
      FAlpha(bmp.AlphaMask) {
  const bool plainBytes = bmp.Masks[0] == Bgr888Masks[0] && bmp.Masks[1] == Bgr888Masks[1] &&
                          bmp.Masks[2] == Bgr888Masks[2];
  if (bmp.Bits <= 8) {
    FKind = Kind::Indexed;
  } else if (bmp.Bits == 24) {
    FKind = Kind::Copy24;
  } else if (bmp.Bits == 16) {
    FKind = Kind::Fields16;
  } else {
    FKind = plainBytes ? Kind::Bytes32 : Kind::Fields32;
  }
}

void BmpRowDecoder::Decode(const std::uint8_t* in, std::uint8_t* out) const {
  switch (FKind) {
    case Kind::Indexed:
      DecodeIndexed(in, out);
      break;
    case Kind::Copy24:  // stored as blue, green, red already
      std::memcpy(out, in, 3 * static_cast<std::size_t>(FWidth));
      break;
    case Kind::Bytes32:
      DecodeBytes32(in, out);
      break;
    case Kind::Fields16:
      DecodeFields<2>(in, out);
      break;
    case Kind::Fields32:
      DecodeFields<4>(in, out);
      break;
  }
}

std::uint32_t BmpRowDecoder::PixelAt(const std::uint8_t* in, int x) const {
  return FBits == 16 ? LoadPixel<2>(in + 2 * x) : LoadPixel<4>(in + 4 * x);
}

void BmpRowDecoder::DecodeWithAlpha(const std::uint8_t* in, std::uint8_t* out) const {
  Decode(in, out);
  // Spread the 3-byte pixels to 4 from the right, where no pixel still to move is written.
  for (int x = FWidth - 1; x >= 0; --x) {
    const std::uint8_t blue = out[3 * x], green = out[3 * x + 1], red = out[3 * x + 2];
    std::uint8_t* pixel = out + 4 * x;
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
    pixel[3] = static_cast<std::uint8_t>(FAlpha(PixelAt(in, x)));
  }
}

bool BmpRowDecoder::AnyAlpha(const std::uint8_t* in) const {
  for (int x = 0; x < FWidth; ++x)
    if (FAlpha(PixelAt(in, x)) != 0) return true;
  return false;
}

void BmpRowDecoder::DecodeIndexed(const std::uint8_t* in, std::uint8_t* out) const {
  if (FBits == 8) {
    WriteRow(out, FWidth, [&](int x) { return FPalette[in[x]]; });
    return;
  }
  // Several pixels to a byte, the leftmost in the high bits.
  const int bits = FBits;
  const unsigned mask = (1u << bits) - 1;
  WriteRow(out, FWidth, [&](int x) {
    const int bit = x * bits;
    return FPalette[static_cast<std::uint8_t>(in[bit >> 3] >> (8 - bits - (bit & 7)) & mask)];
  });
}

void BmpRowDecoder::DecodeBytes32(const std::uint8_t* in, std::uint8_t* out) const {
  // Blue, green, red and an ignored byte: the pixel itself, its top byte overwritten.
  WriteRow(out, FWidth, [&](int x) { return LoadPixel<4>(in + 4 * x); });
}

template <int Bytes>
void BmpRowDecoder::DecodeFields(const std::uint8_t* in, std::uint8_t* out) const {
  WriteRow(out, FWidth, [&](int x) {
    const std::uint32_t pixel = LoadPixel<Bytes>(in + Bytes * x);
    return FBlue(pixel) | FGreen(pixel) << 8 | FRed(pixel) << 16;
  });
}
