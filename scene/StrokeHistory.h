// The strokes of one painting, each kept as the texels it changed, so that they can be taken
// back and put back in turn, back to the start of the painting.
#pragma once

#include <cstddef>
#include <vector>

#include "framework/TavoBmp.h"

class TStrokeHistory {
 public:
  // A stroke that turned the skin `before` into `after` (both the same size): the strokes that
  // could have been put back are forgotten. One that changed nothing leaves all as it was.
  void Record(const TTavoBitmap& before, const TTavoBitmap& after);
  // Takes the last stroke back out of `skin`; false when there is none.
  bool Undo(TTavoBitmap& skin);
  // Lays the last stroke taken back on `skin` again; false when there is none.
  bool Redo(TTavoBitmap& skin);

  std::size_t UndoCount() const { return FDone; }
  std::size_t RedoCount() const { return FStrokes.size() - FDone; }

 private:
  struct TTexel {
    int X;
    int Y;
    Pixel24 Before;
    Pixel24 After;
  };
  using TStroke = std::vector<TTexel>;
  std::vector<TStroke> FStrokes;
  std::size_t FDone = 0;  // strokes in effect: FStrokes[0..FDone)
};
