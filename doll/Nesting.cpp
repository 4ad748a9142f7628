#include "Nesting.h"

namespace {

// A value stored as a 32-bit float: later steps use the rounded value.
float Stored(double v) {
  return static_cast<float>(v);
}

// The rectangles NestSkin hands to CopyRect: the whole parent skin into rows v..u.
QRect WholeSkin() {
  return RectLTRB(0, 0, TextureColumns, DollRows);
}
QRect NestedSkinRows(int splitRow) {
  const InnerRows rows = InnerTextureRows(splitRow);
  return RectLTRB(0, rows.First, TextureColumns, rows.Last + 1);
}

}  // namespace

DollProfile NestedProfile(const DollProfile& parent, int splitRow) {
  const double s = InnerScale;
  const int split = splitRow;
  CheckIndex(split, DollRows);
  // Where the top of parent row 0 lands.
  const float a = Stored((1 - s) * split);
  float acc[DollRows + 1] = {};  // entry 200 is a spare no index reaches
  for (int i = 0; i < DollRows; ++i) {
    const int r = parent[i];
    const float b = Stored(i * s + a);  // top of the row's image
    const float d = Stored(b + s);      // its bottom
    const int first = static_cast<int>(b);
    const int last = static_cast<int>(d);
    CheckIndex(last, DollRows + 1);
    for (int j = first; j <= last; ++j) acc[j] = Stored(static_cast<double>(acc[j]) + r);
    // Take off the parts of the first and last rows that the image does not cover.
    acc[first] = Stored(acc[first] - (static_cast<double>(b) - first) * r);
    acc[last] = Stored(acc[last] - (last + 1 - static_cast<double>(d)) * r);
  }
  DollProfile nested;
  for (int j = 0; j < DollRows; ++j) nested[j] = static_cast<std::int32_t>(acc[j] * s);
  return nested;
}

InnerRows InnerTextureRows(int splitRow) {
  const double s = InnerScale;
  return {static_cast<int>((1 - s) * splitRow), static_cast<int>((199 - splitRow) * s + splitRow)};
}

void NestSkin(const TTavoBitmap& parent, TTavoBitmap& nested, int splitRow) {
  nested.CopyRect(NestedSkinRows(splitRow), parent, WholeSkin());
}

TRowRange NestedRowSources(int row, int splitRow) {
  // CopyRect's own rule (SourceCells) on NestSkin's own rectangles.
  const QRect to = NestedSkinRows(splitRow);
  if (row < to.top() || row > to.bottom()) return {0, -1};
  const TCellRange cells = SourceCells(row - to.top(), to.height(), WholeSkin().height());
  return {cells.First, cells.Last - 1};
}
