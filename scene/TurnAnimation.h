// One full turn of the doll as a looping GIF: every frame the sheet Save would write at that
// moment, starting from the doll on screen. Works on the scene state without changing it.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "doll/SceneState.h"

// Texture columns between two frames, as the frame tick turns the doll.
inline constexpr int TurnAnimationStep = 2;
// One full turn.
inline constexpr int TurnAnimationLength = TextureColumns / TurnAnimationStep;
// Each frame is shown as long as the window shows one.
inline constexpr int TurnAnimationDelay = 50;

// The sheets of one full turn (front view left, back view right, 400 × 200, on black, at
// the current shade), TurnAnimationStep columns apart in the turning direction, clockwise
// when the doll stands still. The first is the doll as the views show it now.
std::vector<QImage> TurnAnimationFrames();

// Writes the turn as a looping GIF into the first free "outNN.gif", flushed with its
// folder, and returns that name. An existing file is never replaced; a failure leaves no
// file and raises the file-create error naming it.
std::string SaveTurnAnimation();
