// From the doll's profile to everything the renderer needs: the columns each row covers,
// the silhouettes and masks of both views, and the table of texture stretches per pixel.
#pragma once

#include "SceneState.h"

// Rebuilds bounds, both silhouettes with their masks, and the column map from
// DisplayedProfile. Runs after a load and at every opening step, never per frame.
void RefreshGeometry();

// Left[y] = 100 − r and Right[y] = r + 99 for the radius r of each row.
void ComputeRowBounds();

// Paints `view` black outside and white inside the doll and rebuilds its mask from that
// silhouette, so the doll stays opaque whatever the renderer later writes into it.
void PaintSilhouette(TTavoBitmap& view);

// Writes the ColumnMap entries Left[y]..Right[y] of every row; other entries are left alone.
void BuildColumnMap();

// The spans of a row of radius `radius`, indexed by view column; only columns
// 100 − radius .. 99 + radius are meaningful. Worked out once per radius.
const std::array<ColumnSpan, ViewSize>& ColumnSpansForRadius(int radius);
