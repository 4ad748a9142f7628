#include "Reshape.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "Scene.h"
#include "doll/Nest.h"
#include "doll/Opening.h"
#include "doll/ShapeProfile.h"
#include "doll/Shaping.h"

// The row of a full-size outline of `level` that view row `row` shows: each nesting moves
// the rows towards SplitRow by InnerScale. −1 when no row of the outline reaches it.
int TReshape::FullSizeRow(int row, int level) const {
  const double scale = std::pow(static_cast<double>(InnerScale), level - 1);
  const int split = FScene.Doll.SplitRow;
  const long full = split + std::lround((row - split) / scale);
  return full >= 0 && full < DollRows ? static_cast<int>(full) : -1;
}

void TReshape::ShowOutline(const DollProfile& fullSize) {
  TDollView& view = FScene.Doll.View;
  view.DisplayedProfile = NestedOutline(fullSize, FDrag.Level, FScene.Doll.SplitRow);
  view.RefreshGeometry();
}

// FDrag.Start with the pressed row dragged to the full-size radius whose nested radius on the
// pressed view row is nearest `radius`, so that the edge in the view follows the pointer; of
// two equally near, the one nearer the row's radius before the drag.
DollProfile TReshape::DraggedTo(int radius) const {
  DollProfile best{};
  int bestMiss = INT_MAX;
  int bestShift = INT_MAX;
  for (int full = 0; full <= MaxRadius; ++full) {
    const DollProfile dragged = DraggedProfile(FDrag.Start, FDrag.Row, full);
    const int miss = std::abs(
        NestedOutline(dragged, FDrag.Level, FScene.Doll.SplitRow)[FDrag.ScreenRow] - radius);
    const int shift = std::abs(full - FDrag.Start[FDrag.Row]);
    if (miss < bestMiss || (miss == bestMiss && shift < bestShift)) {
      best = dragged;
      bestMiss = miss;
      bestShift = shift;
    }
  }
  return best;
}

bool TReshape::CanReshapeAt(int row, int x) const {
  const TDoll& doll = FScene.Doll;
  return DollAtRest(doll) && row >= 0 && row < DollRows && FullSizeRow(row, doll.DollLevel) >= 0 &&
         GrabsEdge(doll.View.DisplayedProfile[row], x);
}

bool TReshape::BeginReshape(int row, int x) {
  if (!CanReshapeAt(row, x)) return false;
  const TDoll& doll = FScene.Doll;
  const DollProfile& outline = *doll.Nest.at(OutlineLevel(doll.Nest, doll.DollLevel)).Outline;
  FDrag = {true, doll.DollLevel, row, FullSizeRow(row, doll.DollLevel), outline, outline};
  return true;
}

void TReshape::DragReshape(int x) {
  if (!FDrag.UnderWay) return;
  const DollProfile dragged = DraggedTo(PointerRadius(x));
  if (dragged == FDrag.Now) return;
  FDrag.Now = dragged;
  ShowOutline(FDrag.Now);
}

void TReshape::CancelReshape() {
  if (!FDrag.UnderWay) return;
  FDrag.UnderWay = false;
  ShowOutline(FDrag.Start);
}

bool TReshape::EndReshape() {
  if (!FDrag.UnderWay) return false;
  FDrag.UnderWay = false;
  if (FDrag.Now == FDrag.Start) return false;
  TTavoBitmap shape;
  PaintOutline(FDrag.Now, shape);
  const std::string shapePath = FScene.PathOf(LevelShapeName(FDrag.Level));
  std::string kept;
  try {
    kept = shape.SaveKeepingOld(shapePath);
  } catch (...) {
    ShowOutline(FDrag.Start);
    throw;
  }
  FScene.DollHistory.Record(shapePath, kept, FDrag.Level >= 2);
  FScene.ReloadLevel(FDrag.Level);
  return true;
}

bool TReshape::ReshapeUnderWay() const {
  return FDrag.UnderWay;
}
