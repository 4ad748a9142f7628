// From the doll's profile to everything the renderer needs: the columns each row covers,
// the silhouettes and masks of both views, and the table of texture stretches per pixel (the
// members of TDollView that build them are defined with it here).
#pragma once

#include "DollView.h"

// The spans of a row of radius `radius`, indexed by view column; only columns
// 100 − radius .. 99 + radius are meaningful. Worked out once for every radius, the first
// time any is asked for, from whichever thread.
const std::array<ColumnSpan, ViewSize>& ColumnSpansForRadius(int radius);
