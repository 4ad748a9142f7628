// The doll's picture for file managers, the doll file's own thumbnail and the shelf: its front
// view at rest on a transparent ground.
#pragma once

#include <QImage>
#include <memory>

#include "DollView.h"
#include "Skin.h"

// The outer doll of `outline` wearing the top-left TextureColumns × DollRows of `skin`, ready
// to be drawn at any turn and shade; a value of its own that touches nothing else, so that any
// thread may make and draw one while other dolls are drawn.
class TDollFront {
 public:
  TDollFront(const DollProfile& outline, const TTavoBitmap& skin);

  // The front view turned to texture column `rotation` (0..249) and shaded at `shadeLevel`:
  // ViewSize × ViewSize, Format_ARGB32, opaque where the doll is and fully transparent
  // elsewhere.
  QImage Draw(int rotation, int shadeLevel);

 private:
  std::unique_ptr<TDollView> FView;  // about 1 MB: not on the stack
  TSkin FSkin;
};

// The front of the doll of `outline` and `skin`, turned to texture column 0 and unshaded.
QImage DollThumbnail(const DollProfile& outline, const TTavoBitmap& skin);
