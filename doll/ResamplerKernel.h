// The resampler's fast path for one row, in vector instructions.
#pragma once

#include "ResamplerTables.h"

// Whether this processor has the instructions the fast path uses (AVX2 and FMA).
bool FastRowAvailable();

// Paints view columns left..right of one row. `turn` is the rotation reduced to 0..249;
// the radius's spans must hold for every column of the range and FusedIsExact be true.
void ShadeRowFast(const TextureRowSums& texture, const RadiusShading& spans, int left, int right,
                  int turn, int shadeLevel, Pixel24* out);
