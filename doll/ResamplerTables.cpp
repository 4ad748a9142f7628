#include "ResamplerTables.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "Geometry.h"

namespace {

// A trim the fused path can take: on the grid of 2^-37, within [0, limit].
bool OnFineGrid(float trim, double limit) {
  const double scaled = std::ldexp(static_cast<double>(trim), 37);
  return trim >= 0 && trim <= limit && scaled == std::floor(scaled);
}

FourLanes Repeated(float v) {
  return FourLanes{{v, v, v, v}};
}

RadiusShading MakeShading(int radius) {
  const ColumnSpanRow& spans = ColumnSpansForRadius(radius);
  RadiusShading s;
  s.FusedIsExact = true;
  for (int x = ViewSize / 2 - radius; x < ViewSize / 2 + radius; ++x) {
    const ColumnSpan& span = spans[x];
    s.FirstOffset[x] = span.First * static_cast<std::ptrdiff_t>(sizeof(FourLanes));
    s.LastOffset[x] = span.Last * static_cast<std::ptrdiff_t>(sizeof(FourLanes));
    s.FirstTrim[x] = Repeated(span.FirstTrim);
    s.LastTrim[x] = Repeated(span.LastTrim);
    for (int level = 0; level < ShadeLevels; ++level)
      s.Factor[level][x] = Repeated(ShadingFactor(span, level));
    s.FusedIsExact = s.FusedIsExact && span.First >= 0 && span.First <= span.Last &&
                     span.Last < TextureColumns && OnFineGrid(span.FirstTrim, 1.0 - 0x1p-14) &&
                     OnFineGrid(span.LastTrim, 1.0);
  }
  return s;
}

}  // namespace

void BuildRowSums(const Pixel24* row, TextureRowSums& sums) {
  for (int lane = 0; lane < 4; ++lane) sums.Prefix[0][lane] = 0;
  for (int i = 0; i < 2 * TextureColumns; ++i) {
    const Pixel24& p = row[i % TextureColumns];
    const std::int32_t texel[4] = {p.Blue, p.Green, p.Red, 0};
    for (int lane = 0; lane < 4; ++lane) {
      sums.Texel[i][lane] = static_cast<float>(texel[lane]);
      sums.Prefix[i + 1][lane] = sums.Prefix[i][lane] + texel[lane];
    }
  }
}

float ShadingFactor(const ColumnSpan& span, int shadeLevel) {
  return static_cast<float>((shadeLevel * (static_cast<double>(span.Light) - 1) + 5) /
                            (static_cast<double>(span.Width) * 5));
}

const RadiusShading& ShadingForRadius(int radius) {
  CheckIndex(radius, MaxRadius + 1);
  // A static's first initialisation runs once, whichever threads reach it.
  static const auto shadings = [] {
    auto all = std::make_unique<std::array<RadiusShading, MaxRadius + 1>>();
    for (int r = 0; r <= MaxRadius; ++r) (*all)[r] = MakeShading(r);
    return all;
  }();
  return (*shadings)[radius];
}
