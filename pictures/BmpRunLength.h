// Expands the run-length codes of an RLE8 or RLE4 BMP picture.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "BmpLayout.h"
#include "BmpPalette.h"
#include "ByteStream.h"

// Reads the codes once, in order, to the picture's end, writing straight into a picture of
// its top-left corner (the whole picture, or less) that starts black: the pixels that the
// codes skip (delta, early end of line, end of picture) stay black. Runs past a row's end and
// pixels outside the corner are passed over without a step each, so the work is linear in the
// file's length plus the corner's size.
class BmpRunLength {
 public:
  // `codes` starts at the pixel data.
  BmpRunLength(TByteStream& codes, const BmpLayout& bmp, const BmpPalette& palette,
               const std::string& fileName);
  // Raises the invalid-bitmap error when the codes end before the picture does.
  void DecodeInto(QImage& picture);

 private:
  std::uint8_t Next();
  // Passes over the next byte, if there is one.
  void PassOne();
  bool Refill();
  // The next `count` bytes: in the block when it holds them all, else gathered into `spare`.
  const std::uint8_t* Take(std::size_t count, std::uint8_t* spare);
  void Run(int count, std::uint8_t code);
  void Absolute(int count);
  // The picture's row that the codes are at, or nullptr outside it.
  std::uint8_t* Row() const;
  void Put(std::uint8_t* row, std::int64_t x, std::uint32_t colour) const;

  TByteStream& FCodes;
  const BmpLayout& FBmp;
  const BmpPalette& FPalette;
  const std::string& FFileName;
  bool FFour;
  std::vector<std::uint8_t> FBuffer;
  std::size_t FAt = 0;
  std::size_t FEnd = 0;
  std::int64_t FX = 0;
  std::int64_t FY = 0;  // counted in stream order, from the bottom unless top-down
  std::uint8_t* FBits = nullptr;
  std::int64_t FStride = 0;
  std::int64_t FWidth = 0;  // of the picture written
  std::int64_t FHeight = 0;
};
