// Where a window opens beside the main window: on screens at scale 1 and 2 (half the logical
// pixels), a small one too, it lies wholly inside the screen's available area, on the side
// each row expects and never over the main window and its views, or is left to the window
// system where no side has room.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/TavoWindows.h"

namespace {

enum class TSide { Right, Left, Below, None };

// The main window's 500 × 300 client area in a frame of 4 pixels and a 28-pixel title bar.
QRect MainFrameAt(int left, int top) {
  return {left, top, 508, 332};
}

TEST(PlaceBeside, OpensOnTheFirstSideWithRoomInsideTheScreenAndNeverOverTheMainWindow) {
  const QSize shelf(568, 452);
  const QSize tools(240, 380);
  const QRect full(0, 0, 1920, 1040);  // 1920 × 1080 at scale 1, a panel at the bottom
  const QRect scaled(0, 0, 960, 520);  // the same at scale 2
  const QRect small(0, 0, 1024, 728);  // 1024 × 768 at scale 1
  const QRect portrait(0, 0, 800, 1240);
  const struct {
    const char* Name;
    QRect Available;
    QRect Main;
    QSize Size;
    TSide Side;
  } rows[] = {
      {"shelf, scale 1, centred", full, MainFrameAt(706, 354), shelf, TSide::Right},
      {"tools, scale 1, centred", full, MainFrameAt(706, 354), tools, TSide::Right},
      {"shelf, scale 1, at the right edge", full, MainFrameAt(1412, 0), shelf, TSide::Left},
      {"shelf, scale 1, low on the screen", full, MainFrameAt(0, 700), shelf, TSide::Right},
      {"shelf, scale 2, centred", scaled, MainFrameAt(226, 94), shelf, TSide::None},
      {"tools, scale 2, centred", scaled, MainFrameAt(226, 94), tools, TSide::None},
      {"tools, scale 2, at the left edge", scaled, MainFrameAt(0, 94), tools, TSide::Right},
      {"tools, scale 2, at the right edge", scaled, MainFrameAt(452, 94), tools, TSide::Left},
      {"shelf, small screen, centred", small, MainFrameAt(258, 198), shelf, TSide::None},
      {"tools, small screen, centred", small, MainFrameAt(258, 198), tools, TSide::Right},
      {"shelf, portrait, at the top", portrait, MainFrameAt(100, 0), shelf, TSide::Below},
      {"shelf, larger than the screen", scaled, MainFrameAt(0, 0), {1000, 600}, TSide::None},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const QRect placed = PlaceBeside(row.Main, row.Size, row.Available);
    if (row.Side == TSide::None) {
      EXPECT_TRUE(placed.isNull());
      continue;
    }
    EXPECT_EQ(placed.size(), row.Size);
    EXPECT_TRUE(row.Available.contains(placed));
    EXPECT_FALSE(placed.intersects(row.Main));
    const TSide side = placed.left() > row.Main.right()   ? TSide::Right
                       : placed.right() < row.Main.left() ? TSide::Left
                       : placed.top() > row.Main.bottom() ? TSide::Below
                                                          : TSide::None;
    EXPECT_EQ(side, row.Side);
    // Beside, level with the main window's top where the screen lets it.
    if (side != TSide::Below) {
      EXPECT_EQ(placed.top(),
                std::min(row.Main.top(), row.Available.bottom() + 1 - row.Size.height()));
    }
  }
}

}  // namespace
