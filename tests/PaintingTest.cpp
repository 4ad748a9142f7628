// Painting by hand, checked against the renderer: the doll pixels under a brush show its
// colour, and no texel changes that no pixel under the brush shows, on the outer doll and on a
// nested one, on either view, at any rotation, dab by dab, along a line and on a turning doll.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "DollModel.h"
#include "TestFiles.h"
#include "doll/Geometry.h"
#include "doll/Nesting.h"
#include "doll/Painting.h"
#include "doll/Resampler.h"
#include "doll/ShapeProfile.h"

namespace {

constexpr Pixel24 Paint{10, 200, 60};

// A row of the dab tables: where, on which view at which rotation, how wide, on which level.
struct TDab {
  QPointF at;
  bool back;
  int rotation;
  int diameter;
  int level;
};

class Painting : public ::testing::Test {
 protected:
  // A bulging doll of `level` with a random full-size skin, shown at rest.
  void Show(int level) {
    for (int y = 0; y < DollRows; ++y)
      doll->View.DisplayedProfile[y] = 30 + static_cast<int>(60 * std::sin(3.14159 * y / 199));
    TestOpenability(*doll);
    ASSERT_TRUE(doll->Openable);
    for (doll->DollLevel = 1; doll->DollLevel < level; ++doll->DollLevel)
      doll->View.DisplayedProfile = NestedProfile(doll->View.DisplayedProfile, doll->SplitRow);
    doll->View.RefreshGeometry();
    skin.SetSizeBlank(TextureColumns, DollRows);
    const auto random = RandomTexture(7);
    for (int y = 0; y < DollRows; ++y)
      for (int x = 0; x < TextureColumns; ++x) skin.Rows[y][x] = random[y][x];
    original.SetSizeBlank(TextureColumns, DollRows);
    skin.DrawOn(original, 0, 0);
  }
  // The skin as the views show it: nested as often as the level is deep.
  void ShowSkin() {
    TTavoBitmap shown, nested;
    shown.SetSizeBlank(TextureColumns, DollRows);
    skin.DrawOn(shown, 0, 0);
    for (int n = 1; n < doll->DollLevel; ++n) {
      nested.SetSizeBlank(TextureColumns, DollRows);
      NestSkin(shown, nested, doll->SplitRow);
      nested.DrawOn(shown, 0, 0);
    }
    shown.DrawOn(doll->Texture, 0, 0);
  }
  // The full-size texels that view pixel (x, y) at `rotation` takes a part of.
  std::set<std::pair<int, int>> Seen(int x, int y, int rotation) const {
    std::set<int> rows{y};
    for (int n = 1; n < doll->DollLevel; ++n) {
      std::set<int> parents;
      for (const int r : rows)
        for (int p = NestedRowSources(r, doll->SplitRow).First;
             p <= NestedRowSources(r, doll->SplitRow).Last; ++p)
          parents.insert(p);
      rows = parents;
    }
    std::set<std::pair<int, int>> texels;
    const ColumnSpan& span = doll->View.ColumnMap[y][x];
    for (const int r : rows)
      for (int c = span.First; c <= span.Last; ++c)
        texels.insert({r, (rotation + c) % TextureColumns});
    return texels;
  }
  // The pixels whose centres lie within the brush, by the plain rule.
  static bool Under(int x, int y, QPointF at, double diameter) {
    const double dx = x + 0.5 - at.x(), dy = y + 0.5 - at.y();
    return dx * dx + dy * dy <= diameter * diameter / 4.0;
  }
  // Renders the painted skin into the view and checks every doll pixel within `shown` of any
  // of `points` at the last rotation, and that every texel that changed is one a pixel within
  // `reach` of one of them shows.
  void Check(const std::vector<TViewPoint>& points, double reach, double shown) {
    ShowSkin();
    const TViewPoint& last = points.back();
    TTavoBitmap& view = last.Back ? doll->View.BackView : doll->View.FrontView;
    RenderView(doll->View, doll->Texture, view, last.Rotation, doll->ShadeLevel);
    std::set<std::pair<int, int>> allowed;
    int covered = 0;
    for (int y = 0; y < DollRows; ++y)
      for (int x = doll->View.Left[y]; x <= doll->View.Right[y]; ++x)
        for (const TViewPoint& point : points) {
          if (!Under(x, y, point.At, reach)) continue;
          const auto seen = Seen(x, y, point.Rotation);
          allowed.insert(seen.begin(), seen.end());
          if (point.Rotation != last.Rotation || Seen(x, y, 0).empty()) continue;
          if (!Under(x, y, point.At, shown)) continue;
          const Pixel24 pixel = view.Rows[y][x];
          ++covered;
          for (const auto& [got, want] : {std::pair{pixel.Red, Paint.Red},
                                          {pixel.Green, Paint.Green},
                                          {pixel.Blue, Paint.Blue}})
            EXPECT_TRUE(got == want || got + 1 == want) << "pixel " << x << ", " << y;
        }
    EXPECT_GT(covered, 0);
    for (int y = 0; y < DollRows; ++y)
      for (int x = 0; x < TextureColumns; ++x)
        if (!(skin.Rows[y][x] == original.Rows[y][x])) {
          EXPECT_TRUE(allowed.count({y, x})) << "texel " << x << ", " << y << " changed";
        }
  }

