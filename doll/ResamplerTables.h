// Tables that let the resampler's fast path replace per-pixel work by look-ups, each with
// the exact condition under which it gives the very same bits as the plain rules.
#pragma once

#include <array>
#include <cstdint>

#include "DollTypes.h"
#include "framework/TavoBmp.h"

// One texture row laid out twice in a row (columns 0..499), so that a stretch across the
// seam is an ordinary range: a prefix sum per channel and the texels as floats, four lanes
// per column in blue, green, red, zero order.
struct TextureRowSums {
  alignas(16) std::int32_t Prefix[2 * TextureColumns + 1][4];  // sum of columns 0..i−1
  alignas(16) float Texel[2 * TextureColumns][4];
};

// Makes `sums` the sums of `row`, TextureColumns pixels.
void BuildRowSums(const Pixel24* row, TextureRowSums& sums);

// A value repeated in four lanes, one per colour channel and one spare.
struct alignas(16) FourLanes {
  float Lane[4];
};

// The spans of one radius as the fast path reads them: texture columns as byte offsets
// into TextureRowSums rows, the trims and the shading factor of every shade level repeated
// across four lanes, so that two neighbouring pixels are one 32-byte load.
struct RadiusShading {
  // True when every trim lies on the grid of 2^-37 within [0, 1] (FirstTrim at most
  // 1 − 2^-14). Then every sum stays below 2^16, each trim subtraction is exact in double,
  // and rounding the exact value once to float (a fused multiply-add) gives the same bits
  // as the double arithmetic followed by a store to float.
  bool FusedIsExact = false;
  std::array<std::ptrdiff_t, ViewSize> FirstOffset{};  // 16 × First
  std::array<std::ptrdiff_t, ViewSize> LastOffset{};   // 16 × Last
  std::array<FourLanes, ViewSize> FirstTrim{};
  std::array<FourLanes, ViewSize> LastTrim{};
  std::array<std::array<FourLanes, ViewSize>, ShadeLevels> Factor{};  // per ShadeLevel
};

// The tables of `radius`, worked out for every radius the first time any is asked for.
const RadiusShading& ShadingForRadius(int radius);

// factor = (shadeLevel × (Light − 1) + 5) / (Width × 5), in double, stored as float.
float ShadingFactor(const ColumnSpan& span, int shadeLevel);
