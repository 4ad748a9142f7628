// Expands the run-length codes of an RLE8 or RLE4 BMP picture.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "BmpLayout.h"
#include "BmpPalette.h"

// Writes straight into a picture that starts black: the pixels that the codes skip (delta,
// early end of line, end of picture) stay black. Runs past a row's end are cut
// off, so the work is linear in the file's length plus the picture's size.
class BmpRunLength {
 public:
  BmpRunLength(const std::vector<std::uint8_t>& bytes, const BmpLayout& bmp,
               const BmpPalette& palette, const std::string& fileName);
  // Raises the invalid-bitmap error when the codes end before the picture does.
  void DecodeInto(QImage& picture);

 private:
  std::uint8_t Next();
  void Run(int count, std::uint8_t code);
  void Absolute(int count);
  std::uint8_t* Row() const;
  void Put(std::uint8_t* row, std::int64_t x, std::uint32_t colour) const;

  const std::vector<std::uint8_t>& FBytes;
  const BmpLayout& FBmp;
  const BmpPalette& FPalette;
  const std::string& FFileName;
  bool FFour;
  std::size_t FAt;
  std::int64_t FX = 0;
  std::int64_t FY = 0;  // counted in stream order, from the bottom unless top-down
  std::uint8_t* FBits = nullptr;
  std::int64_t FStride = 0;
};
