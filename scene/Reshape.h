// Shaping the doll by dragging its edge in a view: the outline follows the pointer while the
// doll turns, and on release it is written as the shape image, the old one kept, and the
// doll read again. Widget-free: the views report the pointer in their own 200-pixel columns.
#pragma once

// Whether a press at view row `row`, column `x` would grab the doll's edge: only the doll
// read from the files, at rest, can be shaped.
bool CanReshapeAt(int row, int x);

// Starts a drag at row `row` if CanReshapeAt(row, x); returns whether it started.
bool BeginReshape(int row, int x);

// The pressed row's radius follows the pointer in view column `x`, its neighbours with it;
// the views show the new outline from the next frame on.
void DragReshape(int x);

// Ends the drag and puts the outline read from the files back; nothing is written.
void CancelReshape();

// Ends the drag. An outline that changed is written as the shape image, the one it replaces
// kept under its first free backup name, the change recorded in DollHistory, and the doll
// read again as Load does; returns whether anything was written. When the outline cannot be
// written, the outline read from the files is shown again and the error, naming the shape
// image, is raised.
bool EndReshape();

bool ReshapeUnderWay();
