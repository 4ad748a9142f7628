// The doll's thumbnail: the front view at rest where the doll is, transparent elsewhere, and
// the scene it borrows left exactly as it was.
#include <gtest/gtest.h>

#include <map>

#include "DollModel.h"
#include "doll/DollThumbnail.h"
#include "doll/Geometry.h"
#include "doll/Nest.h"
#include "doll/Resampler.h"

namespace {

template <class T>
std::string BytesOf(const T& value) {
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}
std::string PixelsOf(const QImage& image) {
  return std::string(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
}

// Everything of the scene the thumbnail borrows, part by part; the column map with the radius
// each row was built from.
std::map<std::string, std::string> Scene() {
  return {{"DisplayedProfile", BytesOf(DisplayedProfile)},
          {"Left and Right", BytesOf(Left) + BytesOf(Right)},
          {"ColumnMap", BytesOf(ColumnMap)},
          {"ShadeLevel", BytesOf(ShadeLevel)},
          {"bitmaps", BytesOf(FrontView.get()) + BytesOf(BackView.get()) + BytesOf(Texture.get())},
          {"their pixels", PixelsOf(*FrontView) + PixelsOf(*BackView) + PixelsOf(*Texture)},
          {"FrontView's mask", PixelsOf(*FrontView->MaskBitmap)}};
}

TEST(DollThumbnail, IsTheUnshadedFrontViewOnATransparentGroundAndLeavesTheSceneAlone) {
  const struct {
    int (*Radius)(int row);
    std::vector<std::vector<Pixel24>> Skin;
  } dolls[] = {
      {[](int y) { return y * (199 - y) / 100; }, RandomTexture(5)},
      {[](int y) { return y < 20   ? 0
                          : y < 60 ? 100
                                   : 30; }, RandomTexture(6)},  // empty, full
      {[](int y) { return 10 + y % 50; }, {200, std::vector<Pixel24>(250, FrameColour)}},
  };
  for (const auto& doll : dolls) {
    SceneBitmapsForTest bitmaps;
    bitmaps.SetTexture(doll.Skin);
    const std::unique_ptr<TTavoBitmap> skin = CopyOfSkin(*Texture);
    bitmaps.SetTexture(RandomTexture(9));  // the scene shows another doll, shaded and turned
    for (int y = 0; y < DollRows; ++y) DisplayedProfile[y] = (y * 37) % 101;
    RefreshGeometry();
    ShadeLevel = 4;
    RenderView(*FrontView, 77);
    const auto before = Scene();
    DollProfile outline;
    for (int y = 0; y < DollRows; ++y) outline[y] = doll.Radius(y);

    const QImage thumbnail = DollThumbnail(outline, *skin);
    const auto after = Scene();
    for (const auto& [part, bytes] : before) EXPECT_TRUE(after.at(part) == bytes) << part;
    ASSERT_EQ(thumbnail.size(), QSize(200, 200));
    ASSERT_EQ(thumbnail.format(), QImage::Format_ARGB32);

    DisplayedProfile = outline;  // the scene itself renders what the thumbnail should show
    RefreshGeometry();
    Texture = CopyOfSkin(*skin);
    ShadeLevel = 0;
    RenderView(*FrontView, 0);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) {
        const Pixel24 p = FrontView->Rows[y][x];  // a black doll pixel too is opaque
        const bool inside = x >= 100 - outline[y] && x <= 99 + outline[y];
        ASSERT_EQ(thumbnail.pixel(x, y), inside ? qRgb(p.Red, p.Green, p.Blue) : 0u)
            << x << "," << y;
      }
  }
}

}  // namespace
