// The bucket fill on skins drawn from rectangles, each row with the exact texels it must
// change; and the texel a view pixel shows, which seeds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "DollModel.h"
#include "TestFiles.h"
#include "doll/Fill.h"
#include "doll/Nesting.h"
#include "doll/ShapeProfile.h"

namespace {

constexpr Pixel24 Grey{100, 100, 100};   // the skin's ground
constexpr Pixel24 Paint{100, 100, 110};  // within tolerance of the ground, so no fill may rest on
                                         // seeing its own paint
constexpr Pixel24 Red{0, 0, 200}, Blue{200, 0, 0}, Blue20{220, 20, 0}, Blue40{240, 40, 0};

// A bulging doll of `level` at rest (split row 99), shown at rotation 0.
std::unique_ptr<TDoll> BulgingDoll(int level) {
  auto doll = std::make_unique<TDoll>();
  for (int y = 0; y < DollRows; ++y)
    doll->View.DisplayedProfile[y] = 30 + static_cast<int>(60 * std::sin(3.14159 * y / 199));
  TestOpenability(*doll);
  for (doll->DollLevel = 1; doll->DollLevel < level; ++doll->DollLevel)
    doll->View.DisplayedProfile = NestedProfile(doll->View.DisplayedProfile, doll->SplitRow);
  doll->View.RefreshGeometry();
  return doll;
}

TEST(Fill, PaintsExactlyTheRegionOfTheSeedsColour) {
  const std::vector<std::pair<QRect, Pixel24>> shades{{QRect(20, 20, 40, 40), Blue},
                                                      {QRect(60, 20, 40, 40), Blue20},
                                                      {QRect(100, 20, 40, 40), Blue40}};
  const struct {
    std::vector<std::pair<QRect, Pixel24>> skin;  // drawn on Grey, in order
    QPoint seed;  // a texel; with a level, a view pixel of BulgingDoll(level)
    int tolerance;
    std::vector<QRect> changed;
    int level = 0;
    bool erases = false;
  } rows[] = {
      // Across the seam, column 249 touching column 0, with the eraser.
      {{{QRect(240, 50, 10, 30), Red}, {QRect(0, 50, 10, 30), Red}},
       {245, 60},
       32,
       {QRect(240, 50, 10, 30), QRect(0, 50, 10, 30)},
       0,
       true},
      // A stripe from the top row to the bottom with an arm along the top: the block under the
      // arm on the bottom row is not reached.
      {{{QRect(100, 0, 10, 200), Red}, {QRect(110, 0, 20, 5), Red}, {QRect(120, 195, 10, 5), Red}},
       {105, 100},
       32,
       {QRect(100, 0, 10, 200), QRect(110, 0, 20, 5)}},
      // Shades 20 apart: the tolerance counts from the seed's colour, not a neighbour's.
      {shades, {30, 30}, 20, {QRect(20, 20, 80, 40)}},
      {shades, {30, 30}, 19, {QRect(20, 20, 40, 40)}},
      // Whole rows round the seam, in a paint within tolerance of the ground.
      {{{QRect(0, 0, 250, 100), Red}}, {10, 150}, 32, {QRect(0, 100, 250, 100)}},
      // View row 50 of the nested doll is made from full-size row 99 + (50 − 99) / 0.8 ≈ 38;
      // the middle of the front, column 62, is a quarter turn on.
      {{{QRect(55, 37, 15, 3), Red}}, {100, 50}, 32, {QRect(55, 37, 15, 3)}, 2},
  };
  TTavoBitmap eraser, skin, original;
  SetTexture(eraser, RandomTexture(3));
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "seed " << row.seed.x() << ", " << row.seed.y());
    skin.SetSizeFilled(TextureColumns, DollRows, Grey);
    for (const auto& [rect, colour] : row.skin)
      for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) skin.Rows[y][x] = colour;
    original.SetSizeBlank(TextureColumns, DollRows);
    skin.DrawOn(original, 0, 0);
    QPoint seed = row.seed;
    if (row.level)
      seed = SkinTexelAt(*BulgingDoll(row.level), {seed + QPointF(0.5, 0.5), false, 0}).value();
    FillSkin(skin, seed, row.tolerance, row.erases ? TPaint{.Eraser = &eraser} : TPaint{Paint});
    for (int y = 0; y < DollRows; ++y)
      for (int x = 0; x < TextureColumns; ++x) {
        const bool changed = std::any_of(row.changed.begin(), row.changed.end(),
                                         [&](const QRect& r) { return r.contains(x, y); });
        const Pixel24 want = !changed     ? original.Rows[y][x]
                             : row.erases ? eraser.Rows[y][x]
                                          : Paint;
        ASSERT_TRUE(skin.Rows[y][x] == want) << "texel " << x << ", " << y;
      }
  }
}

TEST(Fill, ASeedIsTheTexelAtTheMiddleOfThePixelsStretch) {
  const struct {
    QPointF at;
    bool back;
    int rotation;
    int level;
    std::optional<QPoint> texel;
  } rows[] = {
      // The front's middle shows column 62, a quarter turn on; 240 on is across the seam.
      {{100.5, 100.5}, false, 240, 1, QPoint(52, 100)},
      {{100.5, 100.5}, true, 240 + 125, 1, QPoint(177, 100)},
      // The leftmost pixel of row 100 shows columns 0 up to 5.47; its middle is column 2.
      {{11.5, 100.5}, false, 248, 1, QPoint(0, 100)},
      {{5, 100}, false, 0, 1, std::nullopt},  // off the doll
      // Shrunk by 0.8 about split row 99, view row 52 is made from rows 40 and 41
      // (99 + (52 − 99) / 0.8 ≈ 40.2): the middle rounds down; twice, row 50 from row 23.
      {{100.5, 52.5}, false, 0, 2, QPoint(62, 40)},
      {{100.5, 50.5}, false, 0, 3, QPoint(62, 23)},
      {{100.5, 10.5}, false, 0, 2, std::nullopt},  // above the nested doll
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.at.x() << ", " << row.at.y() << " level " << row.level);
    EXPECT_EQ(SkinTexelAt(*BulgingDoll(row.level), {row.at, row.back, row.rotation}), row.texel);
  }
}

}  // namespace
