#include "ResamplerKernel.h"

#include <immintrin.h>

#include <cstring>

bool FastRowAvailable() {
  static const bool available = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return available;
}

// Each pixel's blue, green and red in three lanes of a 128-bit vector:
//   sum   = Prefix[b + 1] − Prefix[a]            whole columns a..b, exact as integers
//   sum  −= Texel[a] × FirstTrim                 fused: one rounding to float
//   sum  −= Texel[b] × LastTrim
//   byte  = truncate(clamp(sum × factor, 0, 255))
// Four pixels are then packed together to bytes, so that only one shuffle is spent per pixel.

namespace {

#define KAVINEL_FAST __attribute__((target("avx2,fma"), always_inline)) inline

KAVINEL_FAST __m128i Entry(const void* table, std::ptrdiff_t offset) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(static_cast<const char*>(table) + offset));
}

// Pixel x as 32-bit lanes blue, green, red, 0. `turn` is the rotation as a byte offset.
KAVINEL_FAST __m128i ShadePixel(const TextureRowSums& texture, const RadiusShading& spans,
                                const FourLanes* factor, int x, std::ptrdiff_t turn) {
  const std::ptrdiff_t a = turn + spans.FirstOffset[x];
  const std::ptrdiff_t b = turn + spans.LastOffset[x];
  const std::ptrdiff_t next = sizeof(FourLanes);  // Prefix[b + 1] is one entry further on
  __m128 sum =
      _mm_cvtepi32_ps(_mm_sub_epi32(Entry(texture.Prefix, b + next), Entry(texture.Prefix, a)));
  sum = _mm_fnmadd_ps(_mm_castsi128_ps(Entry(texture.Texel, a)),
                      _mm_load_ps(spans.FirstTrim[x].Lane), sum);
  sum = _mm_fnmadd_ps(_mm_castsi128_ps(Entry(texture.Texel, b)),
                      _mm_load_ps(spans.LastTrim[x].Lane), sum);
  sum = _mm_mul_ps(sum, _mm_load_ps(factor[x].Lane));
  sum = _mm_min_ps(_mm_max_ps(sum, _mm_setzero_ps()), _mm_set1_ps(255.0f));
  return _mm_cvttps_epi32(sum);
}

}  // namespace

__attribute__((target("avx2,fma"))) void ShadeRowFast(const TextureRowSums& texture,
                                                      const RadiusShading& spans, int left,
                                                      int right, int turn, int shadeLevel,
                                                      Pixel24* out) {
  const FourLanes* factor = spans.Factor[shadeLevel].data();
  const std::ptrdiff_t offset = turn * static_cast<std::ptrdiff_t>(sizeof(FourLanes));
  const __m128i drop = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int x = left;
  // Sixteen bytes per four pixels: the last four belong to the next pixels and are written
  // again in the next step, so this runs only while two more pixels follow.
  for (; x + 5 <= right; x += 4) {
    const __m128i low = _mm_packus_epi32(ShadePixel(texture, spans, factor, x, offset),
                                         ShadePixel(texture, spans, factor, x + 1, offset));
    const __m128i high = _mm_packus_epi32(ShadePixel(texture, spans, factor, x + 2, offset),
                                          ShadePixel(texture, spans, factor, x + 3, offset));
    const __m128i bytes = _mm_shuffle_epi8(_mm_packus_epi16(low, high), drop);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), bytes);
  }
  for (; x <= right; ++x) {  // the last pixels, exactly their own bytes
    const __m128i lanes = ShadePixel(texture, spans, factor, x, offset);
    const __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(lanes, lanes), lanes);
    const std::uint32_t pixel = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
    std::memcpy(out + x, &pixel, 3);
  }
}
