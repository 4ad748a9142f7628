// Row bounds, silhouettes and masks, and the column map, against exact values and the model.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>

#include "DollModel.h"
#include "TestFiles.h"
#include "doll/Doll.h"
#include "doll/Geometry.h"

namespace {

::testing::AssertionResult SameSpan(const ColumnSpan& got, const ColumnSpan& want) {
  if (got.First == want.First && got.Last == want.Last && got.FirstTrim == want.FirstTrim &&
      got.LastTrim == want.LastTrim && got.Width == want.Width && got.Light == want.Light)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "got " << got.First << ".." << got.Last << " trims " << got.FirstTrim << ", "
         << got.LastTrim << " width " << got.Width << " light " << got.Light << "; expected "
         << want.First << ".." << want.Last << " trims " << want.FirstTrim << ", " << want.LastTrim
         << " width " << want.Width << " light " << want.Light;
}

class Geometry : public ::testing::Test {
 protected:
  // Every radius 0..100 appears, in no particular order.
  void UseEveryRadius() {
    for (int y = 0; y < DollRows; ++y) view.DisplayedProfile[y] = (y * 37) % 101;
  }
  std::unique_ptr<TDoll> doll = std::make_unique<TDoll>();
  TDollView& view = doll->View;
};

TEST_F(Geometry, RowBoundsCenterEachRowBetweenColumnsNinetyNineAndOneHundred) {
  UseEveryRadius();
  view.ComputeRowBounds();
  for (int y = 0; y < DollRows; ++y) {
    EXPECT_EQ(view.Left[y], 100 - view.DisplayedProfile[y]);
    EXPECT_EQ(view.Right[y], view.DisplayedProfile[y] + 99);
  }
}

TEST_F(Geometry, RadiusOneHundredRowMatchesTheWorkedValues) {
  const auto& s = ColumnSpansForRadius(100);
  EXPECT_EQ(s[0].First, 0);
  EXPECT_EQ(s[0].Last, 5);
  EXPECT_EQ(s[0].FirstTrim, 0.0f);
  EXPECT_NEAR(s[0].LastTrim, 0.8683, 1e-4);
  EXPECT_NEAR(s[0].Width, 5.1317, 1e-4);
  EXPECT_EQ(s[0].Light, 1.0f);

  EXPECT_EQ(s[99].First, 61);
  EXPECT_EQ(s[99].Last, 62);
  EXPECT_NEAR(s[99].FirstTrim, 0.6021, 1e-4);
  EXPECT_EQ(s[99].LastTrim, 1.0f);  // e is 62 exactly
  EXPECT_NEAR(s[99].Width, 0.3979, 1e-4);

  EXPECT_EQ(s[100].First, 62);
  EXPECT_EQ(s[100].Last, 62);
  EXPECT_EQ(s[100].FirstTrim, 0.0f);
  EXPECT_NEAR(s[100].LastTrim, 0.6021, 1e-4);
  EXPECT_NEAR(s[100].Light, 0.99999, 1e-5);

  EXPECT_EQ(s[199].First, 118);
  EXPECT_EQ(s[199].Last, 124);
  EXPECT_NEAR(s[199].FirstTrim, 0.8683, 1e-4);
  EXPECT_EQ(s[199].LastTrim, 0.5f);
  EXPECT_NEAR(s[199].Width, 5.6317, 1e-4);
  EXPECT_NEAR(s[199].Light, 0.0999, 1e-4);
}

TEST_F(Geometry, RadiusOneRowSpansHalfTheTurnPerPixel) {
  const auto& s = ColumnSpansForRadius(1);
  EXPECT_TRUE(SameSpan(s[99], ColumnSpan{0, 62, 0.0f, 1.0f, 62.0f, 1.0f}));
  EXPECT_EQ(s[100].First, 62);
  EXPECT_EQ(s[100].Last, 124);
  EXPECT_EQ(s[100].FirstTrim, 0.0f);
  EXPECT_EQ(s[100].LastTrim, 0.5f);
  EXPECT_EQ(s[100].Width, 62.5f);
  EXPECT_NEAR(s[100].Light, 0.8660, 1e-4);
}

TEST_F(Geometry, EveryRadiusTilesColumnsZeroToOneTwentyFourAndAHalf) {
  for (int r = 1; r <= MaxRadius; ++r) {
    const auto& s = ColumnSpansForRadius(r);
    double total = 0;
    for (int x = 100 - r; x <= 99 + r; ++x) {
      total += s[x].Width;
      if (x <= 99) {
        ASSERT_EQ(s[x].Light, 1.0f) << "radius " << r << " x " << x;
      }
      if (x > 100 - r) {
        ASSERT_EQ(s[x].First, s[x - 1].Last) << "radius " << r << " x " << x;
        ASSERT_NEAR(s[x].FirstTrim + s[x - 1].LastTrim, 1.0, 1e-6);
      }
    }
    ASSERT_NEAR(total, 124.5, 1e-3) << "radius " << r;
  }
}

TEST_F(Geometry, ColumnMapMatchesTheModelBitForBitAndLeavesOtherEntriesAlone) {
  UseEveryRadius();
  const ColumnSpan sentinel{-7, -7, -7.0f, -7.0f, -7.0f, -7.0f};
  for (auto& row : view.ColumnMap) row.fill(sentinel);
  view.RefreshGeometry();
  for (int y = 0; y < DollRows; ++y) {
    const int r = view.DisplayedProfile[y];
    for (int x = 0; x < ViewSize; ++x) {
      const bool inside = x >= 100 - r && x <= 99 + r;
      ASSERT_TRUE(SameSpan(view.ColumnMap[y][x], inside ? ModelSpan(x, r) : sentinel))
          << "row " << y << " radius " << r << " x " << x;
    }
  }
}

TEST_F(Geometry, SilhouettesAreWhiteInsideBlackOutsideWithMasksFromThem) {
  UseEveryRadius();
  view.RefreshGeometry();
  for (TTavoBitmap* bitmap : {&view.FrontView, &view.BackView}) {
    ASSERT_NE(bitmap->MaskBitmap, nullptr);
    for (int y = 0; y < DollRows; ++y)
      for (int x = 0; x < ViewSize; ++x) {
        const bool inside = x >= view.Left[y] && x <= view.Right[y];
        ASSERT_TRUE(SameColour(bitmap->Rows[y][x], inside ? KeyColour : FrameColour));
        ASSERT_TRUE(SameColour(bitmap->MaskBitmap->Rows[y][x], inside ? FrameColour : KeyColour));
      }
  }
}

TEST_F(Geometry, AnEmptyRowIsAllTransparent) {
  view.DisplayedProfile.fill(0);
  view.RefreshGeometry();
  EXPECT_TRUE(PixelsAre(view.FrontView, std::vector(200, std::vector(200, FrameColour))));
  EXPECT_TRUE(PixelsAre(*view.FrontView.MaskBitmap, std::vector(200, std::vector(200, KeyColour))));
}

TEST_F(Geometry, ADollRenderedBlackStillCoversTheBackdropAfterARefresh) {
  view.DisplayedProfile.fill(50);
  view.RefreshGeometry();
  view.FrontView.Fill(FrameColour);  // as if the renderer had drawn a black skin
  view.RefreshGeometry();
  view.FrontView.Fill(FrameColour);
  TTavoBitmap frame;
  frame.SetSizeFilled(200, 200, Pixel24{0, 200, 0});
  view.FrontView.DrawOn(frame, 0, 0);
  EXPECT_TRUE(SameColour(frame.Rows[10][100], FrameColour));        // the doll, black, opaque
  EXPECT_TRUE(SameColour(frame.Rows[10][10], Pixel24{0, 200, 0}));  // the backdrop
}

}  // namespace
