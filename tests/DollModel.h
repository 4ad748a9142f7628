// An independent, deliberately plain model of the doll's geometry and rendering rules, used
// to check the program's faster code pixel for pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "doll/SceneState.h"

// The span of view pixel x on a row of radius r (r >= 1, 100 − r <= x <= 99 + r).
ColumnSpan ModelSpan(int x, int r);

// One rendered pixel from a texture row of 250 texels.
Pixel24 ModelPixel(const std::vector<Pixel24>& textureRow, const ColumnSpan& s, int rotation,
                   int shadeLevel);

// A 250 × 200 texture of random texels from `seed`, as rows of pixels.
std::vector<std::vector<Pixel24>> RandomTexture(std::uint32_t seed);

// Sets up FrontView, BackView and Texture (200 × 200, 200 × 200, 250 × 200) for a test and
// releases them again.
struct SceneBitmapsForTest {
  SceneBitmapsForTest();
  ~SceneBitmapsForTest();
  void SetTexture(const std::vector<std::vector<Pixel24>>& texture);
};
