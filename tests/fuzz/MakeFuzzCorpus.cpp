// Writes the image fuzzer's seed corpus into the folder given: a valid file of every BMP
// variant, colour and greyscale JPEGs and a shape image, each behind its reader's byte.
#include <string>

#include "FuzzTarget.h"
#include "TestFiles.h"

namespace {

std::string Folder;

void Seed(const std::string& name, std::uint8_t reader, const Bytes& file) {
  Bytes input{reader};
  input.insert(input.end(), file.begin(), file.end());
  WriteBytes(Folder + "/" + name, input);
}

BmpParts Paletted(int bits, std::uint32_t compression) {
  BmpParts parts;
  parts.Bits = static_cast<std::uint16_t>(bits);
  parts.Width = 5;
  parts.Height = 3;
  parts.Compression = compression;
  parts.Palette = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {9, 9, 9}};
  parts.ColoursUsed = 4;
  return parts;
}

void SeedBmps() {
  BmpParts one = Paletted(1, 0);
  one.Palette.resize(2);
  one.ColoursUsed = 2;
  one.Rows = {{0xA8}, {0x50}, {0xF8}};
  Seed("bmp1", 0, BuildBmp(one));
  BmpParts four = Paletted(4, 0);
  four.Rows = {{0x01, 0x23, 0x10}, {0x32, 0x10, 0x30}, {0x00, 0x11, 0x20}};
  Seed("bmp4", 0, BuildBmp(four));
  BmpParts eight = Paletted(8, 0);
  eight.Rows = {{0, 1, 2, 3, 0}, {3, 2, 1, 0, 1}, {1, 1, 2, 2, 3}};
  Seed("bmp8", 0, BuildBmp(eight));
  BmpParts shortTable = eight;  // 256 colours wanted, 4 before the pixel data
  shortTable.ColoursUsed = 0;
  Seed("bmp8-short-table", 0, BuildBmp(shortTable));
  BmpParts rle8 = Paletted(8, 1);
  rle8.Rows = {{3, 1, 0, 0, 0, 3, 2, 3, 0, 0, 0, 2, 1, 1, 1, 2, 0, 1}};
  Seed("rle8", 0, BuildBmp(rle8));
  BmpParts rle4 = Paletted(4, 2);
  rle4.Rows = {{6, 0x12, 0, 0, 0, 3, 0x30, 0x10, 0, 0, 0, 2, 1, 0, 2, 0x33, 0, 1}};
  Seed("rle4", 0, BuildBmp(rle4));
  BmpParts core = Paletted(8, 0);
  core.HeaderSize = 12;
  core.ColoursUsed = 0;
  core.Palette.resize(256, {5, 6, 7});
  core.Rows = eight.Rows;
  Seed("core8", 0, BuildBmp(core));

  BmpParts rgb;
  rgb.Width = 3;
  rgb.Height = -2;  // top-down
  rgb.Rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2, 1}};
  Seed("bmp24-topdown", 0, BuildBmp(rgb));
  BmpParts os2 = rgb;
  os2.HeaderSize = 16;
  Seed("bmp24-os2-16", 0, BuildBmp(os2));
  BmpParts sixteen;
  sixteen.Bits = 16;
  sixteen.Width = 2;
  sixteen.Height = 2;
  sixteen.Rows = {{0x01, 0x7E, 0xFF, 0x7F}, {0x00, 0x00, 0x1F, 0x00}};
  Seed("bmp16", 0, BuildBmp(sixteen));
  sixteen.Compression = 3;
  sixteen.WriteMasks = true;
  sixteen.Masks = {0xF800, 0x07E0, 0x001F, 0};
  Seed("bmp16-fields", 0, BuildBmp(sixteen));
  BmpParts inHeader = sixteen;
  inHeader.HeaderSize = 52;
  inHeader.WriteMasks = false;
  Seed("bmp16-fields-52", 0, BuildBmp(inHeader));
  BmpParts v5;
  v5.HeaderSize = 124;
  v5.Bits = 32;
  v5.Width = 2;
  v5.Height = 2;
  v5.Compression = 3;
  v5.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  v5.Rows = {{1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}};
  Seed("bmp32-v5", 0, BuildBmp(v5));
  BmpParts alpha = v5;
  alpha.HeaderSize = 40;
  alpha.Compression = 6;
  alpha.WriteMasks = true;
  Seed("bmp32-alpha-fields", 0, BuildBmp(alpha));
}

void SeedJpegs() {
  Bytes rgb, grey;
  for (int i = 0; i < 16 * 16; ++i) {
    rgb.insert(rgb.end(), {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)});
    grey.push_back(static_cast<std::uint8_t>(i));
  }
  Seed("jpeg-colour", 1, EncodeJpeg(16, 16, false, rgb, 80));
  Seed("jpeg-grey", 1, EncodeJpeg(16, 16, true, grey, 80));
  Seed("jpeg-arithmetic", 1, EncodeArithmeticJpeg(16, 16, rgb, 80));
}

void SeedShapes() {
  std::vector<int> radii(200);
  for (int y = 0; y < 200; ++y) radii[y] = y < 100 ? y : 199 - y;
  Seed("shape", 2, ShapeBmp(radii));
}

}  // namespace

int main(int argc, char** argv) {
  Folder = argc > 1 ? argv[1] : ".";
  SeedBmps();
  SeedJpegs();
  SeedShapes();
  return 0;
}
