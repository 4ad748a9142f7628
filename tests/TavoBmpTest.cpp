// The picture's own operations: sizing, the row table, masks, drawing, stretching, saving,
// and what a failed load leaves behind.
#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "framework/TavoBmp.h"

namespace {

using Picture = std::vector<std::vector<Pixel24>>;

Picture Uniform(int width, int height, Pixel24 colour) {
  return Picture(static_cast<std::size_t>(height),
                 std::vector<Pixel24>(static_cast<std::size_t>(width), colour));
}

// A 4 × 3 picture with a different colour in every pixel.
Picture Distinct(int width = 4, int height = 3) {
  Picture p = Uniform(width, height, FrameColour);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p[y][x] =
          Pixel24{static_cast<std::uint8_t>(10 * x + 1), static_cast<std::uint8_t>(10 * y + 2),
                  static_cast<std::uint8_t>(x + y + 3)};
  return p;
}

void Paint(TTavoBitmap& bitmap, const Picture& picture) {
  bitmap.SetSizeBlank(static_cast<int>(picture[0].size()), static_cast<int>(picture.size()));
  for (int y = 0; y < bitmap.height(); ++y)
    for (int x = 0; x < bitmap.width(); ++x) bitmap.Rows[y][x] = picture[y][x];
}

TEST(TavoBitmap, StartsEmptyWithBoldBlackTwentyPixelFont) {
  TTavoBitmap bitmap;
  EXPECT_EQ(bitmap.width(), 0);
  EXPECT_EQ(bitmap.height(), 0);
  EXPECT_EQ(bitmap.Rows.Count(), 0);
  EXPECT_EQ(bitmap.MaskBitmap, nullptr);
  EXPECT_EQ(bitmap.TextStyle().FontHeight, 20);
  EXPECT_EQ(bitmap.TextStyle().FontStyle, TFontStyles{fsBold});
  EXPECT_EQ(bitmap.TextStyle().FontColor, clBlack);
  EXPECT_TRUE(bitmap.TextStyle().BrushClear);
  bitmap.Fill(KeyColour);  // nothing to write, nothing to break
  EXPECT_THROW(bitmap.Rows[0], ERangeError);
}

TEST(TavoBitmap, SetSizeBlankGivesWhiteRowsWithPaddedStride) {
  TTavoBitmap bitmap;
  bitmap.SetSizeBlank(250, 200);
  ASSERT_EQ(bitmap.Rows.Count(), 200);
  EXPECT_TRUE(PixelsAre(bitmap, Uniform(250, 200, KeyColour)));
  // Rows are the pixel memory itself: 750 bytes of pixels padded to 752.
  for (int y = 0; y < 200; ++y)
    EXPECT_EQ(reinterpret_cast<const uchar*>(bitmap.Rows[y].Data()), bitmap.constScanLine(y));
  EXPECT_EQ(reinterpret_cast<uchar*>(bitmap.Rows[1].Data()) -
                reinterpret_cast<uchar*>(bitmap.Rows[0].Data()),
            752);
}

TEST(TavoBitmap, SetSizeFilledAndFillWriteEveryPixel) {
  TTavoBitmap bitmap;
  bitmap.SetSizeFilled(200, 200, FrameColour);
  EXPECT_TRUE(PixelsAre(bitmap, Uniform(200, 200, FrameColour)));
  bitmap.Fill(Pixel24{1, 2, 3});
  EXPECT_TRUE(PixelsAre(bitmap, Uniform(200, 200, Pixel24{1, 2, 3})));
  bitmap.SetSizeFilled(3, 5, Pixel24{9, 8, 7});
  EXPECT_TRUE(PixelsAre(bitmap, Uniform(3, 5, Pixel24{9, 8, 7})));
}

TEST(TavoBitmap, RowIndexIsCheckedColumnsOnlyAgainstTheDeclaredRange) {
  TTavoBitmap bitmap;
  bitmap.SetSizeBlank(10, 4);
  EXPECT_THROW(bitmap.Rows[-1], ERangeError);
  EXPECT_THROW(bitmap.Rows[4], ERangeError);
  EXPECT_NO_THROW(bitmap.Rows[3]);
  EXPECT_THROW(bitmap.Rows[0][-1], ERangeError);
  EXPECT_THROW(bitmap.Rows[0][TPixelRow::MaxColumn + 1], ERangeError);
  try {
    bitmap.Rows[7];
    FAIL();
  } catch (const ERangeError& e) {
    EXPECT_STREQ(e.what(), "範囲チェックエラー");
  }
}

TEST(TavoBitmap, SameColourComparesAllThreeBytes) {
  EXPECT_TRUE(SameColour(Pixel24{1, 2, 3}, Pixel24{1, 2, 3}));
  EXPECT_FALSE(SameColour(Pixel24{1, 2, 3}, Pixel24{1, 2, 4}));
  EXPECT_FALSE(SameColour(Pixel24{0, 2, 3}, Pixel24{1, 2, 3}));
  EXPECT_FALSE(SameColour(Pixel24{1, 0, 3}, Pixel24{1, 2, 3}));
}

// A view as the silhouette painter leaves it: black outside, white inside the doll.
Picture Silhouette() {
  Picture p = Uniform(6, 2, FrameColour);
  for (int x = 2; x < 4; ++x) p[0][x] = p[1][x] = KeyColour;
  return p;
}

TEST(TavoBitmapMask, MaskIsWhiteWhereTransparentAndLeavesABlackViewAsItWas) {
  TTavoBitmap view;
  Paint(view, Silhouette());
  view.MakeMask(clBlack);
  ASSERT_NE(view.MaskBitmap, nullptr);
  Picture mask = Uniform(6, 2, KeyColour);
  for (int x = 2; x < 4; ++x) mask[0][x] = mask[1][x] = FrameColour;
  EXPECT_TRUE(PixelsAre(*view.MaskBitmap, mask));
  EXPECT_TRUE(PixelsAre(view, Silhouette()));
}

TEST(TavoBitmapMask, TransparentPixelsAreBlackenedAndTheMaskIsASnapshot) {
  TTavoBitmap bitmap;
  Picture picture = Distinct();
  picture[1][2] = Pixel24{10, 20, 30};  // toolkit colour 0x0A141E: red 30, green 20, blue 10
  Paint(bitmap, picture);
  bitmap.MakeMask(0x0A141E);
  Picture expected = picture;
  expected[1][2] = FrameColour;
  EXPECT_TRUE(PixelsAre(bitmap, expected));
  EXPECT_TRUE(SameColour(bitmap.MaskBitmap->Rows[1][2], KeyColour));
  EXPECT_TRUE(SameColour(bitmap.MaskBitmap->Rows[0][0], FrameColour));
  bitmap.Rows[0][0] = Pixel24{10, 20, 30};
  EXPECT_TRUE(SameColour(bitmap.MaskBitmap->Rows[0][0], FrameColour));
}

TEST(TavoBitmapMask, DrawingThroughTheMaskKeepsTheTargetOutsideTheDoll) {
  TTavoBitmap view;
  Picture painted = Silhouette();
  painted[0][2] = Pixel24{200, 100, 50};
  Paint(view, painted);
  view.MakeMask(clBlack);
  TTavoBitmap target;
  target.SetSizeFilled(6, 2, Pixel24{10, 20, 30});
  view.DrawOn(target, 0, 0);
  Picture expected = Uniform(6, 2, Pixel24{10, 20, 30});
  expected[0][2] = Pixel24{200, 100, 50};
  expected[0][3] = expected[1][2] = expected[1][3] = KeyColour;
  EXPECT_TRUE(PixelsAre(target, expected));
}

TEST(TavoBitmapMask, UnderAWhiteMaskASourceThatIsNotBlackIsOredIn) {
  TTavoBitmap source;
  Paint(source, Uniform(1, 1, FrameColour));
  source.MakeMask(clBlack);  // white mask
  source.Rows[0][0] = Pixel24{1, 2, 64};
  TTavoBitmap target;
  target.SetSizeFilled(1, 1, Pixel24{10, 20, 30});
  source.DrawOn(target, 0, 0);
  EXPECT_TRUE(SameColour(target.Rows[0][0], Pixel24{11, 22, 94}));
}

TEST(TavoBitmapMask, OnlyTheSecondOfTwoMasksIsUsed) {
  TTavoBitmap view;
  Paint(view, Silhouette());
  view.MakeMask(clBlack);
  // Second mask: every pixel opaque (no pixel is the transparent colour).
  view.MakeMask(0x123456);
  TTavoBitmap target;
  target.SetSizeFilled(6, 2, Pixel24{10, 20, 30});
  view.DrawOn(target, 0, 0);
  EXPECT_TRUE(PixelsAre(target, Silhouette()));
}

TEST(TavoBitmapDraw, PlainCopyAtTwoHundredReplacesExactlyTheRightHalf) {
  TTavoBitmap view;
  view.SetSizeFilled(200, 200, Pixel24{5, 6, 7});
  TTavoBitmap sheet;
  sheet.SetSizeFilled(400, 200, FrameColour);
  view.DrawOn(sheet, 200, 0);
  Picture expected = Uniform(400, 200, FrameColour);
  for (auto& row : expected) std::fill(row.begin() + 200, row.end(), Pixel24{5, 6, 7});
  EXPECT_TRUE(PixelsAre(sheet, expected));
}

TEST(TavoBitmapDraw, DrawingIsCutOffAtTheTargetEdges) {
  TTavoBitmap source;
  Paint(source, Distinct());
  TTavoBitmap target;
  target.SetSizeFilled(3, 2, FrameColour);
  source.DrawOn(target, -2, 1);
  Picture expected = Uniform(3, 2, FrameColour);
  expected[1][0] = Distinct()[0][2];
  expected[1][1] = Distinct()[0][3];
  EXPECT_TRUE(PixelsAre(target, expected));
  source.DrawOn(target, 3, 0);   // entirely off to the right
  source.DrawOn(target, 0, -3);  // entirely above
  EXPECT_TRUE(PixelsAre(target, expected));
}

TEST(TavoBitmapCopyRect, SameSizeIsAPlainCopy) {
  TTavoBitmap source;
  Paint(source, Distinct());
  TTavoBitmap target;
  target.SetSizeFilled(4, 3, FrameColour);
  target.CopyRect(RectLTRB(0, 0, 4, 3), source, RectLTRB(0, 0, 4, 3));
  EXPECT_TRUE(PixelsAre(target, Distinct()));
}

TEST(TavoBitmapCopyRect, ShrunkRowsAreAndedAndRowsOutsideAreUntouched) {
  // Ten source rows onto rows 2..6 of the target: each target row takes two source rows.
  TTavoBitmap source;
  source.SetSizeFilled(3, 10, KeyColour);
  source.Rows[3][1] = Pixel24{0x0F, 0xF0, 0x3C};  // on target row 3 (source rows 2, 3)
  source.Rows[2][1] = Pixel24{0xFF, 0x33, 0xFF};
  source.Rows[9][0] = FrameColour;  // on target row 6
  TTavoBitmap target;
  target.SetSizeFilled(3, 9, Pixel24{1, 1, 1});
  target.CopyRect(RectLTRB(0, 2, 3, 7), source, RectLTRB(0, 0, 3, 10));
  Picture expected = Uniform(3, 9, Pixel24{1, 1, 1});
  for (int y = 2; y <= 6; ++y) expected[y] = std::vector<Pixel24>(3, KeyColour);
  expected[3][1] = Pixel24{0x0F, 0x30, 0x3C};
  expected[6][0] = FrameColour;
  EXPECT_TRUE(PixelsAre(target, expected));
}

TEST(TavoBitmapCopyRect, UnevenShrinkCoversEverySourceRowOnce) {
  // 200 rows onto 161 (the opening's largest case): every black source row must show.
  TTavoBitmap source;
  source.SetSizeFilled(1, 200, KeyColour);
  TTavoBitmap target;
  for (int black = 0; black < 200; ++black) {
    source.Fill(KeyColour);
    source.Rows[black][0] = FrameColour;
    target.SetSizeFilled(1, 200, KeyColour);
    target.CopyRect(RectLTRB(0, 20, 1, 181), source, RectLTRB(0, 0, 1, 200));
    int blackRows = 0;
    for (int y = 0; y < 200; ++y) blackRows += SameColour(target.Rows[y][0], FrameColour);
    ASSERT_EQ(blackRows, 1) << "black source row " << black;
  }
}

TEST(TavoBitmapCopyRect, AShrinkOfRowsAloneIsTheAndOfTheRowsEachTargetRowCovers) {
  // Target top and height, source height: the opening's shrinks, and others.
  const int cases[][3] = {{0, 160, 200}, {19, 161, 200}, {39, 161, 200}, {1, 7, 9}, {2, 5, 5}};
  std::mt19937 random(5);
  const auto byte = [&] { return static_cast<std::uint8_t>(random() | random()); };
  for (const auto& [top, rows, sourceRows] : cases) {
    Picture picture = Uniform(13, sourceRows, KeyColour);
    for (auto& row : picture)
      for (Pixel24& p : row) p = Pixel24{byte(), byte(), byte()};
    TTavoBitmap source;
    Paint(source, picture);
    TTavoBitmap target;
    target.SetSizeFilled(13, 200, Pixel24{1, 2, 3});
    target.CopyRect(RectLTRB(0, top, 13, top + rows), source, RectLTRB(0, 0, 13, sourceRows));
    Picture expected = Uniform(13, 200, Pixel24{1, 2, 3});
    for (int j = 0; j < rows; ++j) {
      const int first = j * sourceRows / rows;
      const int last = std::max((j + 1) * sourceRows / rows, first + 1);
      for (int x = 0; x < 13; ++x) {
        std::uint8_t all[3] = {255, 255, 255};
        for (int y = first; y < last; ++y)
          for (int c = 0; c < 3; ++c) all[c] &= (&picture[y][x].Blue)[c];
        expected[top + j][x] = Pixel24{all[0], all[1], all[2]};
      }
    }
    EXPECT_TRUE(PixelsAre(target, expected)) << top << ", " << rows;
  }
}

TEST(TavoBitmapCopyRect, StretchingRepeatsRowsAndColumns) {
  TTavoBitmap source;
  Paint(source, Distinct(2, 2));
  TTavoBitmap target;
  target.SetSizeFilled(4, 4, FrameColour);
  target.CopyRect(RectLTRB(0, 0, 4, 4), source, RectLTRB(0, 0, 2, 2));
  const Picture small = Distinct(2, 2);
  Picture expected = Uniform(4, 4, FrameColour);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) expected[y][x] = small[y / 2][x / 2];
  EXPECT_TRUE(PixelsAre(target, expected));
  EXPECT_THROW(target.CopyRect(RectLTRB(0, 0, 4, 4), source, RectLTRB(0, 0, 3, 2)), ERangeError);
}

