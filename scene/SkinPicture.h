// Fitting a person's picture onto the doll's skin: the half of the skin one view shows.
#pragma once

#include <QImage>

#include "doll/DollTypes.h"

// The texture columns one view shows: half a turn.
inline constexpr int SkinHalfColumns = TextureColumns / 2;

// Fits `picture` to the half of the skin a view shows, so that it looks as it did on the
// doll's widest rows where they face the viewer. There one texture column covers about
// π·R/125 screen pixels (R the doll's widest radius) and one row one pixel, so the picture
// is cut, equally from both sides, to the proportions of a π·R × 200 box and that box is
// area-averaged into 125 × 200 texture pixels (no aliasing when a large photo shrinks).
// Returns a Format_BGR888 picture of 125 × 200.
QImage FitToSkinHalf(const QImage& picture, int widestRadius);

// Whether the part of a picture of `size` that FitToSkinHalf keeps still holds twice the half
// in each direction (250 × 400 pixels): what a picture may be shrunk to before the fit
// without the fit's averaging losing anything it would show.
bool HoldsTwiceTheSkinHalf(QSize size, int widestRadius);

// Paints `half` (125 × 200) into `skin` from texture column `firstColumn` on, wrapping round
// at 250; all 200 rows, the other columns untouched.
void PaintSkinHalf(TTavoBitmap& skin, const QImage& half, int firstColumn);
