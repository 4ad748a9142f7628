#include "DollModel.h"

#include <cmath>
#include <random>

namespace {

double Asin(double t) {
  return std::atan2(t, std::sqrt(1 - t * t));
}

float P(int u, int r) {
  double v = static_cast<double>(u) / static_cast<double>(r);
  v = Asin(v);
  v = v * 250;
  v = v / (2 * 3.14159265358979323846);
  v = v + 62;
  return static_cast<float>(v);
}

float Trunc(float v) {
  return std::trunc(v);
}

std::uint8_t Clamp(float v) {
  const float n = Trunc(v);
  if (n < 0) return 0;
  if (n > 255) return 255;
  return static_cast<std::uint8_t>(n);
}

}  // namespace

ColumnSpan ModelSpan(int x, int r) {
  const float c = P(x - 100, r);
  const float e = P(x + 1 - 100, r);
  ColumnSpan s{};
  s.First = static_cast<int>(std::floor(static_cast<double>(c)));
  s.Last = static_cast<int>(std::floor(static_cast<double>(e)));
  if (s.First < 0) s.First = 0;
  if (s.Last > 249) s.Last = 249;
  s.FirstTrim = static_cast<float>(static_cast<double>(c) - static_cast<double>(s.First));
  s.LastTrim = static_cast<float>(static_cast<double>(s.Last + 1) - static_cast<double>(e));
  if (s.FirstTrim < 0) s.FirstTrim = 0;
  if (s.LastTrim < 0) s.LastTrim = 0;
  double width = s.Last + 1 - s.First;
  width = width - s.LastTrim;
  width = width - s.FirstTrim;
  s.Width = static_cast<float>(width);
  if (s.Width == 0) s.Width = 0.1f;
  if (x <= 99) {
    s.Light = 1.0f;
  } else {
    const double t = static_cast<double>(2 * x + 1 - 200) / static_cast<double>(2 * r);
    s.Light = static_cast<float>(std::cos(Asin(t)));
  }
  return s;
}

Pixel24 ModelPixel(const std::vector<Pixel24>& row, const ColumnSpan& s, int rotation,
                   int shadeLevel) {
  const int a = (rotation + s.First) % 250;
  const int b = (rotation + s.Last) % 250;
  std::vector<int> columns;
  if (a <= b) {
    for (int i = a; i <= b; ++i) columns.push_back(i);
  } else {
    for (int i = a; i <= 249; ++i) columns.push_back(i);
    for (int i = 0; i <= b; ++i) columns.push_back(i);
  }
  float r = 0, g = 0, bl = 0;
  for (int i : columns) {
    r = r + static_cast<float>(row[i].Red);
    g = g + static_cast<float>(row[i].Green);
    bl = bl + static_cast<float>(row[i].Blue);
  }
  r = static_cast<float>(static_cast<double>(r) - row[a].Red * static_cast<double>(s.FirstTrim));
  g = static_cast<float>(static_cast<double>(g) - row[a].Green * static_cast<double>(s.FirstTrim));
  bl = static_cast<float>(static_cast<double>(bl) - row[a].Blue * static_cast<double>(s.FirstTrim));
  r = static_cast<float>(static_cast<double>(r) - row[b].Red * static_cast<double>(s.LastTrim));
  g = static_cast<float>(static_cast<double>(g) - row[b].Green * static_cast<double>(s.LastTrim));
  bl = static_cast<float>(static_cast<double>(bl) - row[b].Blue * static_cast<double>(s.LastTrim));
  const double numerator = shadeLevel * (static_cast<double>(s.Light) - 1.0) + 5.0;
  const float factor = static_cast<float>(numerator / (static_cast<double>(s.Width) * 5.0));
  Pixel24 out;
  out.Red = Clamp(static_cast<float>(static_cast<double>(r) * factor));
  out.Green = Clamp(static_cast<float>(static_cast<double>(g) * factor));
  out.Blue = Clamp(static_cast<float>(static_cast<double>(bl) * factor));
  return out;
}

std::vector<std::vector<Pixel24>> RandomTexture(std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::vector<Pixel24>> texture(200, std::vector<Pixel24>(250));
  for (auto& row : texture)
    for (Pixel24& p : row)
      p = Pixel24{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                  static_cast<std::uint8_t>(random())};
  return texture;
}

void SetTexture(TTavoBitmap& bitmap, const std::vector<std::vector<Pixel24>>& texture) {
  bitmap.SetSizeBlank(static_cast<int>(texture[0].size()), static_cast<int>(texture.size()));
  for (int y = 0; y < bitmap.height(); ++y)
    for (int x = 0; x < bitmap.width(); ++x) bitmap.Rows[y][x] = texture[y][x];
}
