// Wrapping the texture round the doll: every view pixel inside the doll gets the mean colour
// of its stretch of texture columns, turned by the rotation and shaded by ShadeLevel.
#pragma once

#include <cstdint>

#include "SceneState.h"

// Paints columns Left[y]..Right[y] of every row of `view` from Texture, as ColumnMap gives
// them, turned by `rotation` texture columns (at least 0; the back view passes up to 374).
void RenderView(TTavoBitmap& view, std::int32_t rotation);

// Truncates towards zero, then clamps to 0..255: 254.99 gives 254, −0.7 gives 0.
std::uint8_t ClampToByte(float v);
