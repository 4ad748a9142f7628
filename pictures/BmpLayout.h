// What the headers of a BMP file say, read from the file's first bytes and checked against its
// length.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum BmpCompression : std::uint32_t {
  BiRgb = 0,
  BiRle8 = 1,
  BiRle4 = 2,
  BiBitFields = 3,
  BiAlphaBitFields = 6
};

struct BmpLayout {
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // always positive; TopDown tells the row order
  bool TopDown = false;
  int Bits = 0;
  std::uint32_t Compression = BiRgb;
  // Red, green and blue masks of 16- and 32-bit pixels: the file's, or the plain layouts
  // (5-5-5, and 8-8-8 with blue in the low byte).
  std::array<std::uint32_t, 3> Masks{};
  // The alpha mask of a 16- or 32-bit picture whose header or masks hold one; else 0.
  std::uint32_t AlphaMask = 0;
  std::size_t PaletteOffset = 0;
  // The colour entries the file holds: more or fewer than the depth can address.
  std::size_t PaletteEntries = 0;
  int PaletteEntrySize = 4;
  std::size_t DataOffset = 0;

  bool RunLength() const { return Compression == BiRle8 || Compression == BiRle4; }
  // Bytes of one stored row of an uncompressed picture, padded to 4.
  std::int64_t RowBytes() const { return (Width * Bits + 31) / 32 * 4; }
};

// The first bytes of a file that hold every header and every colour a pixel can address: the
// file header, the longest information header, four masks and 256 four-byte entries.
inline constexpr std::int64_t BmpHeadBytes = 14 + 124 + 16 + 256 * 4;

// Reads and checks the file header, the information header, the masks and where the colour
// table and the pixel data lie, from `head`: at least the first min(fileBytes, BmpHeadBytes)
// bytes of a file of `fileBytes` bytes. Raises the invalid-bitmap error, naming `fileName`,
// for a header that is cut short, unknown or past the size limits, and for a colour table
// that runs past the end of the file; the pixel data's length is not checked here.
BmpLayout ReadBmpLayout(const std::vector<std::uint8_t>& head, std::int64_t fileBytes,
                        const std::string& fileName);

// Raises the invalid-bitmap error, naming `fileName`, for an uncompressed picture whose rows
// run past the end of a file of `fileBytes` bytes.
void CheckPixelDataLength(const BmpLayout& bmp, std::int64_t fileBytes,
                          const std::string& fileName);
