// Every BMP variant the reader must take, pixel for pixel, and the files it must refuse.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestFiles.h"
#include "framework/TavoBmp.h"

namespace {

using Picture = std::vector<std::vector<Pixel24>>;

constexpr Pixel24 Red{0, 0, 255};
constexpr Pixel24 Green{0, 255, 0};
constexpr Pixel24 Blue{255, 0, 0};
constexpr Pixel24 Grey{128, 128, 128};
constexpr Pixel24 Black = FrameColour;
constexpr Pixel24 White = KeyColour;

class BmpReader : public ::testing::Test {
 protected:
  // Loads `file` and returns the bitmap, checked to be 24-bit with a full row table.
  TTavoBitmap& Load(const Bytes& file) {
    WriteBytes(folder.Path("picture.bmp"), file);
    bitmap.LoadFromFileAuto(folder.Path("picture.bmp"));
    EXPECT_EQ(bitmap.format(), QImage::Format_BGR888);
    EXPECT_EQ(bitmap.Rows.Count(), bitmap.height());
    return bitmap;
  }
  // Expects the invalid-bitmap error, and when `says` is given, that reason.
  void ExpectRefused(const Bytes& file, const std::string& says = "") {
    WriteBytes(folder.Path("bad.bmp"), file);
    try {
      bitmap.LoadFromFileAuto(folder.Path("bad.bmp"));
      ADD_FAILURE() << "loaded, expected a refusal: " << says;
    } catch (const EInvalidGraphic& refusal) {
      EXPECT_NE(std::string(refusal.what()).find(says), std::string::npos) << refusal.what();
    }
  }

  ScratchFolder folder;
  TTavoBitmap bitmap;
};

BmpParts Paletted(int bits, int width, int height) {
  BmpParts parts;
  parts.Bits = static_cast<std::uint16_t>(bits);
  parts.Width = width;
  parts.Height = height;
  parts.Palette = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {128, 128, 128}};
  parts.ColoursUsed = 4;
  return parts;
}

TEST_F(BmpReader, TwentyFourBitsBottomUpAndTopDown) {
  const Picture picture = {{Red, Green, Blue}, {Grey, White, Black}};
  EXPECT_TRUE(PixelsAre(Load(Bmp24(picture)), picture));

  BmpParts topDown;
  topDown.Width = 3;
  topDown.Height = -2;
  topDown.Rows = {{0, 0, 255, 0, 255, 0, 255, 0, 0}, {128, 128, 128, 255, 255, 255, 0, 0, 0}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(topDown)), picture));
}

TEST_F(BmpReader, OneBitWithAColourTable) {
  BmpParts parts;
  parts.Bits = 1;
  parts.Width = 10;
  parts.Height = 2;
  parts.Palette = {{0, 0, 255}, {255, 255, 255}};  // red, white
  parts.Rows = {{0b10100000, 0b01000000}, {0b00000000, 0b11000000}};
  Picture expected(2, std::vector<Pixel24>(10, Red));
  expected[1][0] = expected[1][2] = expected[1][9] = White;  // bottom row is stored first
  expected[0][8] = expected[0][9] = White;
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(parts)), expected));
}

TEST_F(BmpReader, FourAndEightBitsWithColourTables) {
  BmpParts four = Paletted(4, 3, 2);
  four.Rows = {{0x01, 0x20}, {0x33, 0x10}};
  const Picture expected = {{Grey, Grey, Green}, {Red, Green, Blue}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(four)), expected));

  BmpParts eight = Paletted(8, 3, 2);
  eight.Rows = {{0, 1, 2}, {3, 3, 1}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(eight)), expected));
}

TEST_F(BmpReader, CoreHeaderWithThreeByteColourEntriesAndTwentyFourBits) {
  BmpParts eight = Paletted(8, 3, 2);
  eight.HeaderSize = 12;
  eight.ColoursUsed = 0;
  eight.Palette.resize(256, {0, 0, 0});
  eight.Rows = {{0, 1, 2}, {3, 3, 1}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(eight)), (Picture{{Grey, Grey, Green}, {Red, Green, Blue}})));

  BmpParts rgb;
  rgb.HeaderSize = 12;
  rgb.Width = 2;
  rgb.Height = 1;
  rgb.Rows = {{1, 2, 3, 4, 5, 6}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(rgb)), (Picture{{Pixel24{1, 2, 3}, Pixel24{4, 5, 6}}})));
}

