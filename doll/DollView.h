// What the renderer reads of a doll: the profile it shows, the columns each row covers, the
// table of texture stretches per view pixel, and the two views with their masks. The geometry
// builds it from the profile; any number of them may live and be drawn at once.
#pragma once

#include "DollTypes.h"
#include "framework/TavoBmp.h"

struct TDollView {
  TDollView();

  DollProfile DisplayedProfile{};  // being drawn; changes row by row while opening
  RowBounds Left{};                // first column of each row of DisplayedProfile
  RowBounds Right{};               // last column of each row of DisplayedProfile
  TColumnMap ColumnMap;            // texture sampling per view pixel
  TTavoBitmap FrontView;           // ViewSize × ViewSize, with its mask
  TTavoBitmap BackView;

  // Rebuilds bounds, both silhouettes with their masks, and the column map from
  // DisplayedProfile. Runs after a load and at every opening step, never per frame.
  void RefreshGeometry();

  // Left[y] = 100 − r and Right[y] = r + 99 for the radius r of each row.
  void ComputeRowBounds();

  // Paints `view` black outside and white inside the doll and rebuilds its mask from that
  // silhouette, so the doll stays opaque whatever the renderer later writes into it.
  void PaintSilhouette(TTavoBitmap& view) const;

  // Writes the ColumnMap entries Left[y]..Right[y] of every row; other entries are left alone.
  void BuildColumnMap();
};
