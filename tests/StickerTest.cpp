// Stickers: a picture laid over a rectangle of a view puts its colours on exactly the texels
// whose centres show inside it, on either view, at any rotation, on the outer doll and on a
// nested one; it shrinks without transparent colours bleeding; and pictures are read with
// their alpha kept, from a file or from memory, and refused as any picture is.
#include <gtest/gtest.h>

#include <zlib.h>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

#include "DollModel.h"
#include "TestFiles.h"
#include "doll/Nesting.h"
#include "doll/ShapeProfile.h"
#include "doll/Sticker.h"
#include "framework/TavoErrors.h"
#include "pictures/PictureReader.h"

namespace {

// An 8 × 6 picture of distinct colours: its left column transparent, its second row half so.
QImage KnownPicture() {
  QImage picture(8, 6, QImage::Format_ARGB32);
  for (int j = 0; j < 6; ++j)
    for (int i = 0; i < 8; ++i)
      picture.setPixel(i, j,
                       qRgba(10 + 30 * i, 20 + 40 * j, 240 - 25 * i, i ? j == 1 ? 128 : 255 : 0));
  return picture;
}

struct TPlacing {
  QPointF At;
  bool Back;
  int Rotation;
  int Level;
  QSize Size;
  bool Flipped;
};

// A bulging doll of `level` at rest; `skin` and `expected` the same random full-size skin.
void Show(TDoll& doll, int level, TTavoBitmap& skin, TTavoBitmap& expected) {
  for (int y = 0; y < DollRows; ++y)
    doll.View.DisplayedProfile[y] = 30 + static_cast<int>(60 * std::sin(3.14159 * y / 199));
  TestOpenability(doll);
  for (doll.DollLevel = 1; doll.DollLevel < level; ++doll.DollLevel)
    doll.View.DisplayedProfile = NestedProfile(doll.View.DisplayedProfile, doll.SplitRow);
  doll.View.RefreshGeometry();
  SetTexture(skin, RandomTexture(11));
  SetTexture(expected, RandomTexture(11));
}

// Lays the sticker on `skin` texel by texel as the rule says, straight from the column map;
// returns how many texels partly transparent pixels reached.
int LayByTheRule(const TDoll& doll, TTavoBitmap& skin, const TPlacing& p, const QImage& picture) {
  const double left = p.At.x() - p.Size.width() / 2.0, top = p.At.y() - p.Size.height() / 2.0;
  int partly = 0;
  for (int y = 0; y < DollRows; ++y) {
    if (y + 0.5 < top || y + 0.5 >= top + p.Size.height()) continue;
    for (int x = doll.View.Left[y]; x <= doll.View.Right[y]; ++x) {
      const ColumnSpan& span = doll.View.ColumnMap[y][x];
      const double start = span.First + double{span.FirstTrim};
      const double end = span.Last + 1 - double{span.LastTrim};
      for (int c = span.First; c <= span.Last; ++c) {
        const double shows = x + (c + 0.5 - start) / (end - start);
        if (c + 0.5 < start || c + 0.5 >= end || shows < left || shows >= left + p.Size.width())
          continue;
        const int i = static_cast<int>((shows - left) / p.Size.width() * picture.width());
        const int j = static_cast<int>((y + 0.5 - top) / p.Size.height() * picture.height());
        const QRgb pixel = picture.pixel(p.Flipped ? picture.width() - 1 - i : i, j);
        const int a = qAlpha(pixel);
        partly += a > 0 && a < 255;
        const auto blend = [a](int s, std::uint8_t& d) {
          d = static_cast<std::uint8_t>(std::lround((a * s + (255 - a) * d) / 255.0));
        };
        for (const int r : SkinRows(doll, y)) {
          Pixel24& texel = skin.Rows[r][(p.Rotation + c) % TextureColumns];
          blend(qBlue(pixel), texel.Blue);
          blend(qGreen(pixel), texel.Green);
          blend(qRed(pixel), texel.Red);
        }
      }
    }
  }
  return partly;
}

TEST(Sticker, EachTexelWhoseCentreShowsUnderTheStickerTakesItsPixelAndNoOtherChanges) {
  const TPlacing rows[] = {
      {{100, 100}, false, 0, 1, {48, 36}, false},   {{70, 60}, true, 165, 1, {40, 30}, true},
      {{120, 140}, false, 240, 1, {32, 24}, false},  // across the seam
      {{100, 12}, false, 30, 1, {40, 30}, false},    // past the top row
      {{100, 110}, true, 374, 2, {48, 36}, false},  {{60.3, 90.7}, false, 77, 2, {24, 18}, true},
  };
  const QImage picture = KnownPicture();
  for (const TPlacing& row : rows) {
    SCOPED_TRACE(testing::Message() << row.At.x() << ", " << row.At.y() << " level " << row.Level
                                    << " rotation " << row.Rotation);
    const auto doll = std::make_unique<TDoll>();
    TTavoBitmap skin, expected;
    Show(*doll, row.Level, skin, expected);
    PlaceSticker(*doll, skin, {row.At, row.Back, row.Rotation}, row.Size, picture, row.Flipped);
    TPlacing turned = row;
    turned.Rotation %= TextureColumns;
    EXPECT_GT(LayByTheRule(*doll, expected, turned, picture), 0);
    for (int y = 0; y < DollRows; ++y)
      for (int x = 0; x < TextureColumns; ++x)
        ASSERT_EQ(skin.Rows[y][x], expected.Rows[y][x]) << "texel " << x << ", " << y;
  }
}

// A transparent pixel's colour does not bleed into the opaque one beside it; a picture no
// larger than the size is laid as it is.
TEST(StickerPicture, ShrinksByAlphaKeepingItsAspect) {
  QImage picture(4, 2, QImage::Format_ARGB32);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 2; ++y) picture.setPixel(x, y, x % 2 ? 0x0000FF00 : 0xFFFF0000);
  TStickerPicture sticker(picture);
  EXPECT_EQ(sticker.SizeAt(120), QSize(120, 60));
  EXPECT_EQ(sticker.SizeAt(1), QSize(1, 1));
  const QImage& shrunk = sticker.ShrunkTo({2, 1});
  ASSERT_EQ(shrunk.size(), QSize(2, 1));
  EXPECT_EQ(shrunk.pixel(0, 0), 0x80FF0000u);
  EXPECT_EQ(shrunk.pixel(1, 0), 0x80FF0000u);
  EXPECT_EQ(sticker.ShrunkTo({1, 1}).pixel(0, 0), 0x80FF0000u);  // whole cells between the ends
  EXPECT_EQ(sticker.ShrunkTo({4, 2}).pixel(1, 0), 0x0000FF00u);
}

