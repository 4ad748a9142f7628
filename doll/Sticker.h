// A picture laid on the doll's skin as a sticker: over a rectangle of a view, each texel whose
// centre shows inside it takes the picture's colour there, through the same mapping as a dab.
#pragma once

#include <QImage>
#include <QSize>

#include "Painting.h"

// A sticker's picture (Format_ARGB32, its alpha kept) and a smooth shrink of it to the size it
// is laid at, kept while that size stays.
class TStickerPicture {
 public:
  explicit TStickerPicture(QImage picture);

  // The size, in view pixels, of the sticker `width` view pixels wide: the picture's aspect
  // kept, at least 1 × 1.
  QSize SizeAt(int width) const;

  // The picture area-averaged to `size` (at least 1 × 1) as a dropped picture is, but weighted
  // by alpha so that no transparent pixel's colour bleeds into what shows; or the picture
  // itself where it is no larger than `size` in either direction.
  const QImage& ShrunkTo(QSize size);

 private:
  QImage FPicture;
  QImage FShrunk;
};

// Lays `picture` (Format_ARGB32, as ShrunkTo gives it) over the rectangle of `size` view pixels
// centred on `centre` in its view, at its rotation, on `skin`, the full-size skin of `doll` at
// rest: each texel that a doll pixel of that view shows (through its column stretch and, on a
// nested doll, its nesting rows) whose centre shows inside the rectangle takes the picture's
// pixel at that point, mirrored left to right when `flipped`; a transparent pixel leaves the
// texel alone, a partly transparent one blends over it by its alpha.
void PlaceSticker(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& centre, QSize size,
                  const QImage& picture, bool flipped);
