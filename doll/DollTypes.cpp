#include "DollTypes.h"

#include <cstring>

void TColumnMap::CopyRadiusSpans(int y, int first, int last, const ColumnSpanRow& spans,
                                 int radius) {
  CheckIndex(first, ViewSize);
  CheckIndex(last, ViewSize);
  ColumnSpanRow& row = FRows.at(static_cast<std::size_t>(y));
  if (first <= last)
    std::memcpy(&row[first], &spans[first], (last - first + 1) * sizeof(ColumnSpan));
  FBuilt[y] = BuiltFrom{radius, first, last};
}

int TColumnMap::BuiltRadius(int y, int first, int last) const {
  const BuiltFrom& built = FBuilt.at(static_cast<std::size_t>(y));
  return first >= built.First && last <= built.Last ? built.Radius : NotBuilt;
}