TEST_F(BmpReader, SixteenBitsFiveFiveFiveAndBitFields) {
  // A channel of v bits is scaled by 255 / (2^v − 1), rounded: 31 is full strength.
  // 5-5-5: red 31, green 16, blue 1 -> 0x7E01.
  BmpParts plain;
  plain.Bits = 16;
  plain.Width = 2;
  plain.Height = 1;
  plain.Rows = {{0x01, 0x7E, 0x00, 0x00}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(plain)), (Picture{{Pixel24{8, 132, 255}, Black}})));

  // 5-6-5 bit fields: red 31, green 63, blue 0 -> 0xFFE0.
  BmpParts fields = plain;
  fields.Compression = 3;
  fields.Masks = {0xF800, 0x07E0, 0x001F, 0};
  fields.WriteMasks = true;
  fields.Rows = {{0xE0, 0xFF, 0x1F, 0x00}};
  EXPECT_TRUE(
      PixelsAre(Load(BuildBmp(fields)), (Picture{{Pixel24{0, 255, 255}, Pixel24{255, 0, 0}}})));
}

TEST_F(BmpReader, ThirtyTwoBitsPlainBitFieldsAndVersionFiveHeader) {
  BmpParts plain;
  plain.Bits = 32;
  plain.Width = 2;
  plain.Height = 1;
  plain.Rows = {{1, 2, 3, 0, 4, 5, 6, 0}};
  const Picture expected = {{Pixel24{1, 2, 3}, Pixel24{4, 5, 6}}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(plain)), expected));

  BmpParts fields = plain;
  fields.Compression = 3;
  fields.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0};  // red in the lowest byte
  fields.WriteMasks = true;
  fields.Rows = {{3, 2, 1, 0, 6, 5, 4, 0}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(fields)), expected));

  BmpParts v5 = plain;
  v5.HeaderSize = 124;
  v5.Compression = 3;
  v5.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  v5.Rows = {{1, 2, 3, 0, 4, 5, 6, 128}};  // alpha is ignored, never multiplied in
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(v5)), expected));
}

// Pixels of 2 or 4 bytes as stored: little-endian.
Bytes Stored(int bytes, std::initializer_list<std::uint32_t> pixels) {
  Bytes row;
  for (std::uint32_t p : pixels)
    for (int i = 0; i < bytes; ++i) row.push_back(static_cast<std::uint8_t>(p >> 8 * i));
  return row;
}

// One row of bit-field pixels; the masks go inside a header of 52 bytes or more, else after it.
BmpParts Fields(int bits, std::uint32_t header, std::uint32_t compression,
                std::array<std::uint32_t, 4> masks, std::initializer_list<std::uint32_t> pixels) {
  BmpParts parts;
  parts.HeaderSize = header;
  parts.Bits = static_cast<std::uint16_t>(bits);
  parts.Width = static_cast<std::int32_t>(pixels.size());
  parts.Height = 1;
  parts.Compression = compression;
  parts.Masks = masks;
  parts.WriteMasks = header < 52;
  parts.Rows = {Stored(bits / 8, pixels)};
  return parts;
}

struct Variant {
  const char* What;
  BmpParts Parts;
  Picture Expected;
};

