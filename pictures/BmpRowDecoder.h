// Turns the stored rows of an uncompressed BMP picture into 24-bit rows.
#pragma once

#include <cstdint>
#include <vector>

#include "BmpLayout.h"
#include "BmpPalette.h"

class BmpRowDecoder {
 public:
  // Decodes the first `width` pixels of each row, at most the picture's width.
  BmpRowDecoder(const BmpLayout& bmp, const BmpPalette& palette, int width);
  // Reads one stored row from `in` and writes its first `width` pixels (blue, green, red) to
  // `out`. Only the bytes of those pixels are read.
  void Decode(const std::uint8_t* in, std::uint8_t* out) const;
  // For a 16- or 32-bit picture: the same with each pixel's alpha after it (blue, green, red,
  // alpha: Format_ARGB32's bytes), `out` holding 4 bytes a pixel.
  void DecodeWithAlpha(const std::uint8_t* in, std::uint8_t* out) const;
  // Whether any pixel of a stored 16- or 32-bit row has an alpha other than 0.
  bool AnyAlpha(const std::uint8_t* in) const;

 private:
  // One colour channel of a bit-field pixel, widened to 8 bits: a channel of v bits is
  // scaled by 255 / (2^v − 1) and rounded, so that every width reaches full strength.
  class Channel {
   public:
    explicit Channel(std::uint32_t mask);
    std::uint32_t operator()(std::uint32_t pixel) const {
      const std::uint32_t value = (pixel & FMask) >> FShift;
      return FTable.empty() ? Scale(value) : FTable[value];
    }

   private:
    std::uint32_t Scale(std::uint32_t value) const;

    std::uint32_t FMask = 0;
    int FShift = 0;
    std::uint64_t FMax = 0;            // 2^v − 1
    std::vector<std::uint8_t> FTable;  // for v up to 16
  };
  enum class Kind { Indexed, Copy24, Bytes32, Fields16, Fields32 };

  std::uint32_t PixelAt(const std::uint8_t* in, int x) const;
  void DecodeIndexed(const std::uint8_t* in, std::uint8_t* out) const;
  void DecodeBytes32(const std::uint8_t* in, std::uint8_t* out) const;
  template <int Bytes>
  void DecodeFields(const std::uint8_t* in, std::uint8_t* out) const;

  Kind FKind;
  int FWidth;
  int FBits;
  const BmpPalette& FPalette;
  Channel FRed;
  Channel FGreen;
  Channel FBlue;
  Channel FAlpha;
};
