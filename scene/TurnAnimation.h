// One full turn of the doll as a looping GIF: every frame the sheet Save would write at that
// moment, starting from the doll as it is shown. Leaves the doll as it found it.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "doll/Doll.h"

// One full turn.
inline constexpr int TurnAnimationLength = TextureColumns / TurnStep;
// Each frame is shown as long as the window shows one.
inline constexpr int TurnAnimationDelay = 50;

// The sheets of one full turn (front view left, back view right, 400 × 200, on black, at
// the doll's shade), TurnStep columns apart in its turning direction, clockwise
// when the doll stands still. The first is the doll as its views show it now.
std::vector<QImage> TurnAnimationFrames(const TDoll& doll);

// Writes the turn as a looping GIF into the first free "outNN.gif" of `folder` ("": the
// working folder), flushed with it, and returns that name. An existing file is never replaced; a
// failure leaves no file and raises the file-create error naming it.
std::string SaveTurnAnimation(const TDoll& doll, const std::string& folder);
