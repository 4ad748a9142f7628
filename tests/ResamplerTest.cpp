// The cylinder resampler: exact values from the worked examples, and every pixel against the
// model for random textures, profiles, rotations and shade levels.
#include <gtest/gtest.h>

#include "DollModel.h"
#include "TestFiles.h"
#include "doll/Doll.h"
#include "doll/Geometry.h"
#include "doll/Resampler.h"
#include "doll/ResamplerTables.h"

namespace {

using Picture = std::vector<std::vector<Pixel24>>;

Picture Uniform(Pixel24 colour) {
  return Picture(200, std::vector<Pixel24>(250, colour));
}

class Resampler : public ::testing::Test {
 protected:
  void SetUp() override { doll->ShadeLevel = 0; }
  void TearDown() override { doll->ShadeLevel = 0; }
  void Doll(int radius) {
    doll->View.DisplayedProfile.fill(radius);
    doll->View.RefreshGeometry();
  }
  // Renders `view` of the doll from its Texture at its ShadeLevel.
  void Render(TTavoBitmap& view, int rotation) {
    RenderView(doll->View, doll->Texture, view, rotation, doll->ShadeLevel);
  }
  // Renders `view` at every shade level and the given rotations and compares every pixel
  // inside the doll with the model.
  void ExpectModelEverywhere(TTavoBitmap& view, const Picture& texture,
                             std::initializer_list<int> rotations);
  std::unique_ptr<TDoll> doll = std::make_unique<TDoll>();
};

TEST(ClampToByte, TruncatesThenClamps) {
  EXPECT_EQ(ClampToByte(254.99f), 254);
  EXPECT_EQ(ClampToByte(-0.7f), 0);
  EXPECT_EQ(ClampToByte(-300.0f), 0);
  EXPECT_EQ(ClampToByte(0.0f), 0);
  EXPECT_EQ(ClampToByte(0.999f), 0);
  EXPECT_EQ(ClampToByte(255.0f), 255);
  EXPECT_EQ(ClampToByte(255.9f), 255);
  EXPECT_EQ(ClampToByte(1e30f), 255);
}

TEST_F(Resampler, AUniformTextureComesOutAsItsValueOrOneLess) {
  SetTexture(doll->Texture, Uniform(KeyColour));
  Doll(100);
  Render(doll->View.FrontView, 0);
  bool saw255 = false, saw254 = false;
  for (int x = 0; x < 200; ++x) {
    const Pixel24 p = doll->View.FrontView.Rows[7][x];
    ASSERT_TRUE(p.Red >= 254 && p.Green == p.Red && p.Blue == p.Red) << p << " at " << x;
    saw255 |= p.Red == 255;
    saw254 |= p.Red == 254;
  }
  EXPECT_TRUE(saw255 && saw254);

  SetTexture(doll->Texture, Uniform(FrameColour));
  Render(doll->View.FrontView, 17);
  for (int x = 0; x < 200; ++x)
    ASSERT_TRUE(SameColour(doll->View.FrontView.Rows[7][x], FrameColour));
}

TEST_F(Resampler, ShadingDarkensTheRightEdgeStepByStep) {
  SetTexture(doll->Texture, Uniform(KeyColour));
  Doll(100);
  const int expected[] = {0, 209, 163, 117, 71, 25};
  for (int level = 1; level <= 5; ++level) {
    doll->ShadeLevel = level;
    Render(doll->View.FrontView, 0);
    EXPECT_EQ(doll->View.FrontView.Rows[0][199].Red, expected[level]) << "level " << level;
  }
}

TEST_F(Resampler, PixelsLeftOfTheAxisIgnoreTheShadeLevel) {
  SetTexture(doll->Texture, RandomTexture(5));
  Doll(80);
  Render(doll->View.FrontView, 33);
  const Picture unshaded = [this] {
    Picture p(200, std::vector<Pixel24>(100));
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 100; ++x) p[y][x] = doll->View.FrontView.Rows[y][x];
    return p;
  }();
  doll->ShadeLevel = 5;
  Render(doll->View.FrontView, 33);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 100; ++x)
      ASSERT_TRUE(SameColour(doll->View.FrontView.Rows[y][x], unshaded[y][x]));
}

TEST_F(Resampler, AStretchAcrossTheSeamSumsBothEndsAndTrimsTheRightTexels) {
  // Texel value = column / 2, so each column is told apart by its sum.
  Picture texture = Uniform(FrameColour);
  for (int x = 0; x < 250; ++x) texture[0][x] = Pixel24{0, 0, static_cast<std::uint8_t>(x / 2)};
  SetTexture(doll->Texture, texture);
  doll->View.DisplayedProfile.fill(0);
  doll->View.RefreshGeometry();
  doll->View.Left[0] = doll->View.Right[0] = 150;
  doll->View.ColumnMap[0][150] = ColumnSpan{40, 60, 0.25f, 0.5f, 20.25f, 1.0f};
  Render(doll->View.FrontView, 200);  // a = 240, b = 10
  float sum = 0;
  for (int x = 240; x < 250; ++x) sum += static_cast<float>(x / 2);
  for (int x = 0; x <= 10; ++x) sum += static_cast<float>(x / 2);
  sum = static_cast<float>(sum - 120 * 0.25);  // column 240
  sum = static_cast<float>(sum - 5 * 0.5);     // column 10
  EXPECT_EQ(doll->View.FrontView.Rows[0][150].Red,
            ClampToByte(sum * static_cast<float>(5.0 / (20.25 * 5))));
  EXPECT_EQ(doll->View.FrontView.Rows[0][150].Red,
            ModelPixel(texture[0], doll->View.ColumnMap[0][150], 200, 0).Red);
}

