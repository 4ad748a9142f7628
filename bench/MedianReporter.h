// A console reporter that also keeps each benchmark's median, so that a program can set an
// operation beside the plain operation it is measured against.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

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

// Runs the benchmarks the command line selects, printing them as the console reporter does,
// and returns each one's median by name.
inline std::map<std::string, double> RunBenchmarksForMedians(int& argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.Medians;
}
