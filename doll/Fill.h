// Filling a field of one colour on the skin of the doll at rest, as a bucket pours paint: in
// the skin's own texture space, whatever the view shows of it.
#pragma once

#include <QPoint>
#include <optional>

#include "Painting.h"

// The texel of the full-size skin (x the texture column, y the row) that the view pixel under
// `point` shows: ShownTexelAt's column; on a nested doll, the middle one of the full-size rows its
// view row is made from, nesting by nesting. Nothing off the doll, nor on a nested row that no
// full-size row is made into.
std::optional<QPoint> SkinTexelAt(const TDoll& doll, const TViewPoint& point);

// Paints the region of `skin` (250 × 200) around `seed`: the texels reached from it through
// their four neighbours, wrapping across the seam (column 249 touches column 0) but not from
// the top row to the bottom, whose largest per-channel difference from the seed texel's colour
// is at most `tolerance` (0–255).
void FillSkin(TTavoBitmap& skin, QPoint seed, int tolerance, const TPaint& paint);
