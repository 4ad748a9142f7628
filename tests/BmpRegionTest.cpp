// The top-left of a BMP, decoded alone from memory and from a file, against the same corner
// of the whole decode: every kind the reader takes, smaller and larger than the corner, and
// the same refusals.
#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "pictures/BmpReader.h"
#include "pictures/BmpRegion.h"

namespace {

struct Kind {
  const char* What;
  BmpParts Parts;  // all but the size, the colours and the pixels
  bool TopDown = false;
};

BmpParts Format(std::uint32_t header, std::uint16_t bits, std::uint32_t compression = 0,
                std::array<std::uint32_t, 4> masks = {}, std::uint32_t coloursUsed = 0) {
  BmpParts parts;
  parts.HeaderSize = header;
  parts.Bits = bits;
  parts.Compression = compression;
  parts.Masks = masks;
  parts.WriteMasks = compression == 3 && header < 52;
  parts.ColoursUsed = coloursUsed;
  return parts;
}

const std::vector<Kind> Kinds = {
    {"24-bit", Format(40, 24)},
    {"24-bit top-down", Format(40, 24), true},
    {"24-bit core header", Format(12, 24)},
    {"32-bit top-down", Format(40, 32), true},
    {"32-bit 10-10-10-2 fields, v5 header",
     Format(124, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000})},
    {"16-bit 5-6-5 fields after the header", Format(40, 16, 3, {0xF800, 0x07E0, 0x001F, 0})},
    {"16-bit 5-5-5 top-down, 64-byte OS/2 header", Format(64, 16), true},
    {"1-bit", Format(40, 1)},
    {"4-bit, 5 colours, top-down", Format(40, 4, 0, {}, 5), true},
    {"8-bit, 300 colours", Format(40, 8, 0, {}, 300)},
    {"8-bit core header", Format(12, 8)},
    {"RLE8", Format(40, 8, 1)},
    {"RLE8 top-down, 40 colours", Format(40, 8, 1, {}, 40), true},
    {"RLE4", Format(40, 4, 2)},
    {"RLE4 top-down, 9 colours, 108-byte header", Format(108, 4, 2, {}, 9), true},
};

std::uint8_t Byte(std::mt19937& random) {
  return static_cast<std::uint8_t>(random());
}

// Runs and absolute runs (some past the row's end), deltas and early ends of line; an end of
// picture three quarters down, at the end, or none.
Bytes RunLengthCodes(std::mt19937& random, int width, int height, bool four) {
  Bytes codes;
  const int stop = random() % 2 ? height * 3 / 4 : height;
  int y = 0;
  for (; y < height && y != stop; ++y) {
    for (int x = 0; x < width && random() % 16 != 0;) {
      const int count = 3 + static_cast<int>(random() % (random() % 2 ? 253 : 20));
      if (const auto kind = random() % 4; kind < 2) {
        codes.insert(codes.end(), {static_cast<std::uint8_t>(count), Byte(random)});
      } else if (kind == 2) {
        const int bytes = four ? (count + 1) / 2 : count;
        codes.insert(codes.end(), {0, static_cast<std::uint8_t>(count)});
        for (int i = 0; i < bytes + bytes % 2; ++i) codes.push_back(Byte(random));
      } else {
        const int down = random() % 8 == 0 ? 1 : 0;
        codes.insert(codes.end(), {0, 2, static_cast<std::uint8_t>(count % 16),
                                   static_cast<std::uint8_t>(down)});
        y += down;
      }
      x += count;
    }
    codes.insert(codes.end(), {0, 0});
  }
  if (y < height || random() % 2) codes.insert(codes.end(), {0, 1});
  return codes;
}

Bytes PseudoRandomBmp(const Kind& kind, int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  BmpParts parts = kind.Parts;
  parts.Width = width;
  parts.Height = kind.TopDown ? -height : height;
  // As many colours as the header says, or as the depth needs when it says 0.
  std::uint32_t colours = parts.Bits <= 8 ? 1u << parts.Bits : 0;
  if (parts.ColoursUsed > 0) colours = parts.ColoursUsed;
  for (std::uint32_t i = 0; i < colours; ++i)
    parts.Palette.push_back({Byte(random), Byte(random), Byte(random)});
  if (parts.Compression == 1 || parts.Compression == 2) {
    parts.Rows = {RunLengthCodes(random, width, height, parts.Compression == 2)};
  } else {
    for (int y = 0; y < height; ++y) {
      parts.Rows.emplace_back((std::size_t{1} * width * parts.Bits + 31) / 32 * 4);
      for (std::uint8_t& b : parts.Rows.back()) b = Byte(random);
    }
  }
  return BuildBmp(parts);
}

