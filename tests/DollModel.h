// An independent, deliberately plain model of the doll's geometry and rendering rules, used
// to check the program's faster code pixel for pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "doll/DollTypes.h"

// The span of view pixel x on a row of radius r (r >= 1, 100 − r <= x <= 99 + r).
ColumnSpan ModelSpan(int x, int r);

// One rendered pixel from a texture row of 250 texels.
Pixel24 ModelPixel(const std::vector<Pixel24>& textureRow, const ColumnSpan& s, int rotation,
                   int shadeLevel);

// A 250 × 200 texture of random texels from `seed`, as rows of pixels.
std::vector<std::vector<Pixel24>> RandomTexture(std::uint32_t seed);

// Makes `bitmap` (a doll's Texture, say) the picture `texture`, given as rows of pixels, sized
// to it.
void SetTexture(TTavoBitmap& bitmap, const std::vector<std::vector<Pixel24>>& texture);