  std::unique_ptr<TDoll> doll = std::make_unique<TDoll>();
  TTavoBitmap skin, original;
};

TEST_F(Painting, TheDollPixelsUnderADabShowItsColourAndNothingElseChanges) {
  const TDab rows[] = {
      {{100, 100}, false, 0, 4, 1},  {{37.3, 120.6}, false, 0, 16, 1},
      {{160, 60}, true, 125, 8, 1},  {{20.5, 100.5}, false, 240, 2, 1},  // across the seam
      {{100, 10}, true, 374, 16, 1}, {{130.2, 90.7}, false, 77, 8, 2},
      {{70, 150}, true, 300, 16, 2}, {{100, 100}, false, 249, 4, 2},
      {{100, 1}, false, 60, 16, 1},  {{100, 199}, true, 60, 16, 1},  // the top and bottom rows
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.at.x() << ", " << row.at.y() << " level " << row.level
                                    << " rotation " << row.rotation);
    Show(row.level);
    const TViewPoint point{row.at, row.back, row.rotation};
    PaintDab(*doll, skin, point, row.diameter, {Paint});
    Check({point}, row.diameter, row.diameter);
  }
}

TEST_F(Painting, AMirroredDabPaintsItsMirrorImageToo) {
  const TDab rows[] = {
      {{37.3, 120.6}, false, 240, 2, 1}, {{150.5, 80.2}, true, 5 + 125, 4, 1},
      {{60.7, 100.1}, false, 5, 8, 2},   {{130.2, 140.7}, true, 240 + 125, 16, 2},
      {{96.4, 60.5}, false, 240, 16, 1},  // over the axis, meeting its image
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.at.x() << ", " << row.at.y() << " level " << row.level
                                    << " rotation " << row.rotation);
    Show(row.level);
    const TViewPoint point{row.at, row.back, row.rotation};
    PaintDab(*doll, skin, point, row.diameter, {Paint, nullptr, true});
    const TViewPoint image{{ViewSize - row.at.x(), row.at.y()}, row.back, row.rotation};
    Check({point, image}, row.diameter, row.diameter);
  }
}

TEST_F(Painting, LinesAndTurnsLeaveNoGap) {
  for (const int level : {1, 2}) {
    SCOPED_TRACE(level);
    Show(level);
    TViewPoint from{{60, 80}, false, 30};
    PaintDab(*doll, skin, from, 8, {Paint});
    PaintLine(*doll, skin, from, {140, 95}, 8, {Paint});
    std::vector<TViewPoint> points;
    for (int i = 0; i <= 800; ++i)
      points.push_back({{60 + i / 10.0, 80 + 15 * i / 800.0}, false, 30});
    // Dabs four pixels apart still cover every pixel within two of the line.
    Check(points, 8.2, 4);

    Show(level);
    const TViewPoint held{{100, 120}, true, 240 + 125};
    PaintDab(*doll, skin, held, 2, {Paint});
    PaintTurn(*doll, skin, held, 20 + 125, 2, {Paint});  // across the seam, 30 columns on
    std::vector<TViewPoint> turned;
    for (int r = 240; r <= 250 + 20; ++r) turned.push_back({held.At, true, r + 125});
    Check(turned, 2, 2);
  }
}

TEST_F(Painting, TheEraserPaintsBackTheSkinAndThePickerReadsIt) {
  Show(1);
  const TViewPoint point{{110, 100}, false, 50};
  PaintDab(*doll, skin, point, 16, {Paint});
  PaintDab(*doll, skin, point, 16, {.Eraser = &original});
  for (int y = 0; y < DollRows; ++y)
    for (int x = 0; x < TextureColumns; ++x) ASSERT_EQ(skin.Rows[y][x], original.Rows[y][x]);
  PaintDab(*doll, skin, point, 4, {Paint});
  ShowSkin();
  EXPECT_EQ(SkinColourAt(*doll, point), std::optional<Pixel24>(Paint));
  EXPECT_EQ(SkinColourAt(*doll, {{2, 100}, false, 50}), std::nullopt);  // off the doll
}

}  // namespace
