// The doll's thumbnail: the front view at rest where the doll is, transparent elsewhere, and
// a doll shown meanwhile left exactly as it was.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "DollModel.h"
#include "doll/Doll.h"
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

// A bitmap's size and the pixel memory it holds them in.
std::string StorageOf(const QImage& image) {
  return BytesOf(image.constBits()) + BytesOf(image.width()) + BytesOf(image.height());
}

// Everything of a doll shown that the thumbnail might borrow, part by part; the column map
// with the radius each row was built from.
std::map<std::string, std::string> Scene(const TDoll& doll) {
  const TDollView& view = doll.View;
  return {
      {"DisplayedProfile", BytesOf(view.DisplayedProfile)},
      {"Left and Right", BytesOf(view.Left) + BytesOf(view.Right)},
      {"ColumnMap", BytesOf(view.ColumnMap)},
      {"ShadeLevel", BytesOf(doll.ShadeLevel)},
      {"bitmaps", StorageOf(view.FrontView) + StorageOf(view.BackView) + StorageOf(doll.Texture)},
      {"their pixels", PixelsOf(view.FrontView) + PixelsOf(view.BackView) + PixelsOf(doll.Texture)},
      {"FrontView's mask", PixelsOf(*view.FrontView.MaskBitmap)}};
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
    const auto shown = std::make_unique<TDoll>();  // the doll the scene shows meanwhile
    SetTexture(shown->Texture, doll.Skin);
    const std::unique_ptr<TTavoBitmap> skin = CopyOfSkin(shown->Texture);
    // The scene shows another doll, shaded and turned.
    SetTexture(shown->Texture, RandomTexture(9));
    for (int y = 0; y < DollRows; ++y) shown->View.DisplayedProfile[y] = (y * 37) % 101;
    shown->View.RefreshGeometry();
    shown->ShadeLevel = 4;
    RenderView(shown->View, shown->Texture, shown->View.FrontView, 77, shown->ShadeLevel);
    const auto before = Scene(*shown);
    DollProfile outline;
    for (int y = 0; y < DollRows; ++y) outline[y] = doll.Radius(y);

    const QImage thumbnail = DollThumbnail(outline, *skin);
    const auto after = Scene(*shown);
    for (const auto& [part, bytes] : before) EXPECT_TRUE(after.at(part) == bytes) << part;
    ASSERT_EQ(thumbnail.size(), QSize(200, 200));
    ASSERT_EQ(thumbnail.format(), QImage::Format_ARGB32);

    // The scene itself renders what the thumbnail should show.
    shown->View.DisplayedProfile = outline;
    shown->View.RefreshGeometry();
    CopySkinInto(*skin, shown->Texture);
    shown->ShadeLevel = 0;
    RenderView(shown->View, shown->Texture, shown->View.FrontView, 0, shown->ShadeLevel);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) {
        const Pixel24 p = shown->View.FrontView.Rows[y][x];  // a black doll pixel too is opaque
        const bool inside = x >= 100 - outline[y] && x <= 99 + outline[y];
        ASSERT_EQ(thumbnail.pixel(x, y), inside ? qRgb(p.Red, p.Green, p.Blue) : 0u)
            << x << "," << y;
      }
  }
}

}  // namespace
