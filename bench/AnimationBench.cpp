// How long saving the sample doll's turn as a GIF takes, and how large the file is: the
// whole of SaveTurnAnimation (125 frames rendered, one palette chosen, every frame dithered
// and written, the file flushed), with the time of each part beside it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "MedianReporter.h"
#include "SampleFolder.h"
#include "scene/AnimatedGif.h"
#include "scene/Scene.h"
#include "scene/TurnAnimation.h"

namespace {

std::uintmax_t FileBytes = 0;
std::unique_ptr<TScene> Scene;  // the sample doll, its views on screen

void Save(benchmark::State& state) {
  for (auto _ : state) {
    const std::string name = SaveTurnAnimation(Scene->Doll, Scene->Folder());
    state.PauseTiming();
    FileBytes = std::filesystem::file_size(Scene->PathOf(name));
    std::filesystem::remove(Scene->PathOf(name));
    state.ResumeTiming();
  }
}

void Render(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TurnAnimationFrames(Scene->Doll));
}

void Encode(benchmark::State& state) {
  const std::vector<QImage> frames = TurnAnimationFrames(Scene->Doll);
  for (auto _ : state) benchmark::DoNotOptimize(EncodeAnimatedGif(frames, TurnAnimationDelay));
}

void Register(const char* name, void (*run)(benchmark::State&)) {
  benchmark::RegisterBenchmark(name, run)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::string folder = MakeSampleFolder("kavinel-animation-bench");
  Scene = std::make_unique<TScene>(folder);
  Scene->Doll.Direction = DirectionClockwise;
  Scene->FrameTick();  // the views on screen

  Register("SaveTurnAnimation", Save);
  Register("TurnAnimationFrames", Render);
  Register("EncodeAnimatedGif", Encode);
  auto m = RunBenchmarksForMedians(argc, argv);
  std::cout << "\nThe sample doll's turn as a GIF (" << TurnAnimationLength << " frames):\n"
            << "  saved in " << m["SaveTurnAnimation"] << " ms (target: at most 2000): frames "
            << m["TurnAnimationFrames"] << " ms, palette, dithering and GIF "
            << m["EncodeAnimatedGif"] << " ms\n"
            << "  the file: " << FileBytes << " bytes (target: at most 3000000)\n";
  Scene.reset();
  std::filesystem::remove_all(folder);
}
