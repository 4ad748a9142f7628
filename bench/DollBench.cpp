// How fast the doll's per-frame and per-opening-step work runs. Each figure is printed beside
// a memcpy of the bytes that operation writes, measured in the same run, so the ratio
// survives a noisy machine.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "doll/Geometry.h"
#include "doll/Resampler.h"

namespace {

constexpr std::size_t ViewBytes = 200 * 200 * 3;
// Two silhouettes and their masks, and the column map of a full doll.
constexpr std::size_t GeometryBytes = 4 * ViewBytes + 200 * 200 * sizeof(ColumnSpan);

// A full doll (radius 100 on every row) over a random 250 × 200 texture.
void SetUpFullDoll() {
  if (!FrontView) {
    FrontView = std::make_unique<TTavoBitmap>();
    BackView = std::make_unique<TTavoBitmap>();
    Texture = std::make_unique<TTavoBitmap>();
  }
  FrontView->SetSizeBlank(200, 200);
  BackView->SetSizeBlank(200, 200);
  Texture->SetSizeBlank(250, 200);
  std::mt19937 random(42);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 250; ++x)
      Texture->Rows[y][x] =
          Pixel24{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                  static_cast<std::uint8_t>(random())};
  DisplayedProfile.fill(100);
  RefreshGeometry();
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
  SetUpFullDoll();
  ShadeLevel = 3;
  int rotation = 0;
  for (auto _ : state) {
    RenderView(*FrontView, rotation);
    rotation = (rotation + 2) % 250;
    benchmark::ClobberMemory();
  }
}

void RefreshGeometryBench(benchmark::State& state) {
  SetUpFullDoll();
  for (auto _ : state) {
    RefreshGeometry();
    benchmark::ClobberMemory();
  }
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

// Collects the medians so that each operation can be set beside its memcpy.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.aggregate_name == "median")
        Medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> Medians;
};

}  // namespace

int main(int argc, char** argv) {
  Register("RenderView", RenderViewBench);
  RegisterMemcpy("memcpy(view)", ViewBytes);
  Register("RefreshGeometry", RefreshGeometryBench);
  RegisterMemcpy("memcpy(geometry)", GeometryBytes);

  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::cout << "\nMedians beside a memcpy of the bytes each writes:\n";
  const std::pair<const char*, const char*> pairs[] = {{"RenderView", "memcpy(view)"},
                                                       {"RefreshGeometry", "memcpy(geometry)"}};
  for (const auto& [operation, copy] : pairs) {
    if (!reporter.Medians.count(operation) || !reporter.Medians.count(copy)) continue;
    const double t = reporter.Medians[operation];
    const double m = reporter.Medians[copy];
    std::cout << "  " << operation << ": " << t << " us, " << copy << ": " << m << " us, ratio "
              << t / m << "\n";
  }
  benchmark::Shutdown();
}
