// Shaping by hand: which pointer positions grab the edge, how a drag moves the outline, and
// the shape image an outline is written as.
#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "doll/Shaping.h"

namespace {

TEST(Shaping, APressWithinFourPixelsOfTheEdgeOnEitherSideGrabsIt) {
  struct Case {
    int Radius;
    int X;
    bool Grabs;
  };
  // Radius 50 covers columns 50..149; an empty row's edge is the axis, between 99 and 100.
  for (const Case& c : std::vector<Case>{{50, 46, true},
                                         {50, 45, false},
                                         {50, 53, true},
                                         {50, 54, false},
                                         {50, 146, true},
                                         {50, 153, true},
                                         {50, 154, false},
                                         {50, 100, false},
                                         {0, 96, true},
                                         {0, 95, false},
                                         {0, 103, true},
                                         {0, 104, false},
                                         {100, 0, true},
                                         {100, 4, false},
                                         {100, 199, true},
                                         {100, -4, true}})
    EXPECT_EQ(GrabsEdge(c.Radius, c.X), c.Grabs) << "radius " << c.Radius << ", column " << c.X;
}

TEST(Shaping, TheDraggedRowFollowsThePointerAndItsNeighboursFollowSmoothly) {
  struct Case {
    int Others;  // every other row's radius
    int Pressed;
    int X;
    std::array<int, 4> AtDistance;  // 0, 6, 12 and 13 rows away, on both sides
  };
  const std::vector<Case> cases{
      {50, 50, 159, {60, 56, 50, 50}},       // pulled out by 10
      {50, 50, 40, {60, 56, 50, 50}},        // the same from the left side
      {50, 50, 199, {100, 78, 51, 50}},      // out to the view's edge
      {50, 50, 100, {1, 23, 49, 50}},        // pushed in to the axis: a radius of 1
      {100, 60, 199, {100, 100, 100, 100}},  // neighbours held at 100
      {0, 50, 99, {1, 0, 0, 0}},             // neighbours held at 0
      {0, 0, 129, {30, 17, 0, 0}},           // an empty row pulled out from the axis
      {0, 0, -30, {100, 56, 1, 0}},          // a pointer outside the view: 100 at most
  };
  constexpr int Row = 100;
  for (const Case& c : cases) {
    DollProfile start;
    start.fill(c.Others);
    start[Row] = c.Pressed;
    const DollProfile dragged = DraggedProfile(start, Row, PointerRadius(c.X));
    for (int i = 0; i < 4; ++i) {
      const int d = std::array{0, 6, 12, 13}[i];
      EXPECT_EQ(dragged[Row - d], c.AtDistance[i]) << "column " << c.X << ", " << d << " above";
      EXPECT_EQ(dragged[Row + d], c.AtDistance[i]) << "column " << c.X << ", " << d << " below";
    }
  }
}

TEST(Shaping, AnOutlineWrittenAsAShapeImageReadsBackExactly) {
  ScratchFolder folder(true);
  std::mt19937 random(18);
  DollProfile profile;
  for (auto& r : profile) r = static_cast<int>(random() % (MaxRadius + 1));
  profile[0] = 0;
  profile[1] = MaxRadius;
  TTavoBitmap shape;
  PaintOutline(profile, shape);
  shape.SaveToFile(ShapeFileName);
  TTavoBitmap file;
  file.LoadFromFileAuto(ShapeFileName);
  EXPECT_EQ(file.size(), QSize(100, 200));
  EXPECT_EQ(ReadBytes(ShapeFileName).at(28), 24);  // bits per pixel
  EXPECT_EQ(ReadShapeProfile(ShapeFileName), profile);
}

}  // namespace