TEST(TavoBitmapSave, WritesATwentyFourBitFileThatLoadsBackUnchanged) {
  ScratchFolder folder;
  TTavoBitmap bitmap;
  Paint(bitmap, Distinct(5, 3));
  const std::string name = folder.Path("out00.bmp");
  bitmap.SaveToFile(name);
  const Bytes file = ReadBytes(name);
  ASSERT_EQ(file.size(), 54u + 16u * 3u);          // 15 bytes of pixels padded to 16, three rows
  EXPECT_EQ(file[10], 54);                         // no colour table
  EXPECT_EQ(file[28], 24);                         // bits per pixel
  EXPECT_EQ(file[30], 0);                          // uncompressed
  EXPECT_EQ(file[54], Distinct(5, 3)[2][0].Blue);  // bottom row first
  TTavoBitmap loaded;
  loaded.LoadFromFileAuto(name);
  EXPECT_TRUE(PixelsAre(loaded, Distinct(5, 3)));
}

TEST(TavoBitmapSave, AFailedSaveNamesTheFileAndKeepsTheOldOne) {
  ScratchFolder folder;
  TTavoBitmap bitmap;
  bitmap.SetSizeBlank(2, 2);
  const std::string missing = folder.Path("no-such-folder/out00.bmp");
  try {
    bitmap.SaveToFile(missing);
    FAIL() << "saved into a missing folder";
  } catch (const EFCreateError& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
}

class TavoBitmapLoad : public ::testing::Test {
 protected:
  // A loaded picture whose pixels and row addresses a failed load must not change.
  void SetUp() override {
    WriteBytes(folder.Path("good.bmp"), Bmp24(Distinct()));
    bitmap.LoadFromFileAuto(folder.Path("good.bmp"));
    firstRow = bitmap.Rows[0].Data();
  }
  void ExpectUnchanged() {
    EXPECT_TRUE(PixelsAre(bitmap, Distinct()));
    EXPECT_EQ(bitmap.Rows[0].Data(), firstRow);
  }
  std::string ErrorText(const std::string& name) {
    try {
      bitmap.LoadFromFileAuto(name);
    } catch (const ETavoError& e) {
      return e.what();
    }
    return "(no error)";
  }

  ScratchFolder folder;
  TTavoBitmap bitmap;
  Pixel24* firstRow = nullptr;
};

TEST_F(TavoBitmapLoad, AMissingFileNamesTheFileAndKeepsThePicture) {
  const std::string name = folder.Path("missing.bmp");
  EXPECT_THROW(bitmap.LoadFromFileAuto(name), EFOpenError);
  EXPECT_NE(ErrorText(name).find(name), std::string::npos);
  ExpectUnchanged();
}

TEST_F(TavoBitmapLoad, AFolderInPlaceOfTheFileIsAnOpenError) {
  const std::string name = folder.Path("folder.bmp");
  std::filesystem::create_directory(name);
  EXPECT_THROW(bitmap.LoadFromFileAuto(name), EFOpenError);
  ExpectUnchanged();
}

TEST_F(TavoBitmapLoad, AnEmptyFileOrAWrongSignatureIsAnInvalidBitmap) {
  WriteBytes(folder.Path("empty.bmp"), {});
  EXPECT_THROW(bitmap.LoadFromFileAuto(folder.Path("empty.bmp")), EInvalidGraphic);
  Bytes wrong = Bmp24(Distinct());
  wrong[0] = 'M';
  WriteBytes(folder.Path("wrong.bmp"), wrong);
  EXPECT_THROW(bitmap.LoadFromFileAuto(folder.Path("wrong.bmp")), EInvalidGraphic);
  EXPECT_NE(ErrorText(folder.Path("wrong.bmp")).find("wrong.bmp"), std::string::npos);
  ExpectUnchanged();
}

TEST_F(TavoBitmapLoad, AnUndecodableJpegKeepsThePicture) {
  WriteBytes(folder.Path("broken.jpg"), {0xFF, 0xD8, 0xFF, 0x00, 0x12, 0x34});
  EXPECT_THROW(bitmap.LoadFromFileAuto(folder.Path("broken.jpg")), EJpegError);
  ExpectUnchanged();
}

TEST_F(TavoBitmapLoad, TheNameEndingChoosesTheReaderByteForByte) {
  const Bytes jpeg = EncodeJpeg(8, 8, false, Bytes(8 * 8 * 3, 128));
  for (const char* name : {"a.jpg", "a.jpeg", ".jpg", "写真.jpg"}) {
    WriteBytes(folder.Path(name), jpeg);
    EXPECT_NO_THROW(bitmap.LoadFromFileAuto(folder.Path(name))) << name;
    EXPECT_EQ(bitmap.width(), 8) << name;
  }
  // Any other ending goes to the BMP reader, which refuses a JPEG.
  for (const char* name : {"a.JPG", "a.Jpeg", "a.jpg.bmp", "a.jpe"}) {
    WriteBytes(folder.Path(name), jpeg);
    EXPECT_THROW(bitmap.LoadFromFileAuto(folder.Path(name)), EInvalidGraphic) << name;
  }
  // The three-byte name "jpg" is a BMP name.
  ScratchFolder here(true);
  WriteBytes("jpg", Bmp24(Distinct()));
  bitmap.LoadFromFileAuto("jpg");
  EXPECT_TRUE(PixelsAre(bitmap, Distinct()));
}

}  // namespace
