#include "Resampler.h"

#include "ResamplerKernel.h"
#include "ResamplerTables.h"

// A row whose spans BuildColumnMap copied from a radius, and whose trims make the fused
// arithmetic exact, goes through the fast path (ResamplerKernel); any other row through the
// plain rules below. Both give the same bits.

namespace {

// Running sums of one pixel, one per colour, each a float after every step.
struct ColourSums {
  float Red = 0;
  float Green = 0;
  float Blue = 0;

  void Add(const Pixel24& p) {
    Red += p.Red;
    Green += p.Green;
    Blue += p.Blue;
  }
  // Takes off `part` of a texel; product and difference in double, stored as float.
  void TakeOff(const Pixel24& p, float part) {
    Red = static_cast<float>(Red - static_cast<double>(p.Red) * part);
    Green = static_cast<float>(Green - static_cast<double>(p.Green) * part);
    Blue = static_cast<float>(Blue - static_cast<double>(p.Blue) * part);
  }
};

// The column a stretch's end lands on once turned: (rotation + column) mod 250.
int Turned(std::int32_t rotation, std::int32_t column) {
  const std::int64_t turned = (std::int64_t{rotation} + column) % TextureColumns;
  if (turned < 0) throw ERangeError();  // only a hand-made span can point before column 0
  return static_cast<int>(turned);
}

Pixel24 ShadedMean(const TPixelRow& texture, const ColumnSpan& s, std::int32_t rotation,
                   std::int32_t shadeLevel) {
  const int a = Turned(rotation, s.First);
  const int b = Turned(rotation, s.Last);
  ColourSums sum;
  if (a <= b) {
    for (int column = a; column <= b; ++column) sum.Add(texture[column]);
  } else {  // the stretch crosses the seam between column 249 and column 0
    for (int column = a; column < TextureColumns; ++column) sum.Add(texture[column]);
    for (int column = 0; column <= b; ++column) sum.Add(texture[column]);
  }
  sum.TakeOff(texture[a], s.FirstTrim);
  sum.TakeOff(texture[b], s.LastTrim);
  const float factor = ShadingFactor(s, shadeLevel);
  return Pixel24{ClampToByte(sum.Blue * factor), ClampToByte(sum.Green * factor),
                 ClampToByte(sum.Red * factor)};
}

void ShadeRowPlain(const TDollView& doll, const TSkin& texture, int y, std::int32_t rotation,
                   std::int32_t shadeLevel, Pixel24* out) {
  const TPixelRow row = texture.Rows[y];
  const ColumnSpanRow& spans = doll.ColumnMap[y];
  for (int x = doll.Left[y]; x <= doll.Right[y]; ++x)
    out[x] = ShadedMean(row, spans[x], rotation, shadeLevel);
}

// The radius tables for row y when the fast path may take it, else null.
const RadiusShading* FastShading(const TDollView& doll, int y, std::int32_t shadeLevel) {
  if (!FastRowAvailable() || shadeLevel < 0 || shadeLevel >= ShadeLevels) return nullptr;
  const int radius = doll.ColumnMap.BuiltRadius(y, doll.Left[y], doll.Right[y]);
  if (radius == TColumnMap::NotBuilt) return nullptr;
  const RadiusShading& shading = ShadingForRadius(radius);
  return shading.FusedIsExact ? &shading : nullptr;
}

}  // namespace

std::uint8_t ClampToByte(float v) {
  if (!(v > 0.0f)) return 0;  // negatives truncate to at most 0
  if (v >= 255.0f) return 255;
  return static_cast<std::uint8_t>(v);
}

void RenderView(const TDollView& doll, const TSkin& texture, TTavoBitmap& view,
                std::int32_t rotation, std::int32_t shadeLevel) {
  if (rotation < 0) throw ERangeError();
  // Every row reads texture columns 0..249; a narrower texture never gets this far.
  if (texture.width() < TextureColumns) throw ERangeError();
  for (int y = 0; y < DollRows; ++y) {
    const int left = doll.Left[y];
    const int right = doll.Right[y];
    if (left > right) continue;
    CheckIndex(left, ViewSize);
    CheckIndex(right, ViewSize);
    Pixel24* out = view.Rows[y].Data();
    if (const RadiusShading* shading = FastShading(doll, y, shadeLevel)) {
      ShadeRowFast(texture.RowSums(y), *shading, left, right, rotation % TextureColumns, shadeLevel,
                   out);
    } else {
      ShadeRowPlain(doll, texture, y, rotation, shadeLevel, out);
    }
  }
}
