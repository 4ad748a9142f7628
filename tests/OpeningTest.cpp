// Opening the doll: the nested profile's exact radii, the texture rows it is given, the three
// passes of every step, and whole openings one after another.
#include <gtest/gtest.h>

#include <set>

#include "DollModel.h"
#include "TestFiles.h"
#include "doll/Geometry.h"
#include "doll/Opening.h"
#include "doll/ShapeProfile.h"

namespace {

using Picture = std::vector<std::vector<Pixel24>>;

// Texture row y is one colour made from y, so that rows can be told apart after moving.
Pixel24 RowColour(int y, int salt = 0) {
  return Pixel24{static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(salt),
                 static_cast<std::uint8_t>(255 - y)};
}

class Opening : public ::testing::Test {
 protected:
  void SetUp() override {
    InnerTexture = std::make_unique<TTavoBitmap>();
    InnerTexture->SetSizeBlank(250, 200);
    TextureCopy = std::make_unique<TTavoBitmap>();
    TextureCopy->SetSizeBlank(250, 200);
    OpenProgress = 200;
  }
  void TearDown() override {
    InnerTexture.reset();
    TextureCopy.reset();
  }
  static void Load(const std::vector<int>& radii) {
    std::copy(radii.begin(), radii.end(), DisplayedProfile.begin());
    TestOpenability();
    ASSERT_TRUE(Openable);
    SetCurrentProfile(DisplayedProfile);
  }
  static void FillRows(TTavoBitmap& bitmap, int salt) {
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 250; ++x) bitmap.Rows[y][x] = RowColour(y, salt);
  }
  SceneBitmapsForTest bitmaps;
};

std::vector<int> Radii(const DollProfile& p) {
  return std::vector<int>(p.begin(), p.end());
}

TEST_F(Opening, AFullDollNestsWithTheRadiiOfThirtyTwoBitArithmetic) {
  Load(std::vector<int>(200, 100));
  ASSERT_EQ(SplitRow, 99);
  MakeInnerProfile();
  const std::set<int> just79 = {21, 22, 25, 26, 29, 30, 34, 38, 42, 45, 49, 53, 57, 61};
  for (int j = 0; j < 200; ++j) {
    int want = 80;
    if (j <= 18 || j >= 180) want = 0;
    if (j == 19) want = 16;
    if (j == 179) want = 64;
    if (just79.count(j)) want = 79;
    EXPECT_EQ(InnerProfile[j], want) << "row " << j;
  }
}

TEST_F(Opening, ASteppedDollNestsAboutItsOwnSplitRow) {
  std::vector<int> radii(200, 50);
  std::fill_n(radii.begin(), 100, 100);
  Load(radii);
  ASSERT_EQ(SplitRow, 49);
  MakeInnerProfile();
  for (int j = 0; j <= 8; ++j) EXPECT_EQ(InnerProfile[j], 0) << j;
  EXPECT_EQ(InnerProfile[9], 16);
  for (int j = 10; j <= 88; ++j) EXPECT_TRUE(InnerProfile[j] == 80 || InnerProfile[j] == 79) << j;
  EXPECT_EQ(InnerProfile[89], 72);
  for (int j = 90; j <= 168; ++j) EXPECT_EQ(InnerProfile[j], 40) << j;
  EXPECT_EQ(InnerProfile[169], 32);
  for (int j = 170; j <= 199; ++j) EXPECT_EQ(InnerProfile[j], 0) << j;
}

TEST_F(Opening, NoDollNestsNoDoll) {
  Load(std::vector<int>(200, 0));
  MakeInnerProfile();
  EXPECT_EQ(Radii(InnerProfile), std::vector<int>(200, 0));
}

TEST_F(Opening, TheNestedSkinFillsRowsVToU) {
  EXPECT_EQ(InnerTextureRows(0).First, 0);
  EXPECT_EQ(InnerTextureRows(0).Last, 159);
  EXPECT_EQ(InnerTextureRows(99).First, 19);
  EXPECT_EQ(InnerTextureRows(99).Last, 179);
  EXPECT_EQ(InnerTextureRows(199).First, 39);
  EXPECT_EQ(InnerTextureRows(199).Last, 199);

  SplitRow = 99;
  FillRows(*TextureCopy, 1);
  InnerTexture->Fill(Pixel24{7, 7, 7});
  MakeInnerTexture();
  for (int y = 0; y < 200; ++y) {
    const Pixel24 p = InnerTexture->Rows[y][123];
    if (y < 19 || y > 179) {
      EXPECT_TRUE(SameColour(p, Pixel24{7, 7, 7})) << y;  // untouched
    } else {
      EXPECT_EQ(p.Green, 1) << y;  // from the copy of the doll at rest
      EXPECT_TRUE(SameColour(InnerTexture->Rows[y][0], InnerTexture->Rows[y][249])) << y;
    }
  }
}

