// Shaping the doll at rest by dragging its edge in a view: the outline follows the pointer
// while the doll turns, and on release it is written as the shape image of the doll's level,
// the old one kept, and the level read again. A level inside the outer doll is shaped in its
// full-size outline, which the view shows nested. Widget-free: the views report the pointer
// in their own 200-pixel columns.
#pragma once

#include "doll/DollTypes.h"

class TScene;

class TReshape {
 public:
  explicit TReshape(TScene& scene) : FScene(scene) {}

  // Whether a press at view row `row`, column `x` would grab the doll's edge: only a doll at
  // rest can be shaped, on the rows its full-size outline reaches.
  bool CanReshapeAt(int row, int x) const;

  // Starts a drag at row `row` if CanReshapeAt(row, x); returns whether it started.
  bool BeginReshape(int row, int x);

  // The pressed row's edge follows the pointer in view column `x`, within a pixel where the
  // doll is nested, its neighbours with it; the views show the new outline from the next frame
  // on.
  void DragReshape(int x);

  // Ends the drag and puts the outline read from the files back; nothing is written.
  void CancelReshape();

  // Ends the drag. An outline that changed is written as the level's shape image, the one it
  // replaces kept under its first free backup name, the change recorded in DollHistory, and
  // the level read again and shown; returns whether anything was written. When the outline
  // cannot be written, the outline read from the files is shown again and the error, naming
  // the shape image, is raised.
  bool EndReshape();

  bool ReshapeUnderWay() const;

 private:
  int FullSizeRow(int row, int level) const;
  void ShowOutline(const DollProfile& fullSize);
  DollProfile DraggedTo(int radius) const;

  struct TDrag {
    bool UnderWay = false;
    int Level = 1;
    int ScreenRow = 0;    // the row pressed in the view
    int Row = 0;          // the row of the level's full-size outline it shows
    DollProfile Start{};  // the level's full-size outline as read from the files
    DollProfile Now{};
  };

  TScene& FScene;
  TDrag FDrag;
};
