#include "BmpPalette.h"

#include <algorithm>

BmpPalette::BmpPalette(const std::vector<std::uint8_t>& head, const BmpLayout& bmp) {
  // Entries past the 256th cannot be addressed; ReadBmpLayout checked the table's length, so
  // the head holds the rest.
  const std::size_t count = std::min(bmp.PaletteEntries, FColours.size());
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = &head[bmp.PaletteOffset + i * bmp.PaletteEntrySize];
    FColours[i] = entry[0] | entry[1] << 8 | static_cast<std::uint32_t>(entry[2]) << 16;
  }
}
