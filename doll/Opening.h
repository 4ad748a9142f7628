// Opening the doll: it splits at SplitRow, the halves slide apart ten rows a frame, and a
// copy scaled by InnerScale about the split row is revealed inside, again and again.
#pragma once

#include "SceneState.h"

// Makes the nested doll from the doll at rest (CurrentProfile, TextureCopy), makes it the
// doll at rest, and starts the animation (OpenProgress = 0).
void OpenDoll();

// One frame of the opening: moves the profile's rows apart, rebuilds the geometry, moves the
// texture's rows the same way, and adds 10 to OpenProgress (at most 200).
void AdvanceOpening();

// InnerProfile: CurrentProfile scaled by InnerScale in height and radius about SplitRow,
// each parent row's radius spread over the nested rows it covers.
void MakeInnerProfile();

// Shrinks the whole of TextureCopy into rows v..u of InnerTexture, where v is where parent
// row 0 lands and u where parent row 199 begins; other rows keep what they held.
void MakeInnerTexture();

// The rows v and u of MakeInnerTexture for a split row.
struct InnerRows {
  int First;
  int Last;
};
InnerRows InnerTextureRows(int splitRow);

// The three passes of one step on DisplayedProfile and on Texture: the upper half up by 10
// rows, the lower half down by 10 rows, the gap from the nested doll.
void ShiftProfileRows();
void ShiftTextureRows();

// Copies `bitmap` onto TextureCopy at 0, 0 (cut off at its edges).
void DrawOnTextureCopy(const TTavoBitmap& bitmap);
