#include "StrokeHistory.h"

void TStrokeHistory::Record(const TTavoBitmap& before, const TTavoBitmap& after) {
  TStroke stroke;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x)
      if (const Pixel24 was = before.Rows[y][x], is = after.Rows[y][x]; !SameColour(was, is))
        stroke.push_back({x, y, was, is});
  if (stroke.empty()) return;
  FStrokes.resize(FDone);
  FStrokes.push_back(std::move(stroke));
  FDone = FStrokes.size();
}

bool TStrokeHistory::Undo(TTavoBitmap& skin) {
  if (FDone == 0) return false;
  for (const TTexel& texel : FStrokes[--FDone]) skin.Rows[texel.Y][texel.X] = texel.Before;
  return true;
}

bool TStrokeHistory::Redo(TTavoBitmap& skin) {
  if (FDone == FStrokes.size()) return false;
  for (const TTexel& texel : FStrokes[FDone++]) skin.Rows[texel.Y][texel.X] = texel.After;
  return true;
}
