#include "TurnAnimation.h"

#include <filesystem>

#include "AnimatedGif.h"
#include "Scene.h"
#include "doll/Resampler.h"
#include "framework/FileOutput.h"

namespace {

// The turn the views show now: the frame tick renders them and then turns the doll.
int ShownRotation() {
  if (Direction == DirectionClockwise) return (RotationOffset + TurnAnimationStep) % TextureColumns;
  if (Direction == DirectionCounterClockwise)
    return (RotationOffset + TextureColumns - TurnAnimationStep) % TextureColumns;
  return RotationOffset;
}

// Columns from one frame to the next: clockwise lowers the offset.
int FrameStep() {
  return Direction == DirectionCounterClockwise ? TurnAnimationStep
                                                : TextureColumns - TurnAnimationStep;
}

// Both views rendered at `rotation` side by side on black, as Save composes them. The views
// are bitmaps of our own, black outside the doll as the window's are through their masks.
QImage Sheet(TTavoBitmap& front, TTavoBitmap& back, int rotation) {
  RenderView(front, rotation);
  RenderView(back, rotation + BackViewTurn);
  QImage sheet(2 * ViewSize, ViewSize, QImage::Format_RGB32);
  for (int y = 0; y < ViewSize; ++y) {
    auto* out = reinterpret_cast<QRgb*>(sheet.scanLine(y));
    const Pixel24* left = front.Rows[y].Data();
    const Pixel24* right = back.Rows[y].Data();
    for (int x = 0; x < ViewSize; ++x) {
      out[x] = qRgb(left[x].Red, left[x].Green, left[x].Blue);
      out[ViewSize + x] = qRgb(right[x].Red, right[x].Green, right[x].Blue);
    }
  }
  return sheet;
}

// The first "outNN.gif" not taken now (or not to be looked at), to name in an error that
// comes before the file.
std::string FirstFreeName() {
  for (int n = 0;; ++n) {
    const std::string name = "out" + TwoDigits(n) + ".gif";
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(name, error)) || error)
      return name;
  }
}

}  // namespace

std::vector<QImage> TurnAnimationFrames() {
  TTavoBitmap front;
  TTavoBitmap back;
  front.SetSizeFilled(ViewSize, ViewSize, FrameColour);
  back.SetSizeFilled(ViewSize, ViewSize, FrameColour);
  const int first = ShownRotation();
  const int step = FrameStep();
  std::vector<QImage> frames;
  for (int k = 0; k < TurnAnimationLength; ++k)
    frames.push_back(Sheet(front, back, (first + k * step) % TextureColumns));
  return frames;
}

std::string SaveTurnAnimation() {
  std::vector<std::uint8_t> gif;
  try {
    gif = EncodeAnimatedGif(TurnAnimationFrames(), TurnAnimationDelay);
  } catch (const ETavoError& error) {
    throw EFCreateError(FirstFreeName(), error.what());
  }
  for (int n = 0;; ++n) {
    const std::string name = "out" + TwoDigits(n) + ".gif";
    if (WriteNewFile(name, gif.data(), gif.size())) return name;
  }
}
