// The backdrop behind each view: points that run right or fall down, leaving green trails
// that lose a quarter of their green every frame. Also the program's one random generator.
#pragma once

#include <cstdint>

#include "doll/DollTypes.h"

inline constexpr int StreakCount = 100;  // particles per backdrop

// A point of the streak backdrop and how many one-pixel steps it takes per frame.
struct StreakParticle {
  std::int32_t X;
  std::int32_t Y;
  std::int32_t StepsX;
  std::int32_t StepsY;
};

using StreakSet = std::array<StreakParticle, StreakCount>;

// The generator's state: seed := seed × 134775813 + 1 (mod 2^32).
extern std::uint32_t RandSeed;

// Steps the generator, then returns the upper 32 bits of seed × n: a number in 0..n−1.
std::uint32_t Random(std::uint32_t n);

// Milliseconds since midnight, UTC: the seed the program starts from.
std::uint32_t MillisecondsSinceUtcMidnight();

// A new kind and position: a runner (10..14 steps right, 0 or 1 down) or a faller (0 or 1
// right, 10..14 down). `anywhere` is 1 when seeding, so that it may start anywhere along
// its way, and 0 when respawning, so that it starts at the edge it enters from.
void RespawnStreak(StreakParticle& particle, std::int32_t anywhere);

// Gives every particle of both sets its first kind and position, alternating left and right.
void SeedStreaks(StreakSet& left, StreakSet& right);

// Fades the green of every pixel of the 200 × 200 `backdrop` to ⌊3g / 4⌋, then moves each
// particle and paints green 180 at every pixel it steps on.
void StepBackdrop(TTavoBitmap& backdrop, StreakSet& particles);
