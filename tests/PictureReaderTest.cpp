// The reader of dropped pictures: what it refuses at once, how transparent parts of every
// kind of file come out, and how a file that ends early is refused.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>
#include <QBuffer>
#include <QImageWriter>
#include <filesystem>
#include <functional>

#include "TestFiles.h"
#include "framework/TavoErrors.h"
#include "pictures/ImageInput.h"
#include "pictures/PictureReader.h"

namespace {

using Row = std::vector<QRgb>;

constexpr QRgb White = 0xFFFFFFFF;

// The picture's top row, checked to be Format_RGB32.
Row TopRow(const std::string& fileName) {
  const QImage picture = ReadPicture(fileName);
  EXPECT_EQ(picture.format(), QImage::Format_RGB32);
  const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(0));
  return Row(pixels, pixels + picture.width());
}

std::string Hex(const Row& row) {
  std::string text;
  char word[12];
  for (QRgb pixel : row) text += (std::snprintf(word, sizeof word, "%08X ", pixel), word);
  return text;
}

// A one-row 16-bit picture in a format Qt writes.
Bytes WrittenByQt(const char* format, const std::vector<QRgba64>& pixels) {
  QImage picture(static_cast<int>(pixels.size()), 1, QImage::Format_RGBA64);
  for (std::size_t x = 0; x < pixels.size(); ++x)
    reinterpret_cast<QRgba64*>(picture.scanLine(0))[x] = pixels[x];
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(100);
  EXPECT_TRUE(writer.write(picture)) << writer.errorString().toStdString();
  return Bytes(data.begin(), data.end());
}

PngParts Png(int width, int depth, int colourType, Bytes samples, int height = 1) {
  PngParts parts;
  parts.Width = width;
  parts.Height = height;
  parts.Depth = depth;
  parts.ColourType = colourType;
  parts.Samples = std::move(samples);
  return parts;
}

Bytes Samples16(std::initializer_list<std::uint16_t> samples) {
  Bytes bytes;
  for (std::uint16_t s : samples)
    bytes.insert(bytes.end(), {std::uint8_t(s >> 8), std::uint8_t(s)});
  return bytes;
}

