// Frame pacing: runs the real cooperative main loop with the frame tick on the sample doll
// for ten seconds (offscreen) and reports the period between ticks — median, 99th
// percentile — and the worst lateness. The loop runs a 50 ms task once more than 50 ms have
// passed, so the period to expect is 51 ms. The doll turns meanwhile. With --quiet the loop
// waits between frames, and the processor time the whole run took is reported beside. With
// --shelf the shelf is open on 200 dolls from a cold cache all the while, its pictures made and
// its chosen doll turning.
#include <sys/resource.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "SampleFolder.h"
#include "framework/TavoTimer.h"
#include "scene/Scene.h"
#include "scene/UnitForm.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double RunSeconds = 10.0;
constexpr int ShelfDolls = 200;
std::vector<Clock::time_point> Ticks;
TFormMain* Form = nullptr;

// Seconds of processor time this process has used.
double ProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor seconds at the first tick and at the last: the turning, not the start-up.
double FirstTickProcessor = 0;
double LastTickProcessor = 0;

void TimedFrameTick() {
  Ticks.push_back(Clock::now());
  LastTickProcessor = ProcessorSeconds();
  if (Ticks.size() == 1) FirstTickProcessor = LastTickProcessor;
  Form->Scene->FrameTick();
  if (std::chrono::duration<double>(Ticks.back() - Ticks.front()).count() >= RunSeconds)
    Form->close();
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const bool quiet = argc > 1 && std::strcmp(argv[1], "--quiet") == 0;
  const bool shelf = argc > 1 && std::strcmp(argv[1], "--shelf") == 0;
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "kavinel-pacing-home";
  if (shelf) {
    std::filesystem::remove_all(home);
    FillShelf(UseScratchHome(home), ShelfDolls);
  }
  QApplication application(argc, argv);
  // The window shows the doll of the working folder it starts in.
  std::filesystem::current_path(MakeSampleFolder("kavinel-pacing"));

  TFormMain form;
  Form = &form;
  SetQuietLoop(quiet);
  form.Scene->Doll.Direction = DirectionClockwise;
  TaskTable.at(0).Proc = TimedFrameTick;  // the frame tick, with a stopwatch
  form.show();
  if (shelf) form.ShelfClick();
  QApplication::exec();
  if (shelf) std::filesystem::remove_all(home);

  std::vector<double> periods;
  for (std::size_t i = 1; i < Ticks.size(); ++i)
    periods.push_back(std::chrono::duration<double, std::milli>(Ticks[i] - Ticks[i - 1]).count());
  if (periods.empty()) return 1;
  const double worst = *std::max_element(periods.begin(), periods.end());
  std::printf("Frame pacing over %.0f s, %zu ticks, the %s loop%s:\n", RunSeconds, Ticks.size(),
              quiet ? "quiet" : "busy",
              shelf ? ", the shelf open on 200 dolls from a cold cache" : "");
  std::printf(
      "  period median %.2f ms, 99th percentile %.2f ms, worst lateness %.2f ms "
      "(beyond the 51 ms the loop aims at)\n",
      Percentile(periods, 0.5), Percentile(periods, 0.99), worst - 51.0);
  const double turning = std::chrono::duration<double>(Ticks.back() - Ticks.front()).count();
  std::printf("  processor time while it turns %.1f %% of one core%s\n",
              100.0 * (LastTickProcessor - FirstTickProcessor) / turning,
              quiet ? " (target: at most 3)" : "");
  return 0;
}