std::vector<Variant> Variants() {
  BmpParts os2Short;  // ends after the bit count: compression and colours used read as 0
  os2Short.HeaderSize = 16;
  os2Short.Width = 2;
  os2Short.Height = 1;
  os2Short.Rows = {{1, 2, 3, 4, 5, 6}};
  BmpParts os2Cut = Paletted(8, 3, 1);  // 256 colours wanted, 4 before the pixel data
  os2Cut.HeaderSize = 24;
  os2Cut.Rows = {{0, 3, 5}};
  BmpParts os2Long = Paletted(4, 2, 1);
  os2Long.HeaderSize = 64;
  os2Long.Rows = {{0x12}};
  BmpParts coreCut = Paletted(8, 2, 1);  // four 3-byte entries of 256
  coreCut.HeaderSize = 12;
  coreCut.Rows = {{3, 4}};
  BmpParts longTable = Paletted(8, 2, 1);
  longTable.ColoursUsed = 300;
  longTable.Palette.clear();
  for (int i = 0; i < 300; ++i) longTable.Palette.push_back({std::uint8_t(i), 1, 2});
  longTable.Rows = {{0, 255}};
  // An offset into the headers is ignored: the pixels follow the masks.
  BmpParts fourMasks = Fields(32, 40, 6, {0xFFE00000, 0x001FFC00, 0x000003FF, 0}, {0xFFEFA200});
  fourMasks.DataOffset = 0;
  // (blue, green, red): 5 bits 16 -> 132, 6 bits 32 -> 130, 10 bits 512 -> 128,
  // 11 bits 1000 -> 125, 3 bits 3 -> 109 and 4 -> 146, 7 bits 64 -> 129, 17 bits 65535 -> 127
  // and 1000 -> 2, 15 bits 16384 -> 128.
  return {
      {"16-byte OS/2 header", os2Short, {{Pixel24{1, 2, 3}, Pixel24{4, 5, 6}}}},
      {"24-byte OS/2 header, table cut by the offset", os2Cut, {{Red, Grey, Black}}},
      {"64-byte OS/2 header", os2Long, {{Green, Blue}}},
      {"core header, table cut by the offset", coreCut, {{Grey, Black}}},
      {"300 colours used", longTable, {{Pixel24{0, 1, 2}, Pixel24{255, 1, 2}}}},
      {"52-byte header, 5-6-5",
       Fields(16, 52, 3, {0xF800, 0x07E0, 0x001F, 0}, {0x841F, 0xFFFF}),
       {{Pixel24{255, 130, 132}, White}}},
      {"56-byte header, 10-10-10-2 alpha bit fields",
       Fields(32, 56, 6, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, {0xFFF80000}),
       {{Pixel24{0, 128, 255}}}},
      {"four masks after a 40-byte header, 11-11-10", fourMasks, {{Pixel24{128, 125, 255}}}},
      {"1-3-3",
       Fields(16, 40, 3, {0x0001, 0x000E, 0x0070, 0}, {0x0047}),
       {{Pixel24{146, 109, 255}}}},
      {"7-1-8-7 in a v4 header",
       Fields(32, 108, 3, {0x0000007F, 0x00000080, 0x0000FF00, 0x007F0000}, {0x007FABC0}),
       {{Pixel24{0xAB, 255, 129}}}},
      {"17-15-0 in a v5 header",
       Fields(32, 124, 3, {0x0001FFFF, 0xFFFE0000, 0, 0}, {0x8000FFFF, 1000}),
       {{Pixel24{0, 128, 127}, Pixel24{0, 0, 2}}}},
      {"a 32-bit channel",
       Fields(32, 40, 3, {0xFFFFFFFF, 0, 0, 0}, {0x80000000, 0xFFFFFFFF}),
       {{Pixel24{0, 0, 128}, Pixel24{0, 0, 255}}}},
  };
}

TEST_F(BmpReader, HeaderSizesTableLengthsAndChannelWidths) {
  for (const Variant& variant : Variants()) {
    SCOPED_TRACE(variant.What);
    EXPECT_TRUE(PixelsAre(Load(BuildBmp(variant.Parts)), variant.Expected));
  }
}

TEST_F(BmpReader, RunLengthEightWithDeltaAndEarlyLineEndsLeavesSkippedPixelsBlack) {
  BmpParts parts = Paletted(8, 5, 3);
  parts.Compression = 1;
  parts.Rows = {{
      3, 1,              // bottom row: three green
      0, 0,              // end of line (two pixels skipped)
      0, 3, 2, 3, 0, 0,  // middle row: absolute blue, grey, red, padded
      0, 2, 1, 1,        // delta: right 1, down 1 -> top row, column 4
      1, 2,              // one blue
      0, 1               // end of picture
  }};
  const Picture expected = {{Black, Black, Black, Black, Blue},
                            {Blue, Grey, Red, Black, Black},
                            {Green, Green, Green, Black, Black}};
  // Loaded twice so that leftover memory from the first load cannot pass for black.
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(parts)), expected));
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(parts)), expected));
}

TEST_F(BmpReader, RunLengthFourAlternatesNibblesAndCutsRunsAtTheRowEnd) {
  BmpParts parts = Paletted(4, 4, 2);
  parts.Compression = 2;
  parts.Rows = {{
      6, 0x12,           // bottom row: green blue green blue (the run of 6 is cut at 4)
      0, 0,              //
      0, 3, 0x30, 0x10,  // top row absolute: grey red green
      0, 0               // end of line; no end-of-picture code: the rows ran out
  }};
  const Picture expected = {{Grey, Red, Green, Black}, {Green, Blue, Green, Blue}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(parts)), expected));
}

TEST_F(BmpReader, IndicesPastTheColourTableAreBlack) {
  BmpParts parts = Paletted(8, 2, 1);
  parts.Rows = {{1, 200}};
  EXPECT_TRUE(PixelsAre(Load(BuildBmp(parts)), (Picture{{Green, Black}})));
}

TEST_F(BmpReader, ExtraBytesAfterThePixelsAreIgnored) {
  Bytes file = Bmp24({{Red, Green}});
  file.insert(file.end(), 100, 0xAB);
  EXPECT_TRUE(PixelsAre(Load(file), (Picture{{Red, Green}})));
}

