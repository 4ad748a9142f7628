// The colour table of a 1-, 4- or 8-bit BMP picture.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "BmpLayout.h"

// Colours are packed as blue | green << 8 | red << 16: on this little-endian machine their
// first three bytes in memory are a pixel of the 24-bit picture.
class BmpPalette {
 public:
  // `head` holds the file's first bytes, as ReadBmpLayout took them.
  BmpPalette(const std::vector<std::uint8_t>& head, const BmpLayout& bmp);
  // Indices past the end of the file's table are black.
  std::uint32_t operator[](std::uint8_t index) const { return FColours[index]; }

 private:
  std::array<std::uint32_t, 256> FColours{};
};