// The profile row that row i shows after a step, as an index into the profile before it.
TEST_F(Opening, TheFirstStepMovesTheHalvesTenRowsApart) {
  for (int split : {99, 0, 199}) {
    SplitRow = split;
    OpenProgress = 0;
    for (int i = 0; i < 200; ++i) {
      DisplayedProfile[i] = i;
      InnerProfile[i] = 1000 + i;
    }
    ShiftProfileRows();
    for (int i = 0; i < 200; ++i) {
      int want = 1000 + i;                 // the gap shows the nested doll
      if (i <= split - 10) want = i + 10;  // upper half moved up
      if (i >= split + 10) want = i - 10;  // lower half moved down
      ASSERT_EQ(DisplayedProfile[i], want) << "split " << split << " row " << i;
    }
  }
}

TEST_F(Opening, TheLastStepShowsOnlyTheNestedDoll) {
  SplitRow = 99;
  OpenProgress = 190;
  DisplayedProfile.fill(5);
  for (int i = 0; i < 200; ++i) InnerProfile[i] = i % 7;
  ShiftProfileRows();
  EXPECT_EQ(Radii(DisplayedProfile), Radii(InnerProfile));
}

TEST_F(Opening, TextureRowsMoveWithTheProfile) {
  SplitRow = 50;
  OpenProgress = 30;
  FillRows(*Texture, 2);
  FillRows(*InnerTexture, 3);
  ShiftTextureRows();
  for (int i = 0; i < 200; ++i) {
    Pixel24 want = RowColour(i, 3);
    if (i <= 50 - 30 - 10) want = RowColour(i + 10, 2);
    if (i >= 50 + 30 + 10) want = RowColour(i - 10, 2);
    ASSERT_TRUE(SameColour(Texture->Rows[i][0], want)) << i;
    ASSERT_TRUE(SameColour(Texture->Rows[i][249], want)) << i;
  }
}

TEST_F(Opening, TwentyStepsRevealTheNestedDollWhole) {
  Load(std::vector<int>(200, 100));
  FillRows(*Texture, 4);
  FillRows(*TextureCopy, 4);
  RefreshGeometry();
  OpenDoll();
  EXPECT_EQ(OpenProgress, 0);
  EXPECT_EQ(Radii(CurrentProfile), Radii(InnerProfile));
  EXPECT_EQ(Radii(DisplayedProfile), std::vector<int>(200, 100));  // the animation moves it
  for (int step = 1; step <= 20; ++step) {
    AdvanceOpening();
    EXPECT_EQ(OpenProgress, 10 * step);
  }
  EXPECT_EQ(Radii(DisplayedProfile), Radii(InnerProfile));
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 250; ++x) {
      ASSERT_TRUE(SameColour(Texture->Rows[y][x], InnerTexture->Rows[y][x])) << x << ", " << y;
      ASSERT_TRUE(SameColour(TextureCopy->Rows[y][x], InnerTexture->Rows[y][x]));
    }
  // The geometry follows the displayed profile at every step.
  for (int y = 0; y < 200; ++y) EXPECT_EQ(Left[y], 100 - DisplayedProfile[y]);
  OpenProgress = 195;
  AdvanceOpening();
  EXPECT_EQ(OpenProgress, 200);
}

TEST_F(Opening, ASecondOpeningScalesAgainAboutTheSameSplitRow) {
  Load(std::vector<int>(200, 100));
  RefreshGeometry();
  OpenDoll();
  for (int step = 0; step < 20; ++step) AdvanceOpening();
  const DollProfile first = InnerProfile;
  OpenDoll();
  EXPECT_TRUE(Openable);
  EXPECT_EQ(SplitRow, 99);
  // The widest part shrinks to 0.8 × 80 = 64 (or one less where the float sum falls short)
  // and stays centred on row 99: rows 0.2 × 99 + 0.8 × (19..179) ≈ 35..163.
  EXPECT_GE(InnerProfile[99], 63);
  EXPECT_LE(InnerProfile[99], 64);
  EXPECT_EQ(InnerProfile[30], 0);
  EXPECT_EQ(InnerProfile[170], 0);
  EXPECT_LT(InnerProfile[99], first[99]);
}

TEST_F(Opening, OpenDuringAnOpeningSplitsThePictureOnScreen) {
  Load(std::vector<int>(200, 100));
  RefreshGeometry();
  OpenDoll();
  for (int step = 0; step < 5; ++step) AdvanceOpening();
  const DollProfile onScreen = DisplayedProfile;
  OpenDoll();
  EXPECT_EQ(OpenProgress, 0);
  EXPECT_EQ(Radii(DisplayedProfile), Radii(onScreen));
  AdvanceOpening();
  for (int i = 0; i <= 89; ++i) ASSERT_EQ(DisplayedProfile[i], onScreen[i + 10]) << i;
  for (int i = 109; i < 200; ++i) ASSERT_EQ(DisplayedProfile[i], onScreen[i - 10]) << i;
}

}  // namespace
