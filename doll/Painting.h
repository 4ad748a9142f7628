// Painting the skin of the doll at rest by hand: a brush laid on a view paints exactly the
// texels that the view pixels under it show, through the column map of the frame last drawn
// and, on a nested doll, through every nesting's row shrink down to the full-size skin.
#pragma once

#include <QPoint>
#include <QPointF>
#include <optional>
#include <vector>

#include "Doll.h"

// The brush's diameters in view pixels, smallest first; a painting starts with the second.
inline constexpr int BrushDiameters[] = {2, 4, 8, 16};

// What a press on the doll does: lays the colour, lays the skin as the painting found it, or
// fills the field of one colour under it.
enum class TBrushTool { Brush, Eraser, Fill };

// The tolerance a fill starts with: the largest per-channel difference from the texel clicked
// that a texel of the field may have.
inline constexpr int DefaultFillTolerance = 32;

// The brush of a painting: its colour, its width (one of BrushDiameters), its tool, whether
// it paints mirrored about the doll's axis too, and how far a fill reaches.
struct TBrush {
  Pixel24 Colour{0, 0, 0};
  int Diameter = BrushDiameters[1];
  TBrushTool Tool = TBrushTool::Brush;
  bool Mirror = false;
  int Tolerance = DefaultFillTolerance;
};

// What a brush lays on the skin: a colour, or, for the eraser, each texel as `Eraser` holds it
// (the skin as it was when the painting began); with `Mirror`, every dab is laid again about
// the doll's axis (see Mirrored).
struct TPaint {
  Pixel24 Colour{};
  const TTavoBitmap* Eraser = nullptr;
  bool Mirror = false;
};

// A point of a view as the brush touches it: pixel (x, y) covers [x, x + 1) × [y, y + 1); the
// view, and the rotation that view was last drawn with (RotationOffset for the front,
// RotationOffset + 125 for the back), which may lag the one the next frame uses.
struct TViewPoint {
  QPointF At;
  bool Back = false;
  int Rotation = 0;
};

// The full-size skin rows that view row `row` of the doll at rest is made from: the row
// itself on the outer doll, and through each nesting's row shrink on a nested one.
std::vector<int> SkinRows(const TDoll& doll, int row);

// The texture columns First..Last of a span that the pixel shows: a column the trims take
// wholly off adds nothing to the pixel, and is left alone.
struct TShown {
  int First;
  int Last;
};
TShown ShownColumns(const ColumnSpan& span);

// The point mirrored about the doll's axis, in the same view at the same rotation: a pointer
// over pixel column x stands over column 199 − x of the same row.
TViewPoint Mirrored(const TViewPoint& point);

// Lays one dab of `diameter` on `skin`, the full-size skin (250 × 200) of `doll` at rest, its
// DollLevel, shown with the geometry as it stands (Left, Right, ColumnMap) about SplitRow:
// every view pixel of the doll whose centre lies within the brush's radius of the point paints
// the texels of its stretch of texture columns that it shows, turned by the rotation, in
// every full-size row its view row is made from.
void PaintDab(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& point, int diameter,
              const TPaint& paint);

// Dabs along the straight line from `from` to `to`, at most half a diameter apart: `to` is
// painted, `from` (painted before) is not.
void PaintLine(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& from, QPointF to,
               int diameter, const TPaint& paint);

// A brush held still at `point` while the doll turned from `point.Rotation` to `rotation`
// (the shorter way round): paints the texels that turned under it, as a brush held to a doll
// on a lathe, so that the band it leaves has no gap.
void PaintTurn(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& point, int rotation,
               int diameter, const TPaint& paint);

// The texel of the texture `doll` shows (x the column, y the view row) that the view pixel
// under `point` shows at the middle of its stretch, turned by the rotation; nothing off the doll.
std::optional<QPoint> ShownTexelAt(const TDoll& doll, const TViewPoint& point);

// The colour of the skin under a view point as `doll` shows it (Texture, unshaded):
// the texel ShownTexelAt names.
std::optional<Pixel24> SkinColourAt(const TDoll& doll, const TViewPoint& point);
