// How fast painting by hand answers on the sample doll: one dab of the largest brush on the
// widest row, a second of dragging (60 pointer moves, each a line of dabs) with it, the
// painting's work in a frame tick while the brush is held on a turning doll (the band, the
// level shown again, the check for a write that is due), and the painted skin written.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "MedianReporter.h"
#include "SampleFolder.h"
#include "doll/Nest.h"
#include "doll/Painting.h"
#include "framework/FileOutput.h"
#include "framework/TavoClock.h"
#include "scene/PaintSession.h"
#include "scene/Scene.h"

namespace {

constexpr int Largest = BrushDiameters[std::size(BrushDiameters) - 1];

// The sample doll's widest row.
int WidestRow() {
  return static_cast<int>(std::max_element(DisplayedProfile.begin(), DisplayedProfile.end()) -
                          DisplayedProfile.begin());
}

void Dab(benchmark::State& state) {
  const auto skin = CopyOfSkin(*Nest.at(1).Skin);
  const TViewPoint point{QPointF(100, WidestRow()), false, 17};
  for (auto _ : state) PaintDab(*skin, point, Largest, {Pixel24{0, 0, 0}});
}

// Sixty moves of five pixels across the doll and back, as a quick hand drags in a second.
void SecondOfDragging(benchmark::State& state) {
  const auto skin = CopyOfSkin(*Nest.at(1).Skin);
  const int row = WidestRow();
  for (auto _ : state) {
    TViewPoint from{QPointF(50, row), false, 17};
    for (int move = 1; move <= 60; ++move) {
      const QPointF to(50 + 5 * (move <= 30 ? move : 60 - move), row + move % 7);
      PaintLine(*skin, from, to, Largest, {Pixel24{0, 0, 0}});
      from.At = to;
    }
  }
}

// What a frame tick adds while the brush is held and the doll turns by a column a frame.
void HeldBrushTick(benchmark::State& state) {
  BeginPainting();
  BeginStroke(ViewPoint(QPointF(100, WidestRow()), false));
  int rotation = 0;
  for (auto _ : state) {
    TurnHeldBrush(++rotation % TextureColumns);
    SavePaintingWhenDue(TimeGetTime());
  }
  EndStroke(false);
  ForgetPainting();
}

// The painted skin written, the old one kept the first time; backups are removed untimed.
void WriteSkin(benchmark::State& state) {
  BeginPainting();
  int x = 40;
  for (auto _ : state) {
    state.PauseTiming();
    BeginStroke(ViewPoint(QPointF(x = x < 160 ? x + 1 : 40, WidestRow()), false));
    EndStroke(true);
    state.ResumeTiming();
    SavePainting();
  }
  ForgetPainting();
  for (int n = 1; std::filesystem::remove(BackupName(TextureFileName, n)); ++n) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  const auto before = EnterSampleFolder("kavinel-paint-bench");
  CreateSceneBitmaps();
  using TRun = void (*)(benchmark::State&);
  for (const auto& [name, run] : {std::pair<const char*, TRun>{"Dab", Dab},
                                  {"SecondOfDragging", SecondOfDragging},
                                  {"HeldBrushTick", HeldBrushTick},
                                  {"WriteSkin", WriteSkin}})
    benchmark::RegisterBenchmark(name, run)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
  auto m = RunBenchmarksForMedians(argc, argv);
  std::cout << "\nMedians, painting the sample doll by hand with the largest brush:\n"
            << "  one dab on the widest row: " << m["Dab"] << " ms (target: at most 0.1)\n"
            << "  a second of dragging, 60 moves: " << m["SecondOfDragging"]
            << " ms (target: at most 5)\n"
            << "  a frame tick's painting, brush held on a turning doll: " << m["HeldBrushTick"]
            << " ms (target: at most 0.5)\n"
            << "  the painted skin written: " << m["WriteSkin"] << " ms (target: at most 30)\n";
  std::filesystem::current_path(before);
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "kavinel-paint-bench");
}
