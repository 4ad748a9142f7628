#include "Painting.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Nesting.h"

std::vector<int> SkinRows(const TDoll& doll, int row) {
  std::vector<int> rows{row};
  for (int nested = 1; nested < doll.DollLevel; ++nested) {
    std::vector<int> parents;
    for (const int r : rows) {
      const TRowRange sources = NestedRowSources(r, doll.SplitRow);
      for (int p = sources.First; p <= sources.Last; ++p) parents.push_back(p);
    }
    std::sort(parents.begin(), parents.end());
    parents.erase(std::unique(parents.begin(), parents.end()), parents.end());
    rows = std::move(parents);
  }
  return rows;
}

TShown ShownColumns(const ColumnSpan& span) {
  TShown shown{span.First, span.Last};
  const float firstWeight = 1.0f - span.FirstTrim - (span.First == span.Last ? span.LastTrim : 0);
  if (firstWeight <= 0 && shown.First < shown.Last) ++shown.First;
  if (span.LastTrim >= 1.0f && shown.Last > shown.First) --shown.Last;
  return shown;
}

namespace {

// Paints columns first..last (before rotation, last ≥ first, perhaps past 249) of `rows`.
void PaintColumns(TTavoBitmap& skin, const std::vector<int>& rows, int first, int last,
                  const TPaint& paint) {
  for (const int row : rows) {
    Pixel24* texels = skin.Rows[row].Data();
    const Pixel24* erased = paint.Eraser ? paint.Eraser->Rows[row].Data() : nullptr;
    for (int c = first; c <= last; ++c) {
      const int column = c % TextureColumns;
      texels[column] = erased ? erased[column] : paint.Colour;
    }
  }
}

// Calls `paint(x, y)` for each view pixel of the doll whose centre lies within the brush.
template <typename Paint>
void EachPixelUnder(const TDollView& view, QPointF at, int diameter, Paint paint) {
  const double radius = diameter / 2.0;
  const int top = std::max(0, static_cast<int>(std::floor(at.y() - radius)));
  const int bottom = std::min(DollRows - 1, static_cast<int>(std::ceil(at.y() + radius)));
  for (int y = top; y <= bottom; ++y) {
    const double dy = y + 0.5 - at.y();
    if (dy * dy > radius * radius) continue;
    const double half = std::sqrt(radius * radius - dy * dy);
    const int from = std::max(view.Left[y], static_cast<int>(std::ceil(at.x() - half - 0.5)));
    const int to = std::min(view.Right[y], static_cast<int>(std::floor(at.x() + half - 0.5)));
    for (int x = from; x <= to; ++x) paint(x, y);
  }
}

// The rotation turned the shorter way from `from` to `to`: −125..124 columns.
int Turned(int from, int to) {
  const int d = ((to - from) % TextureColumns + TextureColumns) % TextureColumns;
  return d >= TextureColumns / 2 ? d - TextureColumns : d;
}

// Paints, under the brush at `at`, each pixel's columns as the rotation runs from `rotation`
// by `turned` columns: the union of what it shows at every rotation on the way.
void PaintUnderAt(const TDoll& doll, TTavoBitmap& skin, QPointF at, int rotation, int turned,
                  int diameter, const TPaint& paint) {
  std::vector<int> rows;
  int rowsOf = -1;
  EachPixelUnder(doll.View, at, diameter, [&](int x, int y) {
    if (y != rowsOf) rows = SkinRows(doll, rowsOf = y);
    const TShown shown = ShownColumns(doll.View.ColumnMap[y][x]);
    const int start = rotation + std::min(turned, 0);
    PaintColumns(skin, rows, start + shown.First + TextureColumns,
                 rotation + std::max(turned, 0) + shown.Last + TextureColumns, paint);
  });
}

// PaintUnderAt at the point, and at its mirror image too where the paint asks for it.
void PaintUnder(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& point, int rotation,
                int turned, int diameter, const TPaint& paint) {
  PaintUnderAt(doll, skin, point.At, rotation, turned, diameter, paint);
  if (paint.Mirror) PaintUnderAt(doll, skin, Mirrored(point).At, rotation, turned, diameter, paint);
}

}  // namespace

TViewPoint Mirrored(const TViewPoint& point) {
  TViewPoint mirrored = point;
  mirrored.At.setX(ViewSize - point.At.x());
  return mirrored;
}

void PaintDab(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& point, int diameter,
              const TPaint& paint) {
  PaintUnder(doll, skin, point, point.Rotation % TextureColumns, 0, diameter, paint);
}

void PaintLine(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& from, QPointF to,
               int diameter, const TPaint& paint) {
  const QPointF way = to - from.At;
  const double length = std::hypot(way.x(), way.y());
  const int steps = std::max(1, static_cast<int>(std::ceil(length / (diameter / 2.0))));
  for (int i = 1; i <= steps; ++i) {
    TViewPoint dab = from;
    dab.At = from.At + way * (static_cast<double>(i) / steps);
    PaintDab(doll, skin, dab, diameter, paint);
  }
}

void PaintTurn(const TDoll& doll, TTavoBitmap& skin, const TViewPoint& point, int rotation,
               int diameter, const TPaint& paint) {
  const int start = point.Rotation % TextureColumns;
  PaintUnder(doll, skin, point, start, Turned(start, rotation % TextureColumns), diameter, paint);
}

std::optional<QPoint> ShownTexelAt(const TDoll& doll, const TViewPoint& point) {
  const int x = static_cast<int>(std::floor(point.At.x()));
  const int y = static_cast<int>(std::floor(point.At.y()));
  const TDollView& view = doll.View;
  if (y < 0 || y >= DollRows || x < view.Left[y] || x > view.Right[y]) return std::nullopt;
  const ColumnSpan& span = view.ColumnMap[y][x];
  const float start = static_cast<float>(span.First) + span.FirstTrim;
  const float end = static_cast<float>(span.Last + 1) - span.LastTrim;
  const int middle = std::min(static_cast<int>(std::floor((start + end) / 2)), span.Last);
  return QPoint((point.Rotation + middle) % TextureColumns, y);
}

std::optional<Pixel24> SkinColourAt(const TDoll& doll, const TViewPoint& point) {
  const std::optional<QPoint> texel = ShownTexelAt(doll, point);
  if (!texel) return std::nullopt;
  return doll.Texture.Rows[texel->y()][texel->x()];
}
