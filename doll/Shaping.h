// Shaping the doll by hand: which pointer positions grab its edge, how a drag moves the
// outline, and the shape image that holds an outline.
#pragma once

#include "DollTypes.h"

// How near the edge, in view pixels on either side, a press grabs it.
inline constexpr int EdgeGrabDistance = 4;
// Rows this far from the pressed one or nearer move with it.
inline constexpr int DragReach = 12;

// The radius a pointer in view column `x` asks for: its distance from the axis, which lies
// between columns 99 and 100, rounded, within 0..100.
int PointerRadius(int x);

// Whether view column `x` lies within EdgeGrabDistance pixels of the edge of a row of radius
// `radius`, inside or out; an empty row's edge is the axis.
bool GrabsEdge(int radius, int x);

// `start` with row `row` set to `radius` and the rows within DragReach of it moved by the same
// change weighted cos²(π·d/26) at distance d, rounded, every radius kept within 0..100.
DollProfile DraggedProfile(const DollProfile& start, int row, int radius);

// Makes `shape` the 100 × 200 shape image of `profile`: in each row the first r pixels white,
// the rest black, so that the shape reader gives back exactly `profile`.
void PaintOutline(const DollProfile& profile, TTavoBitmap& shape);
