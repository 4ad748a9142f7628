// JPEG decoding: colour, greyscale quantised to 236 levels, and the library's errors.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>
#include <set>

#include <QBuffer>
#include <QImageWriter>

#include "TestFiles.h"
#include "framework/TavoBmp.h"
#include "pictures/PictureReader.h"

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
  } rows[] = {{60138, "絵が大きすぎます (60138 × 60138)"},  // past the pixel limit
              {8000, "画素データが途中で切れています"}};    // legal, but not in a small file
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

// A gentle gradient, 2000 × 1500: red and green rise by 8 across the picture. Arithmetic
// coding spends less than a byte on 512 of its pixels.
Bytes GentleGradient(int width, int height) {
  Bytes rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rgb.insert(rgb.end(), {std::uint8_t(100 + x * 8 / width), std::uint8_t(100 + y * 8 / height),
                             std::uint8_t(128)});
  return rgb;
}

TEST_F(JpegReader, ACompleteJpegReadsWhateverItsEntropyCoding) {
  const int width = 2000, height = 1500;
  const Bytes rgb = GentleGradient(width, height);
  const Bytes files[] = {EncodeJpeg(width, height, false, rgb, 90),
                         EncodeArithmeticJpeg(width, height, rgb, 90)};
  for (const Bytes& file : files) {
    std::printf("%zu bytes, %.0f pixels a byte\n", file.size(),
                width * height / double(file.size()));
    const std::string name = folder.Path("gradient.jpg");
    WriteBytes(name, file);
    bitmap.LoadFromFileAuto(name);  // Load's reader
    ASSERT_EQ(bitmap.width(), width);
    EXPECT_TRUE(Near(bitmap.Rows[1499][1999], 128, 108, 108)) << bitmap.Rows[1499][1999];
    const QImage dropped = ReadPicture(name);  // the reader of a dropped picture
    ASSERT_EQ(dropped.size(), QSize(width, height));
    EXPECT_EQ(dropped.pixel(0, 0), qRgb(100, 100, 128));
  }
}

// A noisy photo-like picture: its JPEG holds far more than a byte for 512 pixels.
Bytes NoisyRgb(int width, int height) {
  std::mt19937 random(3);
  Bytes rgb;
  for (int i = 0; i < width * height; ++i)
    rgb.insert(rgb.end(), {std::uint8_t(random()), std::uint8_t(random() % 64), std::uint8_t(90)});
  return rgb;
}

// The frame header (FF C0, FF C2 progressive, FF C9 arithmetic) made to claim width × height
// pixels.
Bytes Forged(Bytes file, int width, int height) {
  for (std::size_t i = 0; i + 8 < file.size(); ++i)
    if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2 || file[i + 1] == 0xC9)) {
      file[i + 5] = static_cast<std::uint8_t>(height >> 8);
      file[i + 6] = static_cast<std::uint8_t>(height);
      file[i + 7] = static_cast<std::uint8_t>(width >> 8);
      file[i + 8] = static_cast<std::uint8_t>(width);
      break;
    }
  return file;
}

Bytes FirstPart(Bytes file, double share) {
  file.resize(static_cast<std::size_t>(static_cast<double>(file.size()) * share));
  return file;
}

TEST_F(JpegReader, AForgedOrCutShortJpegIsRefusedAsCutShortWhereTheReaderNeedsItWhole) {
  const Bytes huffman = EncodeJpeg(400, 300, false, NoisyRgb(400, 300), 90);
  const Bytes arithmetic = EncodeArithmeticJpeg(400, 300, NoisyRgb(400, 300), 90);
  // Small files, so that the claim is far past what their length admits.
  const Bytes smallHuffman = EncodeJpeg(40, 30, false, NoisyRgb(40, 30), 90);
  const Bytes smallArithmetic = EncodeArithmeticJpeg(40, 30, NoisyRgb(40, 30), 90);
  const struct {
    const char* What;
    Bytes File;
    bool Load;  // Load's reader, which takes what there is of data cut short; else the drop's
    bool Refused;
  } rows[] = {
      {"huffman claiming 8000 square", Forged(smallHuffman, 8000, 8000), true, true},
      {"huffman claiming 8000 square", Forged(smallHuffman, 8000, 8000), false, true},
      {"arithmetic claiming 8000 square", Forged(smallArithmetic, 8000, 8000), true, true},
      {"arithmetic claiming 8000 square", Forged(smallArithmetic, 8000, 8000), false, true},
      {"huffman cut at 6 %", FirstPart(huffman, 0.06), true, false},
      {"huffman cut at 6 %", FirstPart(huffman, 0.06), false, true},
      {"arithmetic cut at 6 %", FirstPart(arithmetic, 0.06), false, true},
      {"huffman cut at 99 %", FirstPart(huffman, 0.99), false, true},
  };
  for (const auto& row : rows) {
    const std::string name = folder.Path("photo.jpg");
    WriteBytes(name, row.File);
    try {
      if (row.Load) {
        bitmap.LoadFromFileAuto(name);
      } else {
        ReadPicture(name);
      }
      EXPECT_FALSE(row.Refused) << row.What << " taken by " << (row.Load ? "Load" : "the drop");
    } catch (const EInvalidGraphic& e) {
      EXPECT_TRUE(row.Refused) << row.What << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find("画素データが途中で切れています"), std::string::npos)
          << e.what();
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
}

// The library's progressive JPEG of `picture`: ten scans.
Bytes ProgressiveJpeg(const QImage& picture) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(true);
  writer.write(picture);
  return Bytes(data.begin(), data.end());
}

// `file` with its last scan (start-of-scan marker to the end marker) repeated.
Bytes LastScanTwice(Bytes file) {
  std::size_t last = 0;
  for (std::size_t i = 0; i + 1 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) last = i;
  const Bytes scan(file.begin() + static_cast<std::ptrdiff_t>(last), file.end() - 2);
  file.insert(file.end() - 2, scan.begin(), scan.end());
  return file;
}

TEST_F(JpegReader, AFileDoesTheWorkOfTenScansOfTheLargestPictureItsLengthAdmitsAtMost) {
  QImage picture(40, 30, QImage::Format_RGB32);
  std::mt19937 random(9);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) picture.setPixel(x, y, random() | 0xFF000000);
  const struct {
    Bytes File;
    bool Refused;
  } rows[] = {{ProgressiveJpeg(picture), false}, {LastScanTwice(ProgressiveJpeg(picture)), true}};
  for (const auto& row : rows) {
    // 512 × length pixels: as many as the file's length admits, so ten scans at most.
    const Bytes file = Forged(row.File, 512, static_cast<int>(row.File.size()));
    const std::string name = folder.Path("scans.jpg");
    WriteBytes(name, file);
    try {
      bitmap.LoadFromFileAuto(name);
      EXPECT_FALSE(row.Refused) << file.size();
    } catch (const EInvalidGraphic& e) {
      EXPECT_TRUE(row.Refused) << e.what();
      EXPECT_NE(std::string(e.what()).find("スキャンが多すぎます (11 回目)"), std::string::npos)
          << e.what();
    }
  }
}

}  // namespace
