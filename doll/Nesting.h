// One nesting step: how a doll's outline and skin shrink into the doll nested in it, scaled by
// InnerScale about the split row. The opening, the dolls of the nest, the reshaping and the
// painting all stand on it, and it calls none of them.
#pragma once

#include "DollTypes.h"

// The profile nested in `parent` about `splitRow`: each parent row's radius spread over the
// nested rows it covers, scaled by InnerScale.
DollProfile NestedProfile(const DollProfile& parent, int splitRow);

// The rows v..u of the nested skin that the whole parent skin shrinks into: v where parent
// row 0 lands, u where parent row 199 begins.
struct InnerRows {
  int First;
  int Last;
};
InnerRows InnerTextureRows(int splitRow);

// Shrinks the whole of `parent` (250 × 200) into rows v..u of `nested`, the rows each nested
// row is made of combined by AND; the other rows of `nested` keep what they held.
void NestSkin(const TTavoBitmap& parent, TTavoBitmap& nested, int splitRow);

// The parent rows First..Last (inclusive) that NestSkin combines into nested row `row`: none
// (First > Last) for a row outside v..u.
struct TRowRange {
  int First;
  int Last;
};
TRowRange NestedRowSources(int row, int splitRow);
