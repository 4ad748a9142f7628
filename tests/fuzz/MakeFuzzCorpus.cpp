// Writes the image fuzzer's seed corpus into the folder given: a valid file of every BMP
// variant, colour and greyscale JPEGs, a shape image, and for the reader of dropped pictures
// PNGs of every depth and kind of transparency, a GIF, WebPs, TIFFs, a BMP with alpha and a
// JPEG; doll files, whole and damaged; each behind its reader's byte.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <string>

#include "FuzzTarget.h"
#include "TestFiles.h"
#include "dollfile/DollArchive.h"

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
  // The same picture with its alpha set, for the reader of dropped pictures, which keeps it.
  v5.Rows = {{1, 2, 3, 255, 5, 6, 7, 0}, {8, 7, 6, 128, 4, 3, 2, 1}};
  Seed("bmp32-v5-alpha", 3, BuildBmp(v5));
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

Bytes WrittenByQt(const QImage& picture, const char* format, int quality) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  if (!writer.write(picture)) std::abort();
  return Bytes(data.begin(), data.end());
}

PngParts Png(int width, int height, int depth, int colourType, std::size_t rowBytes) {
  PngParts parts;
  parts.Width = width;
  parts.Height = height;
  parts.Depth = depth;
  parts.ColourType = colourType;
  for (std::size_t i = 0; i < rowBytes * static_cast<std::size_t>(height); ++i)
    parts.Samples.push_back(static_cast<std::uint8_t>(i * 37));
  return parts;
}

void SeedPngs() {
  PngParts rgb16 = Png(5, 3, 16, 2, 30);
  rgb16.TransparentColour = {{0x0025, 0x4A6F, 0x94B9}};  // the first pixel's
  Seed("png-rgb16-trns", 3, EncodePng(rgb16));
  rgb16.Interlaced = true;
  Seed("png-rgb16-trns-interlaced", 3, EncodePng(rgb16));
  PngParts grey16 = Png(5, 3, 16, 0, 10);
  grey16.TransparentColour = {{0x0025, 0, 0}};
  Seed("png-grey16-trns", 3, EncodePng(grey16));
  Seed("png-rgba16", 3, EncodePng(Png(5, 3, 16, 6, 40)));
  Seed("png-grey-alpha8", 3, EncodePng(Png(5, 3, 8, 4, 10)));
  PngParts palette = Png(5, 3, 4, 3, 3);
  palette.Palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
  palette.PaletteAlpha = {255, 0, 128};
  for (auto& sample : palette.Samples) sample &= 0x33;  // indices 0 to 3
  Seed("png-palette4-trns", 3, EncodePng(palette));
  PngParts grey1 = Png(9, 3, 1, 0, 2);
  grey1.TransparentColour = {{1, 0, 0}};
  Seed("png-grey1-trns", 3, EncodePng(grey1));
}

// A 2 × 2 GIF: red, then the transparent index, in the top row and the other way round below.
Bytes TransparentGif() {
  return {'G', 'I', 'F', '8', '9',  'a',  2, 0, 2, 0,    0x80, 0,    0,    255, 0,
          0,   0,   0,   255, 0x21, 0xF9, 4, 1, 0, 0,    1,    0,    0x2C, 0,   0,
          0,   0,   2,   0,   2,    0,    0, 2, 3, 0x44, 0x02, 0x05, 0,    0x3B};
}

void SeedOtherDropped() {
  QImage picture(7, 5, QImage::Format_RGBA64);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      picture.setPixelColor(x, y, QColor::fromRgba64(x * 9000, y * 13000, 0x1234, x * 10000));
  Seed("tiff-rgba16", 3, WrittenByQt(picture, "tiff", 100));
  Seed("tiff-rgb16", 3, WrittenByQt(picture.convertToFormat(QImage::Format_RGBX64), "tiff", 100));
  Seed("tiff-rgb8", 3, WrittenByQt(picture.convertToFormat(QImage::Format_RGB32), "tiff", 100));
  const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
  Seed("webp-lossless-alpha", 3, WrittenByQt(argb, "webp", 100));
  Seed("webp-lossy-alpha", 3, WrittenByQt(argb, "webp", 60));
  Seed("gif-transparent", 3, TransparentGif());
  Bytes rgb;
  for (int i = 0; i < 8 * 8; ++i)
    rgb.insert(rgb.end(), {std::uint8_t(i * 4), std::uint8_t(255 - i), std::uint8_t(i * 7)});
  Seed("jpeg-dropped", 3, EncodeJpeg(8, 8, false, rgb, 80));
}

void SeedShapes() {
  std::vector<int> radii(200);
  for (int y = 0; y < 200; ++y) radii[y] = y < 100 ? y : 199 - y;
  Seed("shape", 2, ShapeBmp(radii));
}

// A run-length skin of 250 × 200: each row one run of a colour, the last rows left to the end
// of the picture.
Bytes RunLengthSkin(std::uint8_t shift) {
  BmpParts parts{.Width = 250, .Height = 200, .Bits = 8, .Compression = 1};
  parts.Palette = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}};
  Bytes codes;
  for (int y = 0; y < 190; ++y)
    codes.insert(codes.end(), {250, static_cast<std::uint8_t>((y + shift) % 3), 0, 0});
  codes.insert(codes.end(), {0, 1});
  parts.Rows = {codes};
  return BuildBmp(parts);
}

// A doll of three levels with run-length skins, then the same cut short, with another type,
// and with its first picture's CRC changed in the local header only.
void SeedDolls() {
  std::vector<int> radii(200, 50), slimmer(200, 30);
  const Bytes doll = PackDoll({{"シェイプ.bmp", ShapeBmp(radii)},
                               {"テクスチャ.bmp", RunLengthSkin(0)},
                               {"シェイプ2.bmp", ShapeBmp(slimmer)},
                               {"テクスチャ3.bmp", RunLengthSkin(1)}},
                              EncodePng(Png(2, 2, 8, 2, 6)));
  Seed("doll", 4, doll);
  Seed("doll-cut-short", 4, Bytes(doll.begin(), doll.begin() + doll.size() / 2));
  Bytes other = doll;
  other[38 + 14] = 'z';  // application/x-zavinel
  Seed("doll-other-type", 4, other);
  Bytes crc = doll;
  crc[38 + DollFileType.size() + 14] ^= 1;
  Seed("doll-local-crc", 4, crc);
}

}  // namespace

int main(int argc, char** argv) {
  Folder = argc > 1 ? argv[1] : ".";
  SeedBmps();
  SeedJpegs();
  SeedShapes();
  SeedPngs();
  SeedOtherDropped();
  SeedDolls();
  return 0;
}
