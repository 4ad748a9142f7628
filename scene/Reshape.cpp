#include "Reshape.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "Scene.h"
#include "doll/Geometry.h"
#include "doll/Nest.h"
#include "doll/Opening.h"
#include "doll/ShapeProfile.h"
#include "doll/Shaping.h"

namespace {

struct TReshape {
  bool UnderWay = false;
  int Level = 1;
  int ScreenRow = 0;    // the row pressed in the view
  int Row = 0;          // the row of the level's full-size outline it shows
  DollProfile Start{};  // the level's full-size outline as read from the files
  DollProfile Now{};
};

TReshape Drag;

// The row of a full-size outline of `level` that view row `row` shows: each nesting moves
// the rows towards SplitRow by InnerScale. −1 when no row of the outline reaches it.
int FullSizeRow(int row, int level) {
  const double scale = std::pow(static_cast<double>(InnerScale), level - 1);
  const long full = SplitRow + std::lround((row - SplitRow) / scale);
  return full >= 0 && full < DollRows ? static_cast<int>(full) : -1;
}

void ShowOutline(const DollProfile& fullSize) {
  DisplayedProfile = NestedOutline(fullSize, Drag.Level);
  RefreshGeometry();
}

// Drag.Start with the pressed row dragged to the full-size radius whose nested radius on the
// pressed view row is nearest `radius`, so that the edge in the view follows the pointer; of
// two equally near, the one nearer the row's radius before the drag.
DollProfile DraggedTo(int radius) {
  DollProfile best{};
  int bestMiss = INT_MAX;
  int bestShift = INT_MAX;
  for (int full = 0; full <= MaxRadius; ++full) {
    const DollProfile dragged = DraggedProfile(Drag.Start, Drag.Row, full);
    const int miss = std::abs(NestedOutline(dragged, Drag.Level)[Drag.ScreenRow] - radius);
    const int shift = std::abs(full - Drag.Start[Drag.Row]);
    if (miss < bestMiss || (miss == bestMiss && shift < bestShift)) {
      best = dragged;
      bestMiss = miss;
      bestShift = shift;
    }
  }
  return best;
}

}  // namespace

bool CanReshapeAt(int row, int x) {
  return DollAtRest() && row >= 0 && row < DollRows && FullSizeRow(row, DollLevel) >= 0 &&
         GrabsEdge(DisplayedProfile[row], x);
}

bool BeginReshape(int row, int x) {
  if (!CanReshapeAt(row, x)) return false;
  const DollProfile& outline = *Nest.at(OutlineLevel(DollLevel)).Outline;
  Drag = {true, DollLevel, row, FullSizeRow(row, DollLevel), outline, outline};
  return true;
}

void DragReshape(int x) {
  if (!Drag.UnderWay) return;
  const DollProfile dragged = DraggedTo(PointerRadius(x));
  if (dragged == Drag.Now) return;
  Drag.Now = dragged;
  ShowOutline(Drag.Now);
}

void CancelReshape() {
  if (!Drag.UnderWay) return;
  Drag.UnderWay = false;
  ShowOutline(Drag.Start);
}

bool EndReshape() {
  if (!Drag.UnderWay) return false;
  Drag.UnderWay = false;
  if (Drag.Now == Drag.Start) return false;
  TTavoBitmap shape;
  PaintOutline(Drag.Now, shape);
  const std::string shapeName = LevelShapeName(Drag.Level);
  std::string kept;
  try {
    kept = shape.SaveKeepingOld(shapeName);
  } catch (...) {
    ShowOutline(Drag.Start);
    throw;
  }
  DollHistory.Record(shapeName, kept, Drag.Level >= 2);
  ReloadLevel(Drag.Level);
  return true;
}

bool ReshapeUnderWay() {
  return Drag.UnderWay;
}
