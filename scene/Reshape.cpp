#include "Reshape.h"

#include "Scene.h"
#include "doll/Geometry.h"
#include "doll/ShapeProfile.h"
#include "doll/Shaping.h"

namespace {

struct TReshape {
  bool UnderWay = false;
  int Row = 0;
  DollProfile Start{};  // the outline read from the files
  DollProfile Now{};
};

TReshape Drag;

void ShowOutline(const DollProfile& profile) {
  DisplayedProfile = profile;
  RefreshGeometry();
}

}  // namespace

bool CanReshapeAt(int row, int x) {
  return DollAsRead && OpenProgress == OpenProgressAtRest && row >= 0 && row < DollRows &&
         GrabsEdge(DisplayedProfile[row], x);
}

bool BeginReshape(int row, int x) {
  if (!CanReshapeAt(row, x)) return false;
  Drag = {true, row, DisplayedProfile, DisplayedProfile};
  return true;
}

void DragReshape(int x) {
  if (!Drag.UnderWay) return;
  const DollProfile dragged = DraggedProfile(Drag.Start, Drag.Row, PointerRadius(x));
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
  std::string kept;
  try {
    kept = shape.SaveKeepingOld(ShapeFileName);
  } catch (...) {
    ShowOutline(Drag.Start);
    throw;
  }
  DollHistory.Record(ShapeFileName, kept);
  LoadDoll();
  return true;
}

bool ReshapeUnderWay() {
  return Drag.UnderWay;
}
