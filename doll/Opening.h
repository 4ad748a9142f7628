// Opening and closing a doll: it splits at SplitRow, the halves slide apart ten rows a frame, and
// a copy scaled by InnerScale about the split row is revealed inside, again and again.
#pragma once

#include "Doll.h"
#include "Nesting.h"

// Makes the nested doll, the next level of the nest, from the doll at rest (CurrentProfile,
// TextureCopy) or from its own pictures where it has them, makes it the doll at rest, and
// starts the animation (OpenProgress = 0). A close under way stops where it stands.
void OpenDoll(TDoll& doll);

// No opening and no close is under way.
bool DollAtRest(const TDoll& doll);

// Whether the doll can close: a nested doll is at rest.
bool CanCloseDoll(const TDoll& doll);

// Runs the opening of the doll outside the one at rest backwards: makes that doll the doll
// at rest again, from the pictures as they are now, with the doll at rest now as its nested
// doll, and starts the close (CloseProgress = 0).
void CloseDoll(TDoll& doll);

// One frame of the close: adds 10 to CloseProgress and shows what the opening shows once its
// halves are 200 − CloseProgress rows apart.
void AdvanceClosing(TDoll& doll);

// Shows (DisplayedProfile, the geometry and Texture) what an opening of the doll at rest
// (CurrentProfile, TextureCopy) into the nested doll (InnerProfile, InnerTexture) shows once
// each half has moved `apart` rows: the step that raised OpenProgress to `apart`.
void ShowOpenedBy(TDoll& doll, int apart);

// One frame of the opening: moves the profile's rows apart, rebuilds the geometry, moves the
// texture's rows the same way, and adds 10 to OpenProgress (at most 200).
void AdvanceOpening(TDoll& doll);

// InnerProfile: CurrentProfile nested about SplitRow (NestedProfile).
void MakeInnerProfile(TDoll& doll);

// Shrinks the whole of TextureCopy into rows v..u of InnerTexture about SplitRow (NestSkin);
// other rows keep what they held.
void MakeInnerTexture(TDoll& doll);

// The three passes of one step on DisplayedProfile and on Texture: the upper half up by 10
// rows, the lower half down by 10 rows, the gap from the nested doll.
void ShiftProfileRows(TDoll& doll);
void ShiftTextureRows(TDoll& doll);

// Copies `bitmap` onto TextureCopy at 0, 0 (cut off at its edges).
void DrawOnTextureCopy(TDoll& doll, const TTavoBitmap& bitmap);
