// Reads a skin painted by hand for the end-to-end tests: a drag with the starting brush (black,
// 4 pixels) along view row ROW from column X1 to X2 of the front view, on the outer doll
// standing still as SHEET shows it. The texels that changed from BEFORE to AFTER must all be
// black, and must be the ones the stroke went over: every texel shown by a view pixel whose
// centre lies within √3 of the stroke's line (whatever points of it the pointer reported,
// dabs no further apart than half the brush cover those), and none but those shown by a pixel
// within the brush's radius of it. Prints what it found; exits 0 when all holds, 1 when not.
// Usage: paint_check SHEET.bmp SHAPE.bmp BEFORE.bmp AFTER.bmp ROW X1 X2
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "doll/Doll.h"
#include "doll/Geometry.h"
#include "doll/Nest.h"
#include "doll/Painting.h"
#include "doll/Resampler.h"
#include "doll/ShapeProfile.h"

namespace {

constexpr int Diameter = BrushDiameters[1];

std::unique_ptr<TTavoBitmap> Read(const char* fileName) {
  auto bitmap = std::make_unique<TTavoBitmap>();
  bitmap->LoadFromFileAuto(fileName);
  return bitmap;
}

// The rotation whose front view of `doll` is the sheet's left half; −1 for none.
int RotationOf(TDoll& doll, const TTavoBitmap& sheet) {
  TDollView& view = doll.View;
  for (int rotation = 0; rotation < TextureColumns; ++rotation) {
    RenderView(view, doll.Texture, view.FrontView, rotation, doll.ShadeLevel);
    bool same = true;
    for (int y = 0; y < ViewSize && same; ++y)
      for (int x = view.Left[y]; x <= view.Right[y] && same; ++x)
        same = SameColour(view.FrontView.Rows[y][x], sheet.Rows[y][x]);
    if (same) return rotation;
  }
  return -1;
}

// The texels of `doll` shown, at `rotation`, by the view pixels whose centres `near` takes:
// black on a white skin.
std::unique_ptr<TTavoBitmap> Shown(const TDoll& doll, int rotation,
                                   const std::function<bool(double, double)>& near) {
  auto texels = std::make_unique<TTavoBitmap>();
  texels->SetSizeFilled(TextureColumns, DollRows, KeyColour);
  for (int y = 0; y < ViewSize; ++y)
    for (int x = doll.View.Left[y]; x <= doll.View.Right[y]; ++x)
      if (near(x + 0.5, y + 0.5))  // a dab one pixel across covers just that pixel
        PaintDab(doll, *texels, {QPointF(x + 0.5, y + 0.5), false, rotation}, 1, {FrameColour});
  return texels;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: paint_check SHEET SHAPE BEFORE AFTER ROW X1 X2\n");
    return 2;
  }
  const double row = std::atof(argv[5]), x1 = std::atof(argv[6]), x2 = std::atof(argv[7]);
  // The outer doll at rest, unshaded: its views are made with it.
  const auto doll = std::make_unique<TDoll>();
  doll->View.DisplayedProfile = ReadShapeProfile(argv[2]);
  doll->View.RefreshGeometry();
  const auto before = Read(argv[3]);
  const auto after = Read(argv[4]);
  CopySkinInto(*before, doll->Texture);
  const int rotation = RotationOf(*doll, *Read(argv[1]));
  std::printf("the sheet shows rotation %d\n", rotation);
  if (rotation < 0) return 1;
  // How far a pixel centre lies from the stroke's line.
  const auto distance = [&](double x, double y) {
    return std::hypot(x - std::clamp(x, x1, x2), y - row);
  };
  const auto must =
      Shown(*doll, rotation, [&](double x, double y) { return distance(x, y) <= std::sqrt(3.0); });
  const auto may =
      Shown(*doll, rotation, [&](double x, double y) { return distance(x, y) <= Diameter / 2.0; });
  int changed = 0, notBlack = 0, missed = 0, stray = 0;
  for (int y = 0; y < DollRows; ++y)
    for (int x = 0; x < TextureColumns; ++x) {
      const bool painted = !SameColour(before->Rows[y][x], after->Rows[y][x]);
      const bool black = SameColour(after->Rows[y][x], FrameColour);
      changed += painted;
      notBlack += painted && !black;
      missed += SameColour(must->Rows[y][x], FrameColour) && !black;
      stray += painted && !SameColour(may->Rows[y][x], FrameColour);
    }
  std::printf(
      "%d texels changed: %d not black, %d where the stroke went left unpainted, %d "
      "where it did not go\n",
      changed, notBlack, missed, stray);
  return changed > 0 && notBlack == 0 && missed == 0 && stray == 0 ? 0 : 1;
}
