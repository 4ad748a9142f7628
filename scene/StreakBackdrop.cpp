#include "StreakBackdrop.h"

#include <chrono>

namespace {

constexpr int Size = ViewSize;       // a backdrop lies behind one view
constexpr std::uint8_t Trail = 180;  // the green a particle paints

void Paint(TTavoBitmap& backdrop, const StreakParticle& p) {
  CheckIndex(p.X, Size);
  backdrop.Rows[p.Y][p.X].Green = Trail;
}

}  // namespace

std::uint32_t RandSeed = 0;

std::uint32_t Random(std::uint32_t n) {
  RandSeed = RandSeed * 134775813u + 1u;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(RandSeed) * n) >> 32);
}

std::uint32_t MillisecondsSinceUtcMidnight() {
  using namespace std::chrono;
  const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(now.count() % (24LL * 60 * 60 * 1000));
}

void RespawnStreak(StreakParticle& particle, std::int32_t anywhere) {
  // Each field is drawn in the order written.
  if (Random(2) == 0) {  // runner
    particle.X = static_cast<std::int32_t>(Random(Size)) * anywhere;
    particle.Y = static_cast<std::int32_t>(Random(Size));
    particle.StepsX = static_cast<std::int32_t>(Random(5)) + 10;
    particle.StepsY = static_cast<std::int32_t>(Random(2));
  } else {  // faller
    particle.X = static_cast<std::int32_t>(Random(Size));
    particle.Y = static_cast<std::int32_t>(Random(Size)) * anywhere;
    particle.StepsX = static_cast<std::int32_t>(Random(2));
    particle.StepsY = static_cast<std::int32_t>(Random(5)) + 10;
  }
}

void SeedStreaks(StreakSet& left, StreakSet& right) {
  for (int i = 0; i < StreakCount; ++i) {
    RespawnStreak(left[i], 1);
    RespawnStreak(right[i], 1);
  }
}

void StepBackdrop(TTavoBitmap& backdrop, StreakSet& particles) {
  if (backdrop.width() < Size) throw ERangeError();
  for (int y = 0; y < Size; ++y) {
    Pixel24* row = backdrop.Rows[y].Data();
    for (int x = 0; x < Size; ++x)
      row[x].Green = static_cast<std::uint8_t>((3 * row[x].Green) >> 2);
  }
  for (StreakParticle& p : particles) {
    // The counts are read once: a particle respawned on the way takes the remaining steps
    // of its old kind.
    const std::int32_t stepsRight = p.StepsX;
    for (std::int32_t i = 0; i < stepsRight; ++i) {
      if (++p.X > Size - 1) RespawnStreak(p, 0);
      Paint(backdrop, p);
    }
    const std::int32_t stepsDown = p.StepsY;
    for (std::int32_t i = 0; i < stepsDown; ++i) {
      if (++p.Y > Size - 1) RespawnStreak(p, 0);
      Paint(backdrop, p);
    }
  }
}