TEST_F(BmpReader, RefusesWrongSignaturesAndHeaders) {
  const Bytes good = Bmp24({{Red, Green}, {Blue, Grey}});
  ExpectRefused(Bytes(good.begin(), good.begin() + 2));   // only the signature
  ExpectRefused(Bytes(good.begin(), good.begin() + 30));  // header cut short
  Bytes header = good;
  header[14] = 13;  // a header length the reader does not know
  ExpectRefused(header, "ヘッダーの長さ 13 は扱えません");
  Bytes planes = good;
  planes[26] = 2;
  ExpectRefused(planes);
  Bytes bits = good;
  bits[28] = 7;
  ExpectRefused(bits);
  Bytes compression = good;
  compression[30] = 4;  // embedded JPEG
  ExpectRefused(compression);
  Bytes width = good;
  width[18] = 0;  // width 0
  ExpectRefused(width);
  Bytes height = good;
  height[22] = height[23] = height[24] = height[25] = 0;
  ExpectRefused(height);
}

TEST_F(BmpReader, LoadsPhotoSizedPicturesAndRefusesForgedSizesBeforeAllocating) {
  // 8192 × 8192 at 32 bits: as many pixels, in as large a file, as a picture may have. The
  // file is sparse, so it costs nothing to make; its first and last pixels are set.
  BmpParts photo;
  photo.Bits = 32;
  photo.Width = photo.Height = 8192;
  const Bytes headers = BuildBmp(photo);
  const std::uintmax_t size = headers.size() + std::uintmax_t{8192} * 8192 * 4;
  Bytes start = headers;
  start.insert(start.end(), {1, 2, 3, 0});  // bottom left, stored first
  const std::string name = folder.Path("photo.bmp");
  WriteBytes(name, start);
  std::filesystem::resize_file(name, size);
  std::fstream(name, std::ios::in | std::ios::out | std::ios::binary)
      .seekp(size - 4)
      .write("\4\5\6", 3);
  bitmap.LoadFromFileAuto(name);
  ASSERT_EQ(bitmap.size(), QSize(8192, 8192));
  EXPECT_EQ(bitmap.Rows[8191][0], (Pixel24{1, 2, 3}));
  EXPECT_EQ(bitmap.Rows[0][8191], (Pixel24{4, 5, 6}));
  EXPECT_EQ(bitmap.Rows[0][0], Black);

  // A run-length file of one end-of-picture code is a whole black picture: only the
  // dimension check keeps these from being allocated.
  for (auto [w, h] : {std::pair{8193, 8192}, {65536, 1}, {2, -100000}, {0x7FFFFFFF, 1}}) {
    BmpParts parts = Paletted(8, w, h);
    parts.Compression = 1;
    parts.Rows = {{0, 1}};
    ExpectRefused(BuildBmp(parts), "絵が大きすぎます (" + std::to_string(w) + " × " +
                                       std::to_string(h < 0 ? -h : h) + ")");
  }
  ExpectRefused(headers, "画素データが途中で切れています (54 / 268435510 バイト)");
}

TEST_F(BmpReader, RefusesPixelDataOrColourTablesCutShort) {
  const Bytes good = Bmp24({{Red, Green}, {Blue, Grey}});
  ExpectRefused(Bytes(good.begin(), good.end() - 1));
  ExpectRefused(Bytes(good.begin(), good.begin() + 54));

  BmpParts eight = Paletted(8, 3, 2);
  eight.Rows = {{0, 1, 2}, {3, 3, 1}};
  const Bytes paletted = BuildBmp(eight);
  ExpectRefused(Bytes(paletted.begin(), paletted.begin() + 54 + 10));

  BmpParts rle = Paletted(8, 4, 2);
  rle.Compression = 1;
  rle.Rows = {{4, 1, 0, 0, 0, 4, 1, 2}};  // absolute run of four with two bytes present
  ExpectRefused(BuildBmp(rle));
  rle.Rows = {{4, 1}};  // stream ends before the picture does
  ExpectRefused(BuildBmp(rle));
}

TEST_F(BmpReader, ARefusedFileKeepsThePreviousPicture) {
  const Picture picture = {{Red, Green}};
  Load(Bmp24(picture));
  Bytes cut = Bmp24({{Blue, Blue}, {Blue, Blue}});
  cut.pop_back();
  ExpectRefused(cut);
  EXPECT_TRUE(PixelsAre(bitmap, picture));
}

}  // namespace
