// Opening the doll: the nested profile's exact radii, the texture rows it is given, the three
// passes of every step, and whole openings one after another.
#include <gtest/gtest.h>

#include <memory>
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
  void Load(const std::vector<int>& radii) {
    std::copy(radii.begin(), radii.end(), doll->View.DisplayedProfile.begin());
    TestOpenability(*doll);
    ASSERT_TRUE(doll->Openable);
    SetCurrentProfile(*doll, doll->View.DisplayedProfile);
  }
  static void FillRows(TTavoBitmap& bitmap, int salt) {
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 250; ++x) bitmap.Rows[y][x] = RowColour(y, salt);
  }
  // A fresh doll: InnerTexture and TextureCopy 250 × 200, at rest (OpenProgress 200).
  std::unique_ptr<TDoll> doll = std::make_unique<TDoll>();
};

std::vector<int> Radii(const DollProfile& p) {
  return std::vector<int>(p.begin(), p.end());
}

TEST_F(Opening, AFullDollNestsWithTheRadiiOfThirtyTwoBitArithmetic) {
  Load(std::vector<int>(200, 100));
  ASSERT_EQ(doll->SplitRow, 99);
  MakeInnerProfile(*doll);
  const std::set<int> just79 = {21, 22, 25, 26, 29, 30, 34, 38, 42, 45, 49, 53, 57, 61};
  for (int j = 0; j < 200; ++j) {
    int want = 80;
    if (j <= 18 || j >= 180) want = 0;
    if (j == 19) want = 16;
    if (j == 179) want = 64;
    if (just79.count(j)) want = 79;
    EXPECT_EQ(doll->InnerProfile[j], want) << "row " << j;
  }
}

TEST_F(Opening, ASteppedDollNestsAboutItsOwnSplitRow) {
  std::vector<int> radii(200, 50);
  std::fill_n(radii.begin(), 100, 100);
  Load(radii);
  ASSERT_EQ(doll->SplitRow, 49);
  MakeInnerProfile(*doll);
  for (int j = 0; j <= 8; ++j) EXPECT_EQ(doll->InnerProfile[j], 0) << j;
  EXPECT_EQ(doll->InnerProfile[9], 16);
  for (int j = 10; j <= 88; ++j)
    EXPECT_TRUE(doll->InnerProfile[j] == 80 || doll->InnerProfile[j] == 79) << j;
  EXPECT_EQ(doll->InnerProfile[89], 72);
  for (int j = 90; j <= 168; ++j) EXPECT_EQ(doll->InnerProfile[j], 40) << j;
  EXPECT_EQ(doll->InnerProfile[169], 32);
  for (int j = 170; j <= 199; ++j) EXPECT_EQ(doll->InnerProfile[j], 0) << j;
}

TEST_F(Opening, NoDollNestsNoDoll) {
  Load(std::vector<int>(200, 0));
  MakeInnerProfile(*doll);
  EXPECT_EQ(Radii(doll->InnerProfile), std::vector<int>(200, 0));
}

TEST_F(Opening, TheNestedSkinFillsRowsVToU) {
  EXPECT_EQ(InnerTextureRows(0).First, 0);
  EXPECT_EQ(InnerTextureRows(0).Last, 159);
  EXPECT_EQ(InnerTextureRows(99).First, 19);
  EXPECT_EQ(InnerTextureRows(99).Last, 179);
  EXPECT_EQ(InnerTextureRows(199).First, 39);
  EXPECT_EQ(InnerTextureRows(199).Last, 199);

  doll->SplitRow = 99;
  FillRows(doll->TextureCopy, 1);
  doll->InnerTexture.Fill(Pixel24{7, 7, 7});
  MakeInnerTexture(*doll);
  for (int y = 0; y < 200; ++y) {
    const Pixel24 p = doll->InnerTexture.Rows[y][123];
    if (y < 19 || y > 179) {
      EXPECT_TRUE(SameColour(p, Pixel24{7, 7, 7})) << y;  // untouched
    } else {
      EXPECT_EQ(p.Green, 1) << y;  // from the copy of the doll at rest
      EXPECT_TRUE(SameColour(doll->InnerTexture.Rows[y][0], doll->InnerTexture.Rows[y][249])) << y;
    }
  }
}

// The profile row that row i shows after a step, as an index into the profile before it.
TEST_F(Opening, TheFirstStepMovesTheHalvesTenRowsApart) {
  for (int split : {99, 0, 199}) {
    doll->SplitRow = split;
    doll->OpenProgress = 0;
    for (int i = 0; i < 200; ++i) {
      doll->View.DisplayedProfile[i] = i;
      doll->InnerProfile[i] = 1000 + i;
    }
    ShiftProfileRows(*doll);
    for (int i = 0; i < 200; ++i) {
      int want = 1000 + i;                 // the gap shows the nested doll
      if (i <= split - 10) want = i + 10;  // upper half moved up
      if (i >= split + 10) want = i - 10;  // lower half moved down
      ASSERT_EQ(doll->View.DisplayedProfile[i], want) << "split " << split << " row " << i;
    }
  }
}