// A PNG of one row of three pixels.
Bytes Png(int colourType, Bytes samples, Bytes palette = {}, Bytes paletteAlpha = {}) {
  PngParts parts;
  parts.Width = 3;
  parts.Height = 1;
  parts.ColourType = colourType;
  parts.Samples = std::move(samples);
  parts.Palette = std::move(palette);
  parts.PaletteAlpha = std::move(paletteAlpha);
  return EncodePng(parts);
}

// Red opaque, green transparent, blue half so: as ARGB32 pixels, and as a PNG.
const std::vector<QRgb> Kept = {0xFFFF0000, 0x0000FF00, 0x800000FF};
const Bytes Rgba = Png(6, {255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 128});

QByteArray InMemory(const Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

std::vector<QRgb> TopRow(const QImage& picture) {
  EXPECT_EQ(picture.format(), QImage::Format_ARGB32);
  const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(0));
  return {pixels, pixels + picture.width()};
}

TEST(StickerReading, TransparentPartsAreKeptFromAFileOrFromMemory) {
  ScratchFolder folder;
  BmpParts alphaBmp;
  alphaBmp.HeaderSize = 124;
  alphaBmp.Width = 3;
  alphaBmp.Height = 1;
  alphaBmp.Bits = 32;
  alphaBmp.Compression = 3;
  alphaBmp.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  alphaBmp.Rows = {{0, 0, 255, 255, 0, 255, 0, 0, 255, 0, 0, 128}};
  const struct {
    const char* Name;
    Bytes File;
  } rows[] = {
      {"PNG with alpha", Rgba},
      {"palette PNG with alpha",
       Png(3, {0, 1, 2}, {255, 0, 0, 0, 255, 0, 0, 0, 255}, {255, 0, 128})},
      {"BMP with an alpha mask", BuildBmp(alphaBmp)},
  };
  for (const auto& row : rows) {
    WriteBytes(folder.Path("sticker"), row.File);
    EXPECT_EQ(TopRow(ReadPictureWithAlpha(folder.Path("sticker"))), Kept) << row.Name;
  }
  EXPECT_EQ(TopRow(ReadPngWithAlpha(InMemory(Rgba), "pasted")), Kept);
}

// The PNG with its IHDR saying 65535 × 65535, its checksum made good again.
Bytes TooLarge(Bytes png) {
  for (int i : {18, 19, 22, 23}) png[static_cast<std::size_t>(i)] = 0xFF;
  const auto crc = ::crc32(::crc32(0, nullptr, 0), png.data() + 12, 17);
  for (int i = 0; i < 4; ++i)
    png[static_cast<std::size_t>(29 + i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return png;
}

// What reading says when it refuses.
std::string Refusal(const std::function<void()>& read) {
  try {
    read();
  } catch (const ETavoError& refusal) {
    return refusal.what();
  }
  return "read";
}

TEST(StickerReading, ARefusedPictureIsRefusedNamingTheFile) {
  ScratchFolder folder;
  WriteBytes(folder.Path("note.png"), {'h', 'e', 'l', 'l', 'o'});
  WriteBytes(folder.Path("huge.png"), TooLarge(Rgba));
  std::filesystem::create_directory(folder.Path("folder.png"));
  const std::pair<const char*, const char*> rows[] = {
      {"note.png", "絵の形式がわかりません"},
      {"huge.png", "絵が大きすぎます (65535 × 65535)"},
      {"folder.png", "フォルダーです"}};
  for (const auto& [name, says] : rows) {
    const std::string text = Refusal([&] { ReadPictureWithAlpha(folder.Path(name)); });
    EXPECT_NE(text.find('"' + folder.Path(name) + '"'), std::string::npos) << text;
    EXPECT_NE(text.find(says), std::string::npos) << text;
  }
  const std::string pasted = Refusal([] { ReadPngWithAlpha(InMemory(TooLarge(Rgba)), "pasted"); });
  EXPECT_NE(pasted.find("\"pasted\" は読める絵ではありません: 絵が大きすぎます"), std::string::npos)
      << pasted;
}

}  // namespace
