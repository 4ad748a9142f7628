#include "Shaping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

constexpr int Axis = ViewSize / 2;  // between columns 99 and 100

// Twice the distance of column x's centre from the axis: whole numbers only.
int DoubleDistance(int x) {
  return std::abs(2 * x + 1 - 2 * Axis);
}

// The weight of the change at `distance` rows from the pressed one: 1 there, 0 at 13.
double Weight(int distance) {
  const double c = std::cos(std::numbers::pi * distance / (2 * (DragReach + 1)));
  return c * c;
}

}  // namespace

int PointerRadius(int x) {
  return std::min((DoubleDistance(x) + 1) / 2, MaxRadius);  // halves round up
}

bool GrabsEdge(int radius, int x) {
  return std::abs(DoubleDistance(x) - 2 * radius) < 2 * EdgeGrabDistance;
}

DollProfile DraggedProfile(const DollProfile& start, int row, int radius) {
  DollProfile profile = start;
  const int change = radius - start.at(static_cast<std::size_t>(row));
  for (int d = -DragReach; d <= DragReach; ++d) {
    const int y = row + d;
    if (y < 0 || y >= DollRows) continue;
    const double moved = start[y] + change * Weight(std::abs(d));
    profile[y] = std::clamp(static_cast<int>(std::lround(moved)), 0, MaxRadius);
  }
  return profile;
}

void PaintOutline(const DollProfile& profile, TTavoBitmap& shape) {
  shape.SetSizeFilled(MaxRadius, DollRows, FrameColour);
  for (int y = 0; y < DollRows; ++y) {
    Pixel24* row = shape.Rows[y].Data();
    std::fill(row, row + std::clamp(profile[y], 0, MaxRadius), KeyColour);
  }
}
