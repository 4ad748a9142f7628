// How fast shaping by hand answers: one drag step (the outline moved and the geometry rebuilt
// for it) and a release on the sample doll (the outline written, the old one kept, the doll
// read again).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <memory>

#include "MedianReporter.h"
#include "SampleFolder.h"
#include "framework/FileOutput.h"
#include "scene/Reshape.h"
#include "scene/Scene.h"

namespace {

constexpr int Row = 120;  // among the sample doll's widest rows

std::unique_ptr<TScene> Scene;  // the sample doll

int RightEdge(int r) {
  return ViewSize / 2 - 1 + r;
}

void DragStep(benchmark::State& state) {
  TReshape& reshape = Scene->Reshape;
  const int radius = Scene->Doll.View.DisplayedProfile[Row];
  reshape.BeginReshape(Row, RightEdge(radius));
  int step = 0;
  for (auto _ : state) reshape.DragReshape(RightEdge(radius + 1 + step++ % 8));  // each a change
  reshape.CancelReshape();
}

// Each release keeps the outline it replaces under a new backup name; those are removed
// untimed.
void RemoveBackups() {
  for (int n = 1; std::filesystem::remove(BackupName(Scene->PathOf(ShapeFileName), n)); ++n) {
  }
}

void Release(benchmark::State& state) {
  TReshape& reshape = Scene->Reshape;
  for (auto _ : state) {
    state.PauseTiming();
    const int radius = Scene->Doll.View.DisplayedProfile[Row];
    reshape.BeginReshape(Row, RightEdge(radius));
    reshape.DragReshape(RightEdge(radius >= 95 ? radius - 5 : radius + 5));  // 92 and 97 in turn
    state.ResumeTiming();
    if (!reshape.EndReshape()) state.SkipWithError("nothing written");
    state.PauseTiming();
    RemoveBackups();
    Scene->DollHistory.Clear();
    state.ResumeTiming();
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = MakeSampleFolder("kavinel-shape-bench");
  Scene = std::make_unique<TScene>(folder);
  for (auto* run : {DragStep, Release})
    benchmark::RegisterBenchmark(run == DragStep ? "DragStep" : "Release", run)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
  auto m = RunBenchmarksForMedians(argc, argv);
  std::cout << "\nMedians, shaping the sample doll by hand:\n"
            << "  one drag step: " << m["DragStep"] << " ms (target: at most 0.3)\n"
            << "  a release (write, keep, read again): " << m["Release"]
            << " ms (target: at most 30)\n";
  Scene.reset();
  std::filesystem::remove_all(folder);
}
