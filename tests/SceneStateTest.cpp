// A doll starts at rest: a fresh TDoll, and a fresh TDollView, hold the documented values.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <memory>

#include "doll/Doll.h"

TEST(SceneState, StartsWithTheDocumentedValues) {
  const auto doll = std::make_unique<TDoll>();
  EXPECT_EQ(doll->RotationOffset, 0);
  EXPECT_EQ(doll->ShadeLevel, 0);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(InnerScale), 0x3F4CCCCDu);  // nearest float to 0.8
  EXPECT_EQ(static_cast<double>(InnerScale), 0.800000011920929);
  EXPECT_FALSE(doll->Openable);
  EXPECT_EQ(doll->SplitRow, 0);
  EXPECT_EQ(doll->OpenProgress, 200);   // at rest until the first opening
  EXPECT_EQ(doll->CloseProgress, 200);  // no close under way
  EXPECT_EQ(doll->DollLevel, 1);        // the outer doll
  EXPECT_EQ(doll->Direction, "右回り");
  for (const auto& row : doll->View.ColumnMap)
    for (const ColumnSpan& span : row) ASSERT_EQ(span.First + span.Last + span.Width, 0);
  // The bitmaps are made with the doll: both views 200 × 200, the skins 250 × 200.
  EXPECT_EQ(doll->View.FrontView.size(), QSize(200, 200));
  EXPECT_EQ(doll->View.BackView.size(), QSize(200, 200));
  EXPECT_EQ(doll->Texture.size(), QSize(250, 200));
  EXPECT_EQ(doll->TextureCopy.size(), QSize(250, 200));
  EXPECT_EQ(doll->InnerTexture.size(), QSize(250, 200));
}

TEST(SceneState, AViewStartsWithAnEmptyColumnMapAndBlankViews) {
  const auto view = std::make_unique<TDollView>();
  for (const auto& row : view->ColumnMap)
    for (const ColumnSpan& span : row) ASSERT_EQ(span.First + span.Last + span.Width, 0);
  EXPECT_EQ(view->FrontView.size(), QSize(200, 200));
  EXPECT_EQ(view->BackView.size(), QSize(200, 200));
}

// The span table is 200 rows of 200 spans by its types alone.
static_assert(DollRows == 200 && std::tuple_size_v<ColumnSpanRow> == 200);

TEST(SceneState, RecordsHaveTheirDeclaredLayout) {
  EXPECT_EQ(sizeof(ColumnSpan), 24u);
}
