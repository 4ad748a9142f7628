#include "TurnAnimation.h"

#include <filesystem>

#include "AnimatedGif.h"
#include "doll/Doll.h"
#include "doll/Resampler.h"
#include "framework/FileOutput.h"

namespace {

// The turn the views show now: the frame tick renders them and then turns the doll.
int ShownRotation(const TDoll& doll) {
  const int rotation = doll.RotationOffset;
  if (doll.Direction == DirectionClockwise) return (rotation + TurnStep) % TextureColumns;
  if (doll.Direction == DirectionCounterClockwise)
    return (rotation + TextureColumns - TurnStep) % TextureColumns;
  return rotation;
}

// Columns from one frame to the next: clockwise lowers the offset.
int FrameStep(const TDoll& doll) {
  return doll.Direction == DirectionCounterClockwise ? TurnStep : TextureColumns - TurnStep;
}

// Both views rendered at `rotation` side by side on black, as Save composes them. The views
// are bitmaps of our own, black outside the doll as the window's are through their masks.
QImage Sheet(const TDoll& doll, TTavoBitmap& front, TTavoBitmap& back, int rotation) {
  RenderView(doll.View, doll.Texture, front, rotation, doll.ShadeLevel);
  RenderView(doll.View, doll.Texture, back, rotation + BackViewTurn, doll.ShadeLevel);
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
std::string FirstFreeName(const std::filesystem::path& folder) {
  for (int n = 0;; ++n) {
    const std::string name = (folder / ("out" + TwoDigits(n) + ".gif")).string();
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(name, error)) || error)
      return name;
  }
}

}  // namespace

std::vector<QImage> TurnAnimationFrames(const TDoll& doll) {
  TTavoBitmap front;
  TTavoBitmap back;
  front.SetSizeFilled(ViewSize, ViewSize, FrameColour);
  back.SetSizeFilled(ViewSize, ViewSize, FrameColour);
  const int first = ShownRotation(doll);
  const int step = FrameStep(doll);
  std::vector<QImage> frames;
  for (int k = 0; k < TurnAnimationLength; ++k)
    frames.push_back(Sheet(doll, front, back, (first + k * step) % TextureColumns));
  return frames;
}

std::string SaveTurnAnimation(const TDoll& doll, const std::string& folder) {
  std::vector<std::uint8_t> gif;
  try {
    gif = EncodeAnimatedGif(TurnAnimationFrames(doll), TurnAnimationDelay);
  } catch (const ETavoError& error) {
    throw EFCreateError(FirstFreeName(folder), error.what());
  }
  for (int n = 0;; ++n) {
    const std::string name = "out" + TwoDigits(n) + ".gif";
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (WriteNewFile(path, gif.data(), gif.size())) return name;
  }
}
