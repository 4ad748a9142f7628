// Makes the README's animated picture from the program's own frames: the sample set turning
// in its two views over the green streaks, opened doll by doll down to the baby and closed
// again, as a looping GIF written by the program's own GIF writer, the one that saves a turn.
// Usage: make_animation <samples folder> <output.gif>
#include <QImage>
#include <QSaveFile>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "doll/Opening.h"
#include "doll/ShapeProfile.h"
#include "scene/AnimatedGif.h"
#include "scene/Scene.h"
#include "scene/StreakBackdrop.h"

namespace {

// The story in the program's frames of 50 ms: a turn, the mother opened to show her daughter,
// a turn, the daughter opened to show the baby, a turn, both closed again with a turn
// between; then the loop starts again with the mother as she was.
constexpr int TurnBefore = 16;
constexpr int TurnBetween = 10;
constexpr int TurnAfter = 8;
// The streaks start from a black backdrop: they run this many frames with the doll stopped
// before the first frame is kept, so that the loop does not flash back to black.
constexpr int WarmUp = 20;
// Every second frame is kept and shown for two frames' time: the streaks change much of the
// picture every frame, and twice the frames would not fit in MaxBytes.
constexpr int KeptEvery = 2;
constexpr int DelayMilliseconds = KeptEvery * FrameInterval;
// A fixed seed gives the same streaks, and the same file, on every run.
constexpr std::uint32_t StreakSeed = 1;
// The picture is kept in the repository and loads with the README.
constexpr qint64 MaxBytes = 2'000'000;

// ---- The frames --------------------------------------------------------------------------

struct Recording {
  std::vector<QImage> Frames;
  int Ticks = 0;
};

// The scene of the doll in `folder`, its streaks seeded as the program seeds them.
std::unique_ptr<TScene> LoadSampleScene(const std::filesystem::path& folder) {
  RandSeed = StreakSeed;
  return std::make_unique<TScene>(std::filesystem::absolute(folder).string());
}

// FrameLeft and FrameRight side by side, as the window shows them.
QImage ShownFrame(const TScene& scene) {
  QImage frame(2 * ViewSize, ViewSize, QImage::Format_RGB32);
  for (int y = 0; y < ViewSize; ++y) {
    for (int x = 0; x < ViewSize; ++x) {
      frame.setPixel(x, y, scene.FrameLeft.pixel(x, y));
      frame.setPixel(ViewSize + x, y, scene.FrameRight.pixel(x, y));
    }
  }
  return frame;
}

// One frame tick; every KeptEvery-th frame is kept.
void Tick(TScene& scene, Recording& recording) {
  scene.FrameTick();
  if (recording.Ticks++ % KeptEvery == 0) recording.Frames.push_back(ShownFrame(scene));
}

void Turn(TScene& scene, Recording& recording, int ticks) {
  for (int i = 0; i < ticks; ++i) Tick(scene, recording);
}

// Opens the doll, as the Open button does, and runs the frames until it is at rest again.
void Open(TScene& scene, Recording& recording) {
  if (!IsOpenable(scene.Doll)) throw std::runtime_error("the sample doll cannot open");
  OpenDoll(scene.Doll);
  while (!DollAtRest(scene.Doll)) Tick(scene, recording);
}

// Closes the doll, as the menu's Close does, and runs the frames until it is at rest again.
void Close(TScene& scene, Recording& recording) {
  CloseDoll(scene.Doll);
  while (!DollAtRest(scene.Doll)) Tick(scene, recording);
}

std::vector<QImage> RecordFrames(const std::filesystem::path& samples) {
  const std::unique_ptr<TScene> scene = LoadSampleScene(samples);
  scene->Doll.Direction = "";
  for (int i = 0; i < WarmUp; ++i) scene->FrameTick();
  scene->Doll.Direction = DirectionClockwise;
  Recording recording;
  Turn(*scene, recording, TurnBefore);
  Open(*scene, recording);
  Turn(*scene, recording, TurnBetween);
  Open(*scene, recording);
  Turn(*scene, recording, TurnBetween);
  Close(*scene, recording);
  Turn(*scene, recording, TurnBetween);
  Close(*scene, recording);
  Turn(*scene, recording, TurnAfter);
  return recording.Frames;
}

void Save(const std::vector<std::uint8_t>& gif, const char* fileName) {
  const qint64 size = static_cast<qint64>(gif.size());
  if (size >= MaxBytes)
    throw std::runtime_error("the picture would be " + std::to_string(size) +
                             " bytes, over the README's limit");
  QSaveFile file(QString::fromLocal8Bit(fileName));
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(reinterpret_cast<const char*>(gif.data()), size) != size || !file.commit())
    throw EFCreateError(fileName, file.errorString().toStdString());
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_animation <samples folder> <output.gif>\n");
    return 2;
  }
  try {
    const std::vector<QImage> frames = RecordFrames(argv[1]);
    const std::vector<std::uint8_t> gif = EncodeAnimatedGif(frames, DelayMilliseconds);
    Save(gif, argv[2]);
    std::printf("wrote %s: %zu frames of %d ms, %zu bytes\n", argv[2], frames.size(),
                DelayMilliseconds, gif.size());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_animation: %s\n", error.what());
    return 1;
  }
  return 0;
}
