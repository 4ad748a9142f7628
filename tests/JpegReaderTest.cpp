// JPEG decoding: colour, greyscale quantised to 236 levels, and the library's errors.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <set>

#include "TestFiles.h"
#include "framework/TavoBmp.h"

namespace {

class JpegReader : public ::testing::Test {
 protected:
  void Load(const Bytes& file) {
    WriteBytes(folder.Path("picture.jpg"), file);
    bitmap.LoadFromFileAuto(folder.Path("picture.jpg"));
  }
  ScratchFolder folder;
  TTavoBitmap bitmap;
};

// Left half red, right half blue, 32 × 16: flat 8 × 8 blocks survive compression closely.
Bytes TwoColourJpeg() {
  Bytes rgb;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool left = x < 16;
      rgb.insert(rgb.end(), {std::uint8_t(left ? 220 : 20), 30, std::uint8_t(left ? 40 : 200)});
    }
  return EncodeJpeg(32, 16, false, rgb, 98);
}

bool Near(const Pixel24& p, int blue, int green, int red) {
  return std::abs(p.Blue - blue) <= 6 && std::abs(p.Green - green) <= 6 &&
         std::abs(p.Red - red) <= 6;
}

TEST_F(JpegReader, AColourPictureBecomesTwentyFourBitPixelsInBlueGreenRedOrder) {
  Load(TwoColourJpeg());
  ASSERT_EQ(bitmap.width(), 32);
  ASSERT_EQ(bitmap.height(), 16);
  EXPECT_EQ(bitmap.format(), QImage::Format_BGR888);
  EXPECT_EQ(bitmap.Rows.Count(), 16);
  EXPECT_TRUE(Near(bitmap.Rows[4][3], 40, 30, 220)) << bitmap.Rows[4][3];
  EXPECT_TRUE(Near(bitmap.Rows[12][28], 200, 30, 20)) << bitmap.Rows[12][28];
}

TEST_F(JpegReader, GreyscaleIsQuantisedToTwoHundredThirtySixEvenLevels) {
  // Every grey value 0..255 across a row: unquantised, all 256 would come back.
  Bytes grey;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 256; ++x) grey.push_back(static_cast<std::uint8_t>(x));
  Load(EncodeJpeg(256, 8, true, grey, 100));
  std::set<int> levels;
  for (int j = 0; j < 236; ++j) levels.insert((j * 255 + 117) / 235);
  std::set<int> seen;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 256; ++x) {
      const Pixel24 p = bitmap.Rows[y][x];
      ASSERT_TRUE(p.Blue == p.Green && p.Green == p.Red) << p;
      ASSERT_TRUE(levels.count(p.Blue)) << "grey " << int{p.Blue} << " at " << x;
      seen.insert(p.Blue);
    }
  EXPECT_GT(seen.size(), 200u);  // the gradient really is a gradient
}

TEST_F(JpegReader, CmykAndYcckBecomeRgbByTheMultiplicativeRule) {
  // Flat 8 × 8 blocks of cyan, magenta, yellow, black ink, each stored at quality 100.
  const std::vector<std::array<int, 4>> inks = {
      {0, 0, 0, 0}, {255, 255, 255, 255}, {0, 128, 255, 64}, {200, 30, 90, 0}, {17, 240, 3, 180}};
  for (const CmykJpeg kind : {CmykJpeg::Plain, CmykJpeg::Adobe, CmykJpeg::AdobeYcck}) {
    const int width = 8 * static_cast<int>(inks.size());
    Bytes samples;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < width; ++x)
        for (int ink : inks[x / 8])  // an Adobe file holds 255 − ink
          samples.push_back(static_cast<std::uint8_t>(kind == CmykJpeg::Plain ? ink : 255 - ink));
    Load(EncodeCmykJpeg(width, 8, kind, samples));
    ASSERT_EQ(bitmap.width(), width);
    for (std::size_t i = 0; i < inks.size(); ++i) {
      const auto [c, m, y, k] = inks[i];
      auto light = [k = k](int ink) { return (255 - ink) * (255 - k) / 255.0; };
      const Pixel24 p = bitmap.Rows[4][static_cast<int>(8 * i + 4)];
      EXPECT_LE(std::abs(p.Red - light(c)), 1.0) << static_cast<int>(kind) << ": " << i << p;
      EXPECT_LE(std::abs(p.Green - light(m)), 1.0) << static_cast<int>(kind) << ": " << i << p;
      EXPECT_LE(std::abs(p.Blue - light(y)), 1.0) << static_cast<int>(kind) << ": " << i << p;
    }
  }
}

TEST_F(JpegReader, DataCutShortStillGivesAPictureOfTheFullSize) {
  Bytes cut = TwoColourJpeg();
  // Keep every header and the first bytes of the scan (start-of-scan marker FF DA).
  for (std::size_t i = 0; i + 1 < cut.size(); ++i)
    if (cut[i] == 0xFF && cut[i + 1] == 0xDA) {
      cut.resize(i + 30);
      break;
    }
  Load(cut);
  EXPECT_EQ(bitmap.width(), 32);
  EXPECT_EQ(bitmap.height(), 16);
}

TEST_F(JpegReader, ALibraryErrorCarriesItsNumberMessageAndFileName) {
  const std::string name = folder.Path("noise.jpg");
  WriteBytes(name, {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x01, 0x02});
  try {
    bitmap.LoadFromFileAuto(name);
    FAIL() << "decoded noise";
  } catch (const EJpegError& e) {
    EXPECT_GT(e.ErrorCode(), 0);
    EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("#" + std::to_string(e.ErrorCode())), std::string::npos);
  }
  WriteBytes(name, {'B', 'M', 0, 0});  // not a JPEG at all
  EXPECT_THROW(bitmap.LoadFromFileAuto(name), EJpegError);
}

TEST_F(JpegReader, RefusesForgedDimensionsBeforeDecoding) {
  const struct {
    int Side;
    const char* Says;
  } rows[] = {{60138, "画像が大きすぎます (60138 × 60138)"},  // past the pixel limit
              {8000, "画素データが途中で切れています"}};      // legal, but not in a small file
  for (const auto& row : rows) {
    Bytes file = TwoColourJpeg();
    // The frame header (FF C0): length 2 bytes, precision 1 byte, then height and width.
    for (std::size_t i = 0; i + 8 < file.size(); ++i)
      if (file[i] == 0xFF && file[i + 1] == 0xC0) {
        file[i + 5] = file[i + 7] = static_cast<std::uint8_t>(row.Side >> 8);
        file[i + 6] = file[i + 8] = static_cast<std::uint8_t>(row.Side);
        break;
      }
    Load(TwoColourJpeg());
    WriteBytes(folder.Path("huge.jpg"), file);
    try {
      bitmap.LoadFromFileAuto(folder.Path("huge.jpg"));
      ADD_FAILURE() << row.Side << " loaded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(std::string(e.what()).find(row.Says), std::string::npos) << e.what();
    }
    EXPECT_EQ(bitmap.width(), 32);  // the picture it had is kept
  }
}

}  // namespace
