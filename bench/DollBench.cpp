// How fast the doll's per-frame and per-opening-step work runs. Each figure is printed beside
// a memcpy of the bytes that operation writes, measured in the same run, so the ratio
// survives a noisy machine.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "MedianReporter.h"
#include "SampleFolder.h"
#include "doll/Doll.h"
#include "doll/Geometry.h"
#include "doll/Nest.h"
#include "doll/Opening.h"
#include "doll/Resampler.h"
#include "doll/ShapeProfile.h"
#include "framework/TavoForm.h"
#include "scene/Scene.h"
#include "scene/StreakBackdrop.h"

#include <QApplication>
#include <filesystem>

namespace {

constexpr std::size_t ViewBytes = 200 * 200 * 3;
// Two silhouettes and their masks, and the column map of a full doll.
constexpr std::size_t GeometryBytes = 4 * ViewBytes + 200 * 200 * sizeof(ColumnSpan);

// A full doll (radius 100 on every row) over a random 250 × 200 texture.
std::unique_ptr<TDoll> FullDoll() {
  auto doll = std::make_unique<TDoll>();
  std::mt19937 random(42);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 250; ++x)
      doll->Texture.Rows[y][x] =
          Pixel24{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                  static_cast<std::uint8_t>(random())};
  doll->View.DisplayedProfile.fill(100);
  doll->View.RefreshGeometry();
  return doll;
}

void Memcpy(benchmark::State& state, std::size_t bytes) {
  std::vector<char> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

void RenderViewBench(benchmark::State& state) {
  const auto doll = FullDoll();
  doll->ShadeLevel = 3;
  int rotation = 0;
  for (auto _ : state) {
    RenderView(doll->View, doll->Texture, doll->View.FrontView, rotation, doll->ShadeLevel);
    rotation = (rotation + 2) % 250;
    benchmark::ClobberMemory();
  }
}

void RefreshGeometryBench(benchmark::State& state) {
  const auto doll = FullDoll();
  for (auto _ : state) {
    doll->View.RefreshGeometry();
    benchmark::ClobberMemory();
  }
}

void AdvanceOpeningBench(benchmark::State& state) {
  const auto doll = FullDoll();
  DrawOnTextureCopy(*doll, doll->Texture);
  TestOpenability(*doll);
  SetCurrentProfile(*doll, doll->View.DisplayedProfile);
  OpenDoll(*doll);
  for (auto _ : state) {
    if (doll->OpenProgress >= 200) {
      state.PauseTiming();
      doll->View.DisplayedProfile.fill(100);
      SetCurrentProfile(*doll, doll->View.DisplayedProfile);
      OpenDoll(*doll);
      state.ResumeTiming();
    }
    AdvanceOpening(*doll);
    benchmark::ClobberMemory();
  }
}

// The full doll at rest as the outer doll of a nest whose level 9 has pictures of its own.
std::unique_ptr<TDoll> NestDoll() {
  auto doll = FullDoll();
  TestOpenability(*doll);
  DollProfile slim;
  slim.fill(60);
  doll->Nest = {{1, {doll->View.DisplayedProfile, CopyOfSkin(doll->Texture)}},
                {9, {slim, CopyOfSkin(doll->Texture)}}};
  return doll;
}

// What Open does to show level 9 from its own pictures: eight nestings of each.
void OpenLevel9Bench(benchmark::State& state) {
  const auto doll = NestDoll();
  for (auto _ : state) {
    doll->DollLevel = 8;
    OpenDoll(*doll);
    benchmark::ClobberMemory();
  }
}

// A close step, to set beside an opening step.
void AdvanceClosingBench(benchmark::State& state) {
  const auto doll = NestDoll();
  doll->CloseProgress = OpenProgressAtRest;
  for (auto _ : state) {
    if (doll->CloseProgress >= OpenProgressAtRest) {
      state.PauseTiming();
      doll->DollLevel = 2;
      CloseDoll(*doll);
      state.ResumeTiming();
    }
    AdvanceClosing(*doll);
    benchmark::ClobberMemory();
  }
}

void StepBackdropBench(benchmark::State& state) {
  TTavoBitmap backdrop;
  backdrop.SetSizeFilled(200, 200, FrameColour);
  RandSeed = 1;
  StreakSet left{}, right{};
  SeedStreaks(left, right);
  for (auto _ : state) {
    StepBackdrop(backdrop, left);
    benchmark::ClobberMemory();
  }
}

// A whole frame on the bundled sample doll: opening step when due, both views, the turn,
// both backdrops, composing, and showing in two paint boxes.
void FrameTickBench(benchmark::State& state) {
  const auto scene = std::make_unique<TScene>(MakeSampleFolder("kavinel-bench"));
  TPaintBox front, back;
  front.resize(200, 200);
  back.resize(200, 200);
  TTavoForm form(200, 200, nullptr);  // never shown: the scene shows its frames in the boxes
  scene->Start(form, &front, &back);
  for (auto _ : state) {
    scene->FrameTick();
    benchmark::ClobberMemory();
  }
  scene->Stop();
}

void Register(const std::string& name, void (*run)(benchmark::State&)) {
  benchmark::RegisterBenchmark(name.c_str(), run)
      ->Unit(benchmark::kMicrosecond)
      ->Repetitions(15)
      ->ReportAggregatesOnly(true);
}

void RegisterMemcpy(const std::string& name, std::size_t bytes) {
  benchmark::RegisterBenchmark(name.c_str(), Memcpy, bytes)
      ->Unit(benchmark::kMicrosecond)
      ->Repetitions(15)
      ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);  // the paint boxes are widgets
  // Each operation with the bytes it writes, measured beside a memcpy of as many bytes.
  struct Pair {
    const char* Operation;
    void (*Run)(benchmark::State&);
    const char* Copy;
    std::size_t Bytes;
  };
  const Pair pairs[] = {
      {"RenderView", RenderViewBench, "memcpy(view)", ViewBytes},
      {"RefreshGeometry", RefreshGeometryBench, "memcpy(geometry)", GeometryBytes},
      // An opening step rewrites the geometry and every texture row.
      {"AdvanceOpening", AdvanceOpeningBench, "memcpy(opening step)",
       GeometryBytes + 200 * 250 * 3},
      // A close step writes what an opening step writes.
      {"AdvanceClosing", AdvanceClosingBench, "memcpy(close step)", GeometryBytes + 200 * 250 * 3},
      // Eight nestings of a profile and a skin, each copied into the doll at rest: at most 1 ms.
      {"OpenDoll(level 9 of its own)", OpenLevel9Bench, "memcpy(eight skins)",
       8 * 2 * 250 * 200 * 3},
      {"StepBackdrop", StepBackdropBench, "memcpy(backdrop)", ViewBytes},
      // Two views, two backdrops, two frames and the two paint boxes' copies.
      {"FrameTick", FrameTickBench, "memcpy(frame)", 8 * ViewBytes},
  };
  for (const Pair& pair : pairs) {
    Register(pair.Operation, pair.Run);
    RegisterMemcpy(pair.Copy, pair.Bytes);
  }

  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::cout << "\nMedians beside a memcpy of the bytes each writes:\n";
  for (const Pair& pair : pairs) {
    if (!reporter.Medians.count(pair.Operation) || !reporter.Medians.count(pair.Copy)) continue;
    const double t = reporter.Medians[pair.Operation];
    const double m = reporter.Medians[pair.Copy];
    std::cout << "  " << pair.Operation << ": " << t << " us, " << pair.Copy << ": " << m
              << " us, ratio " << t / m << "\n";
  }
  benchmark::Shutdown();
}
