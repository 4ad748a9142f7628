// How fast the shelf answers with 200 dolls in a scratch ~/Kavinel, each with a skin of its
// own: the window opened with every picture in the cache, the work a cold cache costs for each
// doll (its content digested, its picture made and kept), the copy of a doll file looked for
// among them, and Show on a doll of three levels.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <iostream>
#include <memory>

#include "MedianReporter.h"
#include "SampleFolder.h"
#include "platform/DollShelf.h"
#include "scene/ShelfWindow.h"

namespace {

namespace fs = std::filesystem;

constexpr int Dolls = 200;
const fs::path Home = fs::temp_directory_path() / "kavinel-shelf-bench";
const fs::path Shelf = Home / "Kavinel";

std::unique_ptr<TScene> Scene;  // the doll shown

// What the main window does for the shelf: here only tell the folder of the doll shown.
TShelfWindow::TActions Actions() {
  TShelfWindow::TActions actions;
  actions.ShownFolder = [] { return Scene->Folder(); };
  return actions;
}

void OpenWarm(benchmark::State& state) {
  for (auto _ : state) TShelfWindow window(nullptr, Shelf, KAVINEL_SAMPLES, Actions());
}

// The whole shelf from an empty cache, pictures included; reported for each doll.
void FillCold(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(CacheFolder());
    state.ResumeTiming();
    TShelfWindow window(nullptr, Shelf, KAVINEL_SAMPLES, Actions());
    window.FinishPictures();
  }
}

void FindCopy(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FindCopyOnShelf(Shelf, "no such content"));
}

// Show, back and forth between two dolls of three levels.
void ShowThreeLevels(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) Scene->ShowDollFolder(Shelf / ("doll-" + std::to_string(1 + n++ % 2)));
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  UseScratchHome(Home);
  QApplication application(argc, argv);
  const std::string work = MakeSampleFolder("kavinel-shelf-bench-work");
  Scene = std::make_unique<TScene>(work);
  FillShelf(Shelf, Dolls);
  using TRun = void (*)(benchmark::State&);
  for (const auto& [name, run] : {std::pair<const char*, TRun>{"FillCold", FillCold},
                                  {"OpenWarm", OpenWarm},
                                  {"FindCopy", FindCopy},
                                  {"ShowThreeLevels", ShowThreeLevels}})
    benchmark::RegisterBenchmark(name, run)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->Iterations(name == std::string("FillCold") ? 1 : 5)
        ->ReportAggregatesOnly(true);
  auto m = RunBenchmarksForMedians(argc, argv);
  std::cout << "\nMedians, a shelf of " << Dolls << " dolls of three levels:\n"
            << "  cold cache, the work for each doll: " << m["FillCold"] / (Dolls + 1)
            << " ms (target: at most 10, on threads of its own)\n"
            << "  opened with a warm cache, every picture shown: " << m["OpenWarm"]
            << " ms (target: at most 100)\n"
            << "  a doll file's copy looked for: " << m["FindCopy"] << " ms (target: at most 50)\n"
            << "  Show on a doll of three levels: " << m["ShowThreeLevels"]
            << " ms (target: at most 30)\n";
  Scene.reset();
  fs::remove_all(Home);
  fs::remove_all(work);
}
