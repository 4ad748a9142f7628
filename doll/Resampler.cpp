#include "Resampler.h"

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

Pixel24 ShadedMean(const TPixelRow& texture, const ColumnSpan& s, std::int32_t rotation) {
  const int a = (rotation + s.First) % TextureColumns;
  const int b = (rotation + s.Last) % TextureColumns;
  ColourSums sum;
  if (a <= b) {
    for (int column = a; column <= b; ++column) sum.Add(texture[column]);
  } else {  // the stretch crosses the seam between column 249 and column 0
    for (int column = a; column < TextureColumns; ++column) sum.Add(texture[column]);
    for (int column = 0; column <= b; ++column) sum.Add(texture[column]);
  }
  sum.TakeOff(texture[a], s.FirstTrim);
  sum.TakeOff(texture[b], s.LastTrim);
  const auto factor = static_cast<float>((ShadeLevel * (static_cast<double>(s.Light) - 1) + 5) /
                                         (static_cast<double>(s.Width) * 5));
  Pixel24 out;
  out.Red = ClampToByte(sum.Red * factor);
  out.Green = ClampToByte(sum.Green * factor);
  out.Blue = ClampToByte(sum.Blue * factor);
  return out;
}

}  // namespace

std::uint8_t ClampToByte(float v) {
  if (!(v > 0.0f)) return 0;  // negatives truncate to at most 0
  if (v >= 255.0f) return 255;
  return static_cast<std::uint8_t>(v);
}

void RenderView(TTavoBitmap& view, std::int32_t rotation) {
  for (int y = 0; y < DollRows; ++y) {
    if (Left[y] > Right[y]) continue;
    const TPixelRow texture = Texture->Rows[y];
    const TPixelRow out = view.Rows[y];
    for (int x = Left[y]; x <= Right[y]; ++x)
      out[x] = ShadedMean(texture, ColumnMap[y][x], rotation);
  }
}
