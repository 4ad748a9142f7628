// The random generator, the streak particles and the fading backdrop.
#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "scene/StreakBackdrop.h"

namespace {

bool Same(const StreakParticle& p, const StreakParticle& q) {
  return p.X == q.X && p.Y == q.Y && p.StepsX == q.StepsX && p.StepsY == q.StepsY;
}

TEST(Streaks, AParticleHasItsDeclaredLayout) {
  EXPECT_EQ(sizeof(StreakParticle), 16u);
}

TEST(Random, StepsTheSeedAndTakesTheUpperHalfOfTheProduct) {
  RandSeed = 12345;
  // 12345 × 134775813 + 1 = 1663807411486 = 387 × 2^32 + 1655067934;
  // 1655067934 × 200 = 331013586800, and its upper 32 bits are 77.
  EXPECT_EQ(Random(200), 77u);
  EXPECT_EQ(RandSeed, 1655067934u);
  EXPECT_EQ(Random(200), 57u);
  EXPECT_EQ(RandSeed, 1242767767u);
  RandSeed = 0xFFFFFFFFu;  // the step wraps modulo 2^32
  EXPECT_EQ(Random(2),
            static_cast<std::uint32_t>((0xFFFFFFFFull * 134775813 + 1) % (1ull << 32)) >> 31);
  EXPECT_LT(MillisecondsSinceUtcMidnight(), 86'400'000u);
}

TEST(Streaks, AFixedSeedGivesAKnownParticleSetInAlternatingOrder) {
  RandSeed = 12345;
  StreakSet left{}, right{};
  SeedStreaks(left, right);
  EXPECT_TRUE(Same(left[0], StreakParticle{57, 15, 12, 1}));   // runner
  EXPECT_TRUE(Same(right[0], StreakParticle{87, 15, 10, 1}));  // runner
  EXPECT_TRUE(Same(left[1], StreakParticle{64, 48, 1, 12}));   // faller
  EXPECT_TRUE(Same(right[1], StreakParticle{168, 160, 13, 1}));
  for (const StreakSet* set : {&left, &right})
    for (const StreakParticle& p : *set) {
      ASSERT_TRUE(p.X >= 0 && p.X < 200 && p.Y >= 0 && p.Y < 200);
      const bool runner = p.StepsX >= 10;
      ASSERT_TRUE(runner ? p.StepsX <= 14 && p.StepsY <= 1 : p.StepsX <= 1 && p.StepsY >= 10);
    }
}

TEST(Streaks, ARespawnStartsAtTheEdgeItEntersFrom) {
  RandSeed = 12345;
  StreakParticle p{};
  RespawnStreak(p, 0);
  EXPECT_TRUE(Same(p, StreakParticle{0, 15, 12, 1}));  // a runner at column 0
  RespawnStreak(p, 0);
  RespawnStreak(p, 0);
  EXPECT_TRUE(Same(p, StreakParticle{64, 0, 1, 12}));  // a faller at row 0
}

class Backdrop : public ::testing::Test {
 protected:
  void SetUp() override {
    backdrop.SetSizeFilled(200, 200, FrameColour);
    for (StreakParticle& p : particles) p = StreakParticle{0, 0, 0, 0};  // standing still
  }
  TTavoBitmap backdrop;
  StreakSet particles{};
};

TEST_F(Backdrop, GreenFadesByAQuarterRoundedDown) {
  const std::uint8_t before[] = {0, 1, 2, 3, 180, 135, 101, 255};
  const std::uint8_t after[] = {0, 0, 1, 2, 135, 101, 75, 191};
  for (int i = 0; i < 8; ++i) backdrop.Rows[5][i].Green = before[i];
  StepBackdrop(backdrop, particles);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(backdrop.Rows[5][i].Green, after[i]) << int{before[i]};
}

TEST_F(Backdrop, ARunnerAtTheRightEdgeRespawnsAndFinishesItsOldSteps) {
  particles[0] = StreakParticle{199, 50, 10, 0};
  RandSeed = 12345;  // the respawn makes a runner {0, 15, 12, 1}
  StepBackdrop(backdrop, particles);
  // Nine steps of the old count after the respawn at column 0, then its own one step down.
  EXPECT_TRUE(Same(particles[0], StreakParticle{9, 16, 12, 1}));
  for (int x = 0; x <= 9; ++x) EXPECT_EQ(backdrop.Rows[15][x].Green, 180) << x;
  EXPECT_EQ(backdrop.Rows[16][9].Green, 180);
  EXPECT_EQ(backdrop.Rows[50][199].Green, 0);  // nothing painted before the respawn
}

TEST_F(Backdrop, FallersDriftRightAndRunnersDriftDown) {
  particles[0] = StreakParticle{10, 20, 1, 10};
  particles[1] = StreakParticle{100, 100, 10, 1};
  StepBackdrop(backdrop, particles);
  EXPECT_TRUE(Same(particles[0], StreakParticle{11, 30, 1, 10}));
  EXPECT_TRUE(Same(particles[1], StreakParticle{110, 101, 10, 1}));
  EXPECT_EQ(backdrop.Rows[20][11].Green, 180);  // the step right is painted too
  EXPECT_EQ(backdrop.Rows[30][11].Green, 180);
  EXPECT_EQ(backdrop.Rows[100][110].Green, 180);
}

TEST_F(Backdrop, OnlyGreenBytesEverChange) {
  std::mt19937 random(1);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      backdrop.Rows[y][x] =
          Pixel24{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                  static_cast<std::uint8_t>(random())};
  TTavoBitmap before;
  before.SetSizeBlank(200, 200);
  backdrop.DrawOn(before, 0, 0);
  RandSeed = 99;
  for (StreakParticle& p : particles) RespawnStreak(p, 1);
  for (int frame = 0; frame < 50; ++frame) StepBackdrop(backdrop, particles);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      ASSERT_EQ(backdrop.Rows[y][x].Blue, before.Rows[y][x].Blue);
      ASSERT_EQ(backdrop.Rows[y][x].Red, before.Rows[y][x].Red);
    }
}

}  // namespace
