#include "TavoClock.h"

#include <ctime>

namespace {

std::uint32_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
  return static_cast<std::uint32_t>(ms);
}

TClockSource Source = MonotonicMs;

}  // namespace

std::uint32_t TimeGetTime() {
  return Source();
}

void SetClockSource(TClockSource source) {
  Source = source ? source : MonotonicMs;
}
