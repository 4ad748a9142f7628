#include "Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

namespace {

constexpr int Axis = ViewSize / 2;  // the doll's axis lies between columns 99 and 100

// Principal arcsine, as atan2 so that t = ±1 is exact.
double ArcSine(double t) {
  return std::atan2(t, std::sqrt(1.0 - t * t));
}

// Texture position of horizontal offset u from the axis on a circle of radius r: −0.5 at the
// left edge, 62 at the axis, 124.5 at the right edge. Each step in double, in this order,
// then stored as a float.
float TexturePosition(int u, int r) {
  const double angle = ArcSine(static_cast<double>(u) / r);
  return static_cast<float>(angle * 250.0 / (2.0 * std::numbers::pi) + 62.0);
}

ColumnSpan SpanOfPixel(int x, int r) {
  const float c = TexturePosition(x - Axis, r);
  const float e = TexturePosition(x + 1 - Axis, r);
  ColumnSpan s{};
  s.First = std::max(static_cast<std::int32_t>(std::floor(c)), 0);
  s.Last = std::min(static_cast<std::int32_t>(std::floor(e)), TextureColumns - 1);
  s.FirstTrim = std::max(static_cast<float>(static_cast<double>(c) - s.First), 0.0f);
  s.LastTrim = std::max(static_cast<float>((s.Last + 1) - static_cast<double>(e)), 0.0f);
  s.Width =
      static_cast<float>(static_cast<double>(s.Last + 1 - s.First) - s.LastTrim - s.FirstTrim);
  if (s.Width == 0.0f) s.Width = 0.1f;
  if (x < Axis) {
    s.Light = 1.0f;
  } else {
    // The cosine of the surface angle at the pixel's centre.
    const double t = static_cast<double>(2 * x + 1 - ViewSize) / (2 * r);
    s.Light = static_cast<float>(std::cos(ArcSine(t)));
  }
  return s;
}

using RadiusSpans = ColumnSpanRow;

RadiusSpans SpansOfRadius(int r) {
  RadiusSpans spans{};
  for (int x = Axis - r; x < Axis + r; ++x) spans[x] = SpanOfPixel(x, r);
  return spans;
}

}  // namespace

const std::array<ColumnSpan, ViewSize>& ColumnSpansForRadius(int radius) {
  CheckIndex(radius, MaxRadius + 1);
  // A static's first initialisation runs once, whichever threads reach it.
  static const auto spans = [] {
    auto all = std::make_unique<std::array<RadiusSpans, MaxRadius + 1>>();
    for (int r = 0; r <= MaxRadius; ++r) (*all)[r] = SpansOfRadius(r);
    return all;
  }();
  return (*spans)[radius];
}

TDollView::TDollView() {
  FrontView.SetSizeBlank(ViewSize, ViewSize);
  BackView.SetSizeBlank(ViewSize, ViewSize);
}

void TDollView::ComputeRowBounds() {
  for (int y = 0; y < DollRows; ++y) {
    Left[y] = Axis - DisplayedProfile[y];
    Right[y] = DisplayedProfile[y] + Axis - 1;
  }
}

void TDollView::PaintSilhouette(TTavoBitmap& view) const {
  for (int y = 0; y < DollRows; ++y) {
    Pixel24* row = view.Rows[y].Data();
    const int left = std::clamp(Left[y], 0, ViewSize);
    const int end = std::clamp(Right[y] + 1, left, ViewSize);
    // Black and white are each one byte repeated.
    std::memset(row, 0, 3 * left);
    std::memset(row + left, 255, 3 * (end - left));
    std::memset(row + end, 0, 3 * (ViewSize - end));
  }
  view.MakeMask(clBlack);
}

void TDollView::BuildColumnMap() {
  for (int y = 0; y < DollRows; ++y) {
    if (Left[y] > Right[y]) continue;
    const int r = DisplayedProfile[y];
    ColumnMap.CopyRadiusSpans(y, Left[y], Right[y], ColumnSpansForRadius(r), r);
  }
}

void TDollView::RefreshGeometry() {
  ComputeRowBounds();
  PaintSilhouette(FrontView);
  PaintSilhouette(BackView);
  BuildColumnMap();
}
