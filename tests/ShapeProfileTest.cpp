// Reading the doll's outline from the shape image and deciding whether it can open.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>

#include "TestFiles.h"
#include "doll/Doll.h"
#include "doll/ShapeProfile.h"

namespace {

std::vector<int> Radii(const DollProfile& p) {
  return std::vector<int>(p.begin(), p.end());
}

std::vector<int> Constant(int r) {
  return std::vector<int>(DollRows, r);
}

// A single bulge: widening by one per row up to `widest` on `first`, flat until `last`,
// then narrowing by one per row.
std::vector<int> Bulge(int first, int last, int widest) {
  std::vector<int> r(DollRows);
  for (int i = 0; i < DollRows; ++i)
    r[i] = i < first   ? std::max(0, widest - (first - i))
           : i <= last ? widest
                       : std::max(0, widest - (i - last));
  return r;
}

class ShapeProfile : public ::testing::Test {
 protected:
  void SetUp() override {
    doll->View.DisplayedProfile.fill(7);
    doll->Openable = false;
    doll->SplitRow = 0;
  }
  // Reads the shape image of the doll's folder into the doll as the program does: the profile
  // shown, and whether it can open.
  void ReadShape() {
    doll->View.DisplayedProfile = ReadShapeProfile(folder.Path(ShapeFileName));
    TestOpenability(*doll);
  }
  // Writes the shape image into the doll's folder and reads it as the program does.
  void LoadShape(const Bytes& file) {
    WriteBytes(folder.Path(ShapeFileName), file);
    ReadShape();
  }
  // Runs the openability test on a profile and returns SplitRow, or -1 when it cannot open.
  int Split(const std::vector<int>& radii) {
    std::copy(radii.begin(), radii.end(), doll->View.DisplayedProfile.begin());
    TestOpenability(*doll);
    return doll->Openable ? doll->SplitRow : -1;
  }

