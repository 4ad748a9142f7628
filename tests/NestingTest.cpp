// The nesting step on its own: which parent rows each row of the nested skin is made of.
#include <gtest/gtest.h>

#include <string>

#include "doll/Nesting.h"

namespace {

constexpr Pixel24 White{255, 255, 255};
constexpr Pixel24 Black{0, 0, 0};
constexpr Pixel24 Untouched{7, 7, 7};

// Each row of `skin` as one letter: B all black, W all white, U all Untouched, ? mixed.
std::string RowLetters(const TTavoBitmap& skin) {
  std::string letters;
  for (int y = 0; y < skin.height(); ++y) {
    const auto all = [&](Pixel24 colour) {
      for (int x = 0; x < skin.width(); ++x)
        if (!SameColour(skin.Rows[y][x], colour)) return false;
      return true;
    };
    letters += all(Black) ? 'B' : all(White) ? 'W' : all(Untouched) ? 'U' : '?';
  }
  return letters;
}

// One black parent row at a time: it must darken exactly the nested rows whose sources hold
// it, and NestSkin must leave the rows outside v..u, which have no sources, alone.
TEST(NestingStep, EachNestedRowIsMadeOfExactlyItsSourceRows) {
  TTavoBitmap parent, nested;
  parent.SetSizeBlank(TextureColumns, DollRows);
  nested.SetSizeBlank(TextureColumns, DollRows);
  for (int split : {0, 49, 99, 150, 199}) {
    const InnerRows inner = InnerTextureRows(split);
    for (int j = 0; j < DollRows; ++j) {
      const TRowRange sources = NestedRowSources(j, split);
      if (j < inner.First || j > inner.Last) {
        EXPECT_GT(sources.First, sources.Last) << "split " << split << ", nested row " << j;
      }
    }
    for (int black = 0; black < DollRows; ++black) {
      parent.Fill(White);
      for (int x = 0; x < TextureColumns; ++x) parent.Rows[black][x] = Black;
      nested.Fill(Untouched);
      NestSkin(parent, nested, split);
      std::string want;
      for (int j = 0; j < DollRows; ++j) {
        const TRowRange sources = NestedRowSources(j, split);
        if (j < inner.First || j > inner.Last) {
          want += 'U';
        } else {
          want += sources.First <= black && black <= sources.Last ? 'B' : 'W';
        }
      }
      EXPECT_EQ(RowLetters(nested), want) << "split " << split << ", black parent row " << black;
    }
  }
}

}  // namespace
