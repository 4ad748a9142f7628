// Wrapping the skin round the doll: every view pixel inside the doll gets the mean colour of
// its stretch of texture columns, turned by the rotation and shaded by the shade level.
#pragma once

#include <cstdint>

#include "DollView.h"
#include "Skin.h"

// Paints columns Left[y]..Right[y] of every row of `view` (ViewSize × ViewSize; the doll's
// own front or back view, or any other) from `texture`, as the doll's ColumnMap gives them,
// turned by `rotation` texture columns (at least 0; the back view passes up to 374) and shaded
// at `shadeLevel`.
void RenderView(const TDollView& doll, const TSkin& texture, TTavoBitmap& view,
                std::int32_t rotation, std::int32_t shadeLevel);

// Truncates towards zero, then clamps to 0..255: 254.99 gives 254, −0.7 gives 0.
std::uint8_t ClampToByte(float v);