  ScratchFolder folder;
  std::unique_ptr<TDoll> doll = std::make_unique<TDoll>();
};

TEST_F(ShapeProfile, RadiusIsTheColumnOfTheFirstPureBlackPixel) {
  std::vector<int> radii(DollRows);
  std::iota(radii.begin(), radii.end(), 0);
  for (int& r : radii) r %= 101;
  LoadShape(ShapeBmp(radii));
  EXPECT_EQ(Radii(doll->View.DisplayedProfile), radii);
}

TEST_F(ShapeProfile, OnlyExactBlackEndsARowAndAnyOtherColourIsDoll) {
  std::vector<std::vector<Pixel24>> picture(DollRows, std::vector<Pixel24>(100, FrameColour));
  picture[0][0] = Pixel24{0, 0, 1};  // red 1 still counts as doll
  picture[1][0] = Pixel24{1, 0, 0};
  picture[1][1] = Pixel24{0, 1, 0};
  for (int x = 0; x < 100; ++x) picture[2][x] = Pixel24{0, 0, 1};  // no black: 100
  picture[3][5] = KeyColour;  // pixels after the first black do not matter
  LoadShape(Bmp24(picture));
  EXPECT_EQ(doll->View.DisplayedProfile[0], 1);
  EXPECT_EQ(doll->View.DisplayedProfile[1], 2);
  EXPECT_EQ(doll->View.DisplayedProfile[2], 100);
  EXPECT_EQ(doll->View.DisplayedProfile[3], 0);
}

TEST_F(ShapeProfile, ALargerImageGivesTheProfileOfItsTopLeftCorner) {
  const std::vector<int> radii = Bulge(80, 120, 60);
  std::vector<int> taller = radii;
  taller.resize(260, 0);
  // Wider: columns past 100 are white (no black) on every row; rows past 200 are black.
  LoadShape(ShapeBmp(taller, 140));
  EXPECT_EQ(Radii(doll->View.DisplayedProfile), radii);
}

TEST_F(ShapeProfile, AnyColourDepthIsRead) {
  BmpParts parts;
  parts.Bits = 8;
  parts.Width = 100;
  parts.Height = DollRows;
  parts.Palette = {{0, 0, 0}, {40, 200, 90}};
  parts.ColoursUsed = 2;
  const std::vector<int> radii = Bulge(50, 60, 90);
  for (int y = DollRows - 1; y >= 0; --y) {
    Bytes row(100, 0);
    std::fill_n(row.begin(), radii[y], 1);
    parts.Rows.push_back(row);
  }
  LoadShape(BuildBmp(parts));
  EXPECT_EQ(Radii(doll->View.DisplayedProfile), radii);
}

TEST_F(ShapeProfile, ATooSmallImageIsRefusedBeforeAnyRowChanges) {
  LoadShape(ShapeBmp(Bulge(90, 109, 80)));  // openable, split 99
  const DollProfile before = doll->View.DisplayedProfile;
  for (const auto& [radii, width] :
       {std::pair{Constant(50), 99}, {std::vector<int>(199, 50), 100}}) {
    WriteBytes(folder.Path(ShapeFileName), ShapeBmp(radii, width));
    try {
      ReadShape();
      FAIL() << "read a " << width << " x " << radii.size() << " shape";
    } catch (const EImageSizeError& e) {
      const std::string text = e.what();
      EXPECT_NE(text.find(ShapeFileName), std::string::npos) << text;
      EXPECT_NE(text.find(std::to_string(width) + " × " + std::to_string(radii.size())),
                std::string::npos)
          << text;
    }
    EXPECT_EQ(doll->View.DisplayedProfile, before);
    EXPECT_TRUE(doll->Openable);
    EXPECT_EQ(doll->SplitRow, 99);
  }
}

TEST_F(ShapeProfile, AnUnreadableImageKeepsProfileAndOpenability) {
  LoadShape(ShapeBmp(Bulge(0, 199, 100)));
  const DollProfile before = doll->View.DisplayedProfile;
  std::remove(folder.Path(ShapeFileName).c_str());
  EXPECT_THROW(ReadShape(), EFOpenError);
  Bytes cut = ShapeBmp(Constant(3));
  cut.resize(cut.size() - 10);
  WriteBytes(folder.Path(ShapeFileName), cut);
  EXPECT_THROW(ReadShape(), EInvalidGraphic);
  EXPECT_EQ(doll->View.DisplayedProfile, before);
  EXPECT_TRUE(doll->Openable);
  EXPECT_EQ(doll->SplitRow, 99);
}

TEST_F(ShapeProfile, LoadingTestsOpenabilityButLeavesTheCurrentProfile) {
  doll->CurrentProfile.fill(42);
  LoadShape(ShapeBmp(Bulge(150, 199, 100)));
  EXPECT_TRUE(IsOpenable(*doll));
  EXPECT_EQ(doll->SplitRow, 174);
  for (int r : doll->CurrentProfile) ASSERT_EQ(r, 42);
  SetCurrentProfile(*doll, doll->View.DisplayedProfile);
  EXPECT_EQ(doll->CurrentProfile, doll->View.DisplayedProfile);
}

TEST_F(ShapeProfile, SingleBulgesOpenAtTheMiddleOfTheirWidestPart) {
  EXPECT_EQ(Split(Constant(0)), 99);    // all black: start 0, end 199
  EXPECT_EQ(Split(Constant(100)), 99);  // no black: the rise happens on row 0
  EXPECT_EQ(Split(Bulge(90, 109, 95)), 99);
  EXPECT_EQ(Split(Bulge(150, 199, 100)), 174);  // never narrows
  std::vector<int> flatTop = Constant(4);
  flatTop[0] = flatTop[1] = flatTop[2] = 5;
  EXPECT_EQ(Split(flatTop), 1);
  std::vector<int> leadingZeros = Bulge(30, 40, 20);
  std::fill_n(leadingZeros.begin(), 15, 0);
  EXPECT_EQ(Split(leadingZeros), 35);
  std::vector<int> steppedFlanks = {0, 3, 3, 6, 6, 6, 2, 2};
  steppedFlanks.resize(DollRows, 1);
  EXPECT_EQ(Split(steppedFlanks), 4);  // widest first on row 3, narrower on row 6
}

TEST_F(ShapeProfile, ANeckCannotOpenAndKeepsThePreviousSplitRow) {
  ASSERT_EQ(Split(Bulge(150, 199, 100)), 174);
  std::vector<int> neck = Bulge(60, 70, 80);
  neck[120] = neck[119] + 1;  // widens by one pixel, still narrower than the widest row
  EXPECT_EQ(Split(neck), -1);
  EXPECT_FALSE(IsOpenable(*doll));
  EXPECT_EQ(doll->SplitRow, 174);
  std::vector<int> twoBulges = Bulge(40, 40, 60);
  for (int i = 120; i < DollRows; ++i) twoBulges[i] = 90;
  EXPECT_EQ(Split(twoBulges), -1);
  EXPECT_EQ(doll->SplitRow, 174);
}

}  // namespace
