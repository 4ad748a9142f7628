// The millisecond clock: a 32-bit counter that wraps after about 49.7 days.
#pragma once

#include <cstdint>

// Milliseconds of the monotonic clock, as a 32-bit counter.
std::uint32_t TimeGetTime();

// Milliseconds from `earlier` to `later`, taken modulo 2^32 so that a wrap of the counter
// between the two readings still gives the true (short) interval.
inline std::uint32_t ElapsedMs(std::uint32_t later, std::uint32_t earlier) {
  return later - earlier;
}

// Replaces the clock (tests set a clock they drive themselves); null restores the real one.
using TClockSource = std::uint32_t (*)();
void SetClockSource(TClockSource source);
