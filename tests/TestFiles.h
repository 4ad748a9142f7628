// Test helpers: a scratch folder, and builders for the picture files the tests read.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/TavoBmp.h"

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
// With `enter`, it is also the working folder for the object's lifetime.
class ScratchFolder {
 public:
  explicit ScratchFolder(bool enter = false);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Path(const std::string& name) const;

 private:
  std::filesystem::path FPath;
  std::filesystem::path FPrevious;
};

void WriteBytes(const std::string& fileName, const Bytes& bytes);
Bytes ReadBytes(const std::string& fileName);

// Every file of `folder` (the working folder unless named), by name, with its bytes.
using TFolder = std::map<std::string, Bytes>;
TFolder FolderFiles(const std::string& folder = ".");

// A BMP file assembled field by field, so that every variant and every fault can be made.
struct BmpParts {
  std::uint32_t HeaderSize = 40;  // 12, 16 to 64, 108 or 124 (or anything, to test refusal)
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // negative for top-down rows
  std::uint16_t Planes = 1;
  std::uint16_t Bits = 24;
  std::uint32_t Compression = 0;
  std::uint32_t ColoursUsed = 0;
  std::vector<std::array<std::uint8_t, 3>> Palette;  // blue, green, red
  std::array<std::uint32_t, 4> Masks{};     // red, green, blue, alpha; in headers from 52 bytes
  bool WriteMasks = false;                  // after the header: three, or four for compression 6
  std::optional<std::uint32_t> DataOffset;  // written in place of the pixels' real offset
  // Rows as stored in the file (bottom row first unless top-down), unpadded; or, for
  // run-length files, the whole code stream in the first entry.
  std::vector<Bytes> Rows;
};
Bytes BuildBmp(const BmpParts& parts);

// An uncompressed 24-bit BMP of the picture given top row first.
Bytes Bmp24(const std::vector<std::vector<Pixel24>>& picture);

// A 24-bit shape image: row i is `inside` in columns 0..r[i]−1 and black from r[i] on.
Bytes ShapeBmp(const std::vector<int>& radii, int width = 100, Pixel24 inside = KeyColour);

// A baseline JPEG of `samples` (3 bytes per pixel in RGB order, or 1 for greyscale).
Bytes EncodeJpeg(int width, int height, bool grey, const Bytes& samples, int quality = 95);
// The same colour picture, arithmetic-coded.
Bytes EncodeArithmeticJpeg(int width, int height, const Bytes& rgb, int quality);

// How a four-channel JPEG stores its ink samples.
enum class CmykJpeg { Plain, Adobe, AdobeYcck };
// A JPEG of `cmyk` (4 bytes per pixel), written as the samples are, at quality 100. The
// Adobe kinds carry the Adobe marker, which says the samples are inverted (255 − ink).
Bytes EncodeCmykJpeg(int width, int height, CmykJpeg kind, const Bytes& cmyk);

// A PNG written with the PNG library, so that every depth and kind of transparency can be
// made. Samples are given row after row as the file stores them (16-bit ones big-endian).
struct PngParts {
  int Width = 0;
  int Height = 0;
  int Depth = 8;
  int ColourType = 2;  // PNG_COLOR_TYPE_RGB
  bool Interlaced = false;
  Bytes Samples;
  Bytes Palette;       // red, green, blue triples
  Bytes PaletteAlpha;  // the tRNS chunk of a palette picture
  std::optional<std::array<std::uint16_t, 3>> TransparentColour;  // grey uses the first
};
Bytes EncodePng(const PngParts& parts);

// Compares every pixel; reports the first difference.
::testing::AssertionResult PixelsAre(const TTavoBitmap& bitmap,
                                     const std::vector<std::vector<Pixel24>>& expected);

bool operator==(const Pixel24& a, const Pixel24& b);
std::ostream& operator<<(std::ostream& out, const Pixel24& p);