TEST_F(Resampler, TheBackViewAtTheLastOffsetNeverReadsColumnTwoFortyNine) {
  Picture texture = Uniform(FrameColour);
  for (auto& row : texture) row[249] = KeyColour;
  SetTexture(doll->Texture, texture);
  Doll(100);
  Render(doll->View.BackView, 249 + 125);  // stretches run from column 124 to 248
  for (int x = 0; x < 200; ++x)
    ASSERT_TRUE(SameColour(doll->View.BackView.Rows[50][x], FrameColour)) << x;
  Render(doll->View.FrontView, 249);  // from column 249 across the seam to 123
  EXPECT_EQ(doll->View.FrontView.Rows[50][0].Red,
            ModelPixel(texture[50], doll->View.ColumnMap[50][0], 249, 0).Red);
  EXPECT_GT(doll->View.FrontView.Rows[50][0].Red, 0);
}

TEST_F(Resampler, PixelsOutsideTheDollAreNotTouched) {
  SetTexture(doll->Texture, RandomTexture(9));
  doll->View.DisplayedProfile.fill(30);
  doll->View.DisplayedProfile[4] = 0;
  doll->View.RefreshGeometry();
  doll->View.FrontView.Fill(Pixel24{1, 2, 3});
  Render(doll->View.FrontView, 0);
  for (int x = 0; x < 200; ++x)
    ASSERT_TRUE(SameColour(doll->View.FrontView.Rows[4][x], Pixel24{1, 2, 3}));
  EXPECT_TRUE(SameColour(doll->View.FrontView.Rows[5][69], Pixel24{1, 2, 3}));
  EXPECT_TRUE(SameColour(doll->View.FrontView.Rows[5][130], Pixel24{1, 2, 3}));
  EXPECT_FALSE(SameColour(doll->View.FrontView.Rows[5][70], Pixel24{1, 2, 3}));
}

// Reads the column map without writing access, so that rows built from a radius stay on the
// fast path.
void Resampler::ExpectModelEverywhere(TTavoBitmap& view, const Picture& texture,
                                      std::initializer_list<int> rotations) {
  const TColumnMap& map = doll->View.ColumnMap;
  for (int level = 0; level <= 5; ++level) {
    doll->ShadeLevel = level;
    for (int rotation : rotations) {
      Render(view, rotation);
      for (int y = 0; y < DollRows; ++y)
        for (int x = doll->View.Left[y]; x <= doll->View.Right[y]; ++x) {
          const Pixel24 want = ModelPixel(texture[y], map[y][x], rotation, level);
          ASSERT_TRUE(SameColour(view.Rows[y][x], want))
              << "level " << level << " rotation " << rotation << " (" << x << ", " << y
              << "): " << view.Rows[y][x] << " expected " << want;
        }
    }
  }
}

TEST_F(Resampler, EveryPixelMatchesTheModel) {
  const Picture texture = RandomTexture(1234);
  SetTexture(doll->Texture, texture);
  for (int y = 0; y < DollRows; ++y) doll->View.DisplayedProfile[y] = (y * 53) % 101;
  doll->View.RefreshGeometry();
  ExpectModelEverywhere(doll->View.FrontView, texture,
                        {0, 1, 2, 124, 125, 200, 248, 249, 250, 374});
}

TEST_F(Resampler, RowsChangedByHandAreRenderedByThePlainRules) {
  const Picture texture = RandomTexture(77);
  SetTexture(doll->Texture, texture);
  for (int y = 0; y < DollRows; ++y) doll->View.DisplayedProfile[y] = 100 - y / 2;
  doll->View.RefreshGeometry();
  for (int y = 0; y < DollRows; y += 3)
    doll->View.ColumnMap[y][doll->View.Left[y]].FirstTrim = 0.125f;
  for (int y = 1; y < DollRows; y += 3) ++doll->View.Left[y];  // an odd number of pixels
  ExpectModelEverywhere(doll->View.BackView, texture, {3, 130, 374});
}

TEST_F(Resampler, AChangedTextureRowIsReadAfresh) {
  Picture texture = RandomTexture(3);
  SetTexture(doll->Texture, texture);
  Doll(100);
  Render(doll->View.FrontView, 10);
  texture[42][60] = Pixel24{1, 2, 3};
  doll->Texture.Rows[42][60] = Pixel24{1, 2, 3};
  ExpectModelEverywhere(doll->View.FrontView, texture, {10});
}

TEST_F(Resampler, EveryRadiusTakesTheFastPathWhereTheProcessorHasOne) {
  // Not a matter of correctness (both paths give the same bits) but of speed: a change in
  // the geometry that pushed a radius off the fused path would show here first.
  for (int r = 1; r <= MaxRadius; ++r) EXPECT_TRUE(ShadingForRadius(r).FusedIsExact) << r;
}

TEST_F(Resampler, ATextureWithTooFewRowsIsARangeError) {
  Doll(10);
  doll->Texture.SetSizeBlank(250, 100);
  EXPECT_THROW(Render(doll->View.FrontView, 0), ERangeError);
}

}  // namespace