class BmpRegionReader : public ::testing::Test {
 protected:
  ScratchFolder folder;
  const std::string file = folder.Path("picture.bmp");
};

TEST_F(BmpRegionReader, EqualsTheTopLeftOfTheWholeDecode) {
  const std::vector<std::pair<int, int>> sizes = {{37, 23}, {120, 260}, {300, 150}, {300, 260}};
  unsigned seed = 1;
  for (const Kind& kind : Kinds) {
    for (const auto& [width, height] : sizes) {
      SCOPED_TRACE(std::string(kind.What) + ", " + std::to_string(width) + " × " +
                   std::to_string(height));
      const Bytes bytes = PseudoRandomBmp(kind, width, height, seed++);
      WriteBytes(file, bytes);
      const QImage whole = DecodeBmp(bytes, file);
      for (const auto& [w, h] : {std::pair{100, 200}, {250, 200}}) {
        TMemoryStream memory(bytes);
        const QImage corner = whole.copy(0, 0, std::min(w, width), std::min(h, height));
        for (const TBmpRegion& region :
             {DecodeBmpRegion(memory, w, h, file), ReadBmpRegion(file, w, h)}) {
          EXPECT_EQ(region.Width, width);
          EXPECT_EQ(region.Height, height);
          EXPECT_TRUE(region.Picture == corner) << "region " << w << " × " << h;
        }
      }
    }
  }
}

// The text of the invalid-bitmap error that `read` raises, or "" when it reads the picture.
template <typename Read>
std::string Refusal(Read read) {
  try {
    read();
  } catch (const EInvalidGraphic& refusal) {
    return refusal.what();
  }
  return "";
}

TEST_F(BmpRegionReader, RefusesWhatTheWholeDecodeRefusesWithItsMessage) {
  const Bytes rgb = PseudoRandomBmp(Kinds[0], 300, 260, 1);
  BmpParts rle = Format(40, 8, 1, {}, 2);
  rle.Width = rle.Height = 300;
  rle.Palette.resize(2);
  rle.Rows = {{10, 1, 0, 0, 0, 5, 1, 2}};  // an absolute run of five with two indices present
  BmpParts rleEnding = rle;
  rleEnding.Rows = {{10, 1, 0, 0}};  // one row of 300
  BmpParts rleTopDown = rleEnding;
  rleTopDown.Height = -300;
  rleTopDown.Rows = {Bytes(500, 0)};  // 250 ends of line: the codes end below the corner
  BmpParts table = Format(40, 8, 0, {}, 300);
  table.Width = table.Height = 1;
  table.Palette.resize(4);
  table.DataOffset = 0;
  Bytes header = rgb;
  header[14] = 13;
  const std::string pixelsCut = "画素データが途中で切れています";
  const std::string codesCut = "ランレングスデータが途中で切れています";
  const std::vector<std::tuple<const char*, Bytes, std::string>> broken = {
      {"pixels cut by a byte", Bytes(rgb.begin(), rgb.end() - 1), pixelsCut},
      {"headers only", Bytes(rgb.begin(), rgb.begin() + 54), pixelsCut},
      {"file header only", Bytes(rgb.begin(), rgb.begin() + 14), "ヘッダーが途中で切れています"},
      {"unknown header length", header, "ヘッダーの長さ 13 は扱えません"},
      {"absolute run cut short", BuildBmp(rle), codesCut},
      {"codes ending after a row", BuildBmp(rleEnding), codesCut},
      {"top-down codes ending below the corner", BuildBmp(rleTopDown), codesCut},
      {"300 colours, 4 present", BuildBmp(table), "色テーブルが途中で切れています"},
  };
  for (const auto& [what, bytes, reason] : broken) {
    SCOPED_TRACE(what);
    WriteBytes(file, bytes);
    const std::string message = Refusal([&] { DecodeBmp(bytes, file); });
    EXPECT_NE(message.find(reason), std::string::npos) << message;
    TMemoryStream memory(bytes);
    EXPECT_EQ(Refusal([&] { DecodeBmpRegion(memory, 250, 200, file); }), message);
    EXPECT_EQ(Refusal([&] { ReadBmpRegion(file, 250, 200); }), message);
  }
}

}  // namespace
