// The scene starts at rest: checked in a process of its own, before anything changes it.
#include <gtest/gtest.h>

#include <array>
#include <bit>

#include "doll/SceneState.h"

TEST(SceneState, StartsWithTheDocumentedValues) {
  EXPECT_EQ(RotationOffset, 0);
  EXPECT_EQ(ShadeLevel, 0);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(InnerScale), 0x3F4CCCCDu);  // nearest float to 0.8
  EXPECT_EQ(static_cast<double>(InnerScale), 0.800000011920929);
  EXPECT_FALSE(Openable);
  EXPECT_EQ(SplitRow, 0);
  EXPECT_EQ(OpenProgress, 200);  // at rest until the first opening
  EXPECT_EQ(Direction, "右回り");
  for (const auto& row : ColumnMap)
    for (const ColumnSpan& span : row) ASSERT_EQ(span.First + span.Last + span.Width, 0);
  EXPECT_EQ(FrontView, nullptr);
  EXPECT_EQ(TextureCopy, nullptr);
}

// The span table is 200 rows of 200 spans by its types alone.
static_assert(DollRows == 200 && std::tuple_size_v<ColumnSpanRow> == 200);

TEST(SceneState, RecordsHaveTheirDeclaredLayout) {
  EXPECT_EQ(sizeof(ColumnSpan), 24u);
  EXPECT_EQ(sizeof(StreakParticle), 16u);
}