// A pipe, a device or a folder, whatever its name, is refused at once rather than waited on,
// and a file past the size limit before it is read: each row runs in a child that an alarm
// ends if the reader waits.
TEST(PictureReader, OnlyRegularFilesAreReadAndNothingWaitsOnAPipe) {
  ScratchFolder folder;
  for (const char* huge : {"huge.bmp", "huge.jpg"}) {  // read whole: sparse, past the limit
    WriteBytes(folder.Path(huge), {'B', 'M'});
    std::filesystem::resize_file(folder.Path(huge), MaxImageFileBytes + 1);
  }
  ASSERT_EQ(::mkfifo(folder.Path("pipe.png").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(folder.Path("pipe.bmp").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(folder.Path("pipe.jpg").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", folder.Path("device.png"));
  std::filesystem::create_directory(folder.Path("folder.png"));
  const std::function<void(const std::string&)> drop = [](const std::string& name) {
    ReadPicture(name);
  };
  const std::function<void(const std::string&)> load = [](const std::string& name) {
    TTavoBitmap().LoadFromFileAuto(name);
  };
  const struct {
    const char* Name;
    std::function<void(const std::string&)> Read;
    const char* Says;
  } rows[] = {{"pipe.png", drop, "通常のファイルではありません"},
              {"pipe.bmp", load, "通常のファイルではありません"},
              {"pipe.jpg", load, "通常のファイルではありません"},
              {"device.png", drop, "通常のファイルではありません"},
              {"folder.png", drop, "フォルダーです"},
              {"huge.bmp", drop, "ファイルが大きすぎます"},
              {"huge.jpg", load, "ファイルが大きすぎます"}};
  for (const auto& row : rows) {
    const std::string name = folder.Path(row.Name);
    EXPECT_EXIT(
        {
          ::alarm(5);
          try {
            row.Read(name);
          } catch (const ETavoError& refusal) {
            std::fprintf(stderr, "%s\n", refusal.what());
            std::exit(0);
          }
          std::exit(1);
        },
        ::testing::ExitedWithCode(0), row.Says)
        << row.Name;
  }
}

// Every kind of transparency a PNG can hold, 16-bit ones included, comes out white where it
// is transparent, blended on white where it is partly so, 16-bit samples scaled to 8 bits.
TEST(PictureReader, TransparentPartsComeOutWhiteInEveryFormatAndDepth) {
  ScratchFolder folder;
  PngParts rgb16 = Png(3, 16, 2, Samples16({0xFFFF, 0, 0, 0x1234, 0x5678, 0x9ABC, 0, 0x8080, 0}));
  rgb16.TransparentColour = {{0x1234, 0x5678, 0x9ABC}};
  PngParts interlaced = rgb16;
  interlaced.Interlaced = true;
  PngParts grey16 = Png(3, 16, 0, Samples16({0x4000, 0xFFFF, 0x8080}));
  grey16.TransparentColour = {{0x4000, 0, 0}};
  PngParts palette = Png(3, 8, 3, {0, 1, 2});
  palette.Palette = {255, 0, 0, 0, 0, 255, 0, 255, 0};
  palette.PaletteAlpha = {255, 0, 128};
  const PngParts rgba16 = Png(2, 16, 6, Samples16({0, 0xFFFF, 0, 0x8080, 0xFFFF, 0, 0, 0}));
  PngParts grey1 = Png(8, 1, 0, {0b10100000});
  grey1.TransparentColour = {{1, 0, 0}};
  const struct {
    const char* Name;
    Bytes File;
    Row Expected;
  } rows[] = {
      {"16-bit colour, transparent colour", EncodePng(rgb16), {0xFFFF0000, White, 0xFF008000}},
      {"the same interlaced", EncodePng(interlaced), {0xFFFF0000, White, 0xFF008000}},
      {"16-bit grey, transparent grey", EncodePng(grey16), {White, White, 0xFF808080}},
      {"palette with alpha", EncodePng(palette), {0xFFFF0000, White, 0xFF7FFF7F}},
      {"16-bit colour and alpha", EncodePng(rgba16), {0xFF7FFF7F, White}},
      {"1-bit grey, transparent white",
       EncodePng(grey1),
       {White, 0xFF000000, White, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}},
      {"GIF with a transparent index",
       {'G', 'I', 'F', '8', '9',  'a',  2, 0, 2, 0,    0x80, 0,    0,    255, 0,
        0,   0,   0,   255, 0x21, 0xF9, 4, 1, 0, 0,    1,    0,    0x2C, 0,   0,
        0,   0,   2,   0,   2,    0,    0, 2, 3, 0x44, 0x02, 0x05, 0,    0x3B},
       {0xFFFF0000, White}},
      {"16-bit TIFF with alpha",
       WrittenByQt("tiff",
                   {QRgba64::fromRgba64(0xFFFF, 0, 0, 0xFFFF), QRgba64::fromRgba64(0, 0, 0, 0)}),
       {0xFFFF0000, White}},
  };
  for (const auto& row : rows) {
    const std::string name = folder.Path("picture");
    WriteBytes(name, row.File);
    EXPECT_EQ(Hex(TopRow(name)), Hex(row.Expected)) << row.Name;
  }
}

BmpParts AlphaBmp(std::uint32_t headerSize, std::uint32_t compression, const Bytes& pixels) {
  BmpParts parts;
  parts.HeaderSize = headerSize;
  parts.Bits = 32;
  parts.Width = static_cast<std::int32_t>(pixels.size() / 4);
  parts.Height = 1;
  parts.Compression = compression;
  parts.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  parts.WriteMasks = headerSize < 52;
  parts.Rows = {pixels};
  return parts;
}

// A BMP with an alpha mask drops on white like any other format, unless every alpha is 0;
// loading the doll's own files keeps ignoring alpha.
TEST(PictureReader, ABmpWithAlphaDropsOnWhite) {
  ScratchFolder folder;
  // Blue, green, red, alpha: opaque red, transparent blue, half green.
  const Bytes pixels = {0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 128};
  const Bytes unused = {0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0};
  BmpParts sixteen;  // A1 R5 G5 B5: opaque red, transparent blue
  sixteen.HeaderSize = 124;
  sixteen.Bits = 16;
  sixteen.Width = 2;
  sixteen.Height = 1;
  sixteen.Compression = 3;
  sixteen.Masks = {0x7C00, 0x03E0, 0x001F, 0x8000};
  sixteen.Rows = {{0x00, 0xFC, 0x1F, 0x00}};
  const struct {
    const char* Name;
    BmpParts Parts;
    Row Dropped;
    std::vector<Pixel24> Loaded;
  } rows[] = {
      {"v5 header",
       AlphaBmp(124, 3, pixels),
       {0xFFFF0000, White, 0xFF7FFF7F},
       {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}}},
      {"v4 header", AlphaBmp(108, 3, pixels), {0xFFFF0000, White, 0xFF7FFF7F}, {}},
      {"four masks after the header", AlphaBmp(40, 6, pixels), {0xFFFF0000, White, 0xFF7FFF7F}, {}},
      {"every alpha 0", AlphaBmp(124, 3, unused), {0xFFFF0000, 0xFF0000FF, 0xFF00FF00}, {}},
      {"16-bit, one bit of alpha", sixteen, {0xFFFF0000, White}, {{0, 0, 255}, {255, 0, 0}}},
  };
  for (const auto& row : rows) {
    const std::string name = folder.Path("logo.bmp");
    WriteBytes(name, BuildBmp(row.Parts));
    EXPECT_EQ(Hex(TopRow(name)), Hex(row.Dropped)) << row.Name;
    if (row.Loaded.empty()) continue;
    TTavoBitmap bitmap;
    bitmap.LoadFromFileAuto(name);
    EXPECT_TRUE(PixelsAre(bitmap, {row.Loaded})) << row.Name;
  }
}

// The PNG's IHDR with another height, its checksum made good again.
Bytes WithHeight(Bytes png, std::uint32_t height) {
  for (int i = 0; i < 4; ++i) png[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
  const std::uint32_t crc =
      static_cast<std::uint32_t>(::crc32(::crc32(0, nullptr, 0), png.data() + 12, 17));
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return png;
}

Bytes Cut(Bytes file, std::size_t keep) {
  file.resize(keep);
  return file;
}

// A PNG whose pixel data ends early is refused, saying so, however it ends.
TEST(PictureReader, APngCutShortIsRefusedSayingSo) {
  ScratchFolder folder;
  Bytes noise;
  for (int i = 0; i < 64 * 64 * 3; ++i) noise.push_back(static_cast<std::uint8_t>(i * 7919 >> 3));
  PngParts parts = Png(64, 8, 2, noise, 64);
  const Bytes plain = EncodePng(parts);
  parts.Interlaced = true;
  const Bytes interlaced = EncodePng(parts);
  const struct {
    const char* Name;
    Bytes File;
    const char* Says;
  } rows[] = {
      {"cut in the pixel data", Cut(plain, plain.size() / 2), "画素データが途中で切れています ("},
      {"interlaced, cut", Cut(interlaced, interlaced.size() / 2), "画素データが途中で切れています"},
      {"all its data, for fewer rows than the header says", WithHeight(plain, 80),
       "画素データが途中で切れています (64 / 80 行)"},
      {"cut in the header", Cut(plain, 30), "ヘッダーが途中で切れています"},
  };
  for (const auto& row : rows) {
    const std::string name = folder.Path("photo.png");
    WriteBytes(name, row.File);
    try {
      ReadPicture(name);
      ADD_FAILURE() << row.Name << ": read, expected a refusal";
    } catch (const EInvalidGraphic& refusal) {
      EXPECT_NE(std::string(refusal.what()).find(row.Says), std::string::npos)
          << row.Name << ": " << refusal.what();
    }
  }
}

}  // namespace