// What a close shows: the halves of the doll at rest `apart` rows from where they were, the
// nested doll between them; at 0 apart, the doll at rest whole.
TEST_F(Opening, AnOpeningShownByRowsApartHasTheHalvesThatFarApart) {
  // Radii that tell the rows apart: the doll at rest's 0..49 and the nested doll's 50..99.
  for (int i = 0; i < 200; ++i) {
    doll->CurrentProfile[i] = i % 50;
    doll->InnerProfile[i] = 50 + i % 50;
  }
  for (const auto& [split, apart] : {std::pair{99, 0}, {99, 30}, {0, 10}, {0, 0}, {199, 200}}) {
    doll->SplitRow = split;
    ShowOpenedBy(*doll, apart);
    for (int i = 0; i < 200; ++i) {
      int want = 50 + i % 50;
      if (i <= split - apart) want = (i + apart) % 50;
      if (i >= split + apart) want = (i - apart) % 50;
      ASSERT_EQ(doll->View.DisplayedProfile[i], want) << split << ", " << apart << ": row " << i;
    }
  }
}

TEST_F(Opening, TheLastStepShowsOnlyTheNestedDoll) {
  doll->SplitRow = 99;
  doll->OpenProgress = 190;
  doll->View.DisplayedProfile.fill(5);
  for (int i = 0; i < 200; ++i) doll->InnerProfile[i] = i % 7;
  ShiftProfileRows(*doll);
  EXPECT_EQ(Radii(doll->View.DisplayedProfile), Radii(doll->InnerProfile));
}

TEST_F(Opening, TextureRowsMoveWithTheProfile) {
  doll->SplitRow = 50;
  doll->OpenProgress = 30;
  FillRows(doll->Texture, 2);
  FillRows(doll->InnerTexture, 3);
  ShiftTextureRows(*doll);
  for (int i = 0; i < 200; ++i) {
    Pixel24 want = RowColour(i, 3);
    if (i <= 50 - 30 - 10) want = RowColour(i + 10, 2);
    if (i >= 50 + 30 + 10) want = RowColour(i - 10, 2);
    ASSERT_TRUE(SameColour(doll->Texture.Rows[i][0], want)) << i;
    ASSERT_TRUE(SameColour(doll->Texture.Rows[i][249], want)) << i;
  }
}

TEST_F(Opening, TwentyStepsRevealTheNestedDollWhole) {
  Load(std::vector<int>(200, 100));
  FillRows(doll->Texture, 4);
  FillRows(doll->TextureCopy, 4);
  doll->View.RefreshGeometry();
  OpenDoll(*doll);
  EXPECT_EQ(doll->OpenProgress, 0);
  EXPECT_EQ(Radii(doll->CurrentProfile), Radii(doll->InnerProfile));
  EXPECT_EQ(Radii(doll->View.DisplayedProfile),
            std::vector<int>(200, 100));  // the animation moves it
  for (int step = 1; step <= 20; ++step) {
    AdvanceOpening(*doll);
    EXPECT_EQ(doll->OpenProgress, 10 * step);
  }
  EXPECT_EQ(Radii(doll->View.DisplayedProfile), Radii(doll->InnerProfile));
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 250; ++x) {
      ASSERT_TRUE(SameColour(doll->Texture.Rows[y][x], doll->InnerTexture.Rows[y][x]))
          << x << ", " << y;
      ASSERT_TRUE(SameColour(doll->TextureCopy.Rows[y][x], doll->InnerTexture.Rows[y][x]));
    }
  // The geometry follows the displayed profile at every step.
  for (int y = 0; y < 200; ++y) EXPECT_EQ(doll->View.Left[y], 100 - doll->View.DisplayedProfile[y]);
  doll->OpenProgress = 195;
  AdvanceOpening(*doll);
  EXPECT_EQ(doll->OpenProgress, 200);
}

TEST_F(Opening, ASecondOpeningScalesAgainAboutTheSameSplitRow) {
  Load(std::vector<int>(200, 100));
  doll->View.RefreshGeometry();
  OpenDoll(*doll);
  for (int step = 0; step < 20; ++step) AdvanceOpening(*doll);
  const DollProfile first = doll->InnerProfile;
  OpenDoll(*doll);
  EXPECT_TRUE(doll->Openable);
  EXPECT_EQ(doll->SplitRow, 99);
  // The widest part shrinks to 0.8 × 80 = 64 (or one less where the float sum falls short)
  // and stays centred on row 99: rows 0.2 × 99 + 0.8 × (19..179) ≈ 35..163.
  EXPECT_GE(doll->InnerProfile[99], 63);
  EXPECT_LE(doll->InnerProfile[99], 64);
  EXPECT_EQ(doll->InnerProfile[30], 0);
  EXPECT_EQ(doll->InnerProfile[170], 0);
  EXPECT_LT(doll->InnerProfile[99], first[99]);
}

TEST_F(Opening, OpenDuringAnOpeningSplitsThePictureOnScreen) {
  Load(std::vector<int>(200, 100));
  doll->View.RefreshGeometry();
  OpenDoll(*doll);
  for (int step = 0; step < 5; ++step) AdvanceOpening(*doll);
  const DollProfile onScreen = doll->View.DisplayedProfile;
  OpenDoll(*doll);
  EXPECT_EQ(doll->OpenProgress, 0);
  EXPECT_EQ(Radii(doll->View.DisplayedProfile), Radii(onScreen));
  AdvanceOpening(*doll);
  for (int i = 0; i <= 89; ++i) ASSERT_EQ(doll->View.DisplayedProfile[i], onScreen[i + 10]) << i;
  for (int i = 109; i < 200; ++i) ASSERT_EQ(doll->View.DisplayedProfile[i], onScreen[i - 10]) << i;
}

}  // namespace
