#include "DollThumbnail.h"

#include <memory>
#include <utility>

#include "Geometry.h"
#include "Nest.h"
#include "Resampler.h"

namespace {

// What rendering the thumbnail changes, put back when it ends, however it ends.
class SavedScene {
 public:
  SavedScene()
      : FProfile(DisplayedProfile),
        FLeft(Left),
        FRight(Right),
        FColumnMap(std::make_unique<TColumnMap>(ColumnMap)),  // about 1 MB: not on the stack
        FShadeLevel(ShadeLevel) {}
  ~SavedScene() {
    DisplayedProfile = FProfile;
    Left = FLeft;
    Right = FRight;
    ColumnMap = *FColumnMap;
    ShadeLevel = FShadeLevel;
    if (FSwapped) SwapBitmaps();
  }
  SavedScene(const SavedScene&) = delete;
  SavedScene& operator=(const SavedScene&) = delete;

  // Puts fresh views and `texture` in place of the scene's own bitmaps, kept here meanwhile.
  void SwapInBitmaps(std::unique_ptr<TTavoBitmap> texture) {
    FFrontView = BlankView();
    FBackView = BlankView();
    FTexture = std::move(texture);
    SwapBitmaps();  // all three or, had a view failed to be made, none
    FSwapped = true;
  }

 private:
  DollProfile FProfile;
  RowBounds FLeft;
  RowBounds FRight;
  std::unique_ptr<TColumnMap> FColumnMap;
  std::int32_t FShadeLevel;
  std::unique_ptr<TTavoBitmap> FFrontView;
  std::unique_ptr<TTavoBitmap> FBackView;
  std::unique_ptr<TTavoBitmap> FTexture;
  bool FSwapped = false;

  static std::unique_ptr<TTavoBitmap> BlankView() {
    auto view = std::make_unique<TTavoBitmap>();
    view->SetSizeBlank(ViewSize, ViewSize);
    return view;
  }
  void SwapBitmaps() noexcept {
    FrontView.swap(FFrontView);
    BackView.swap(FBackView);
    Texture.swap(FTexture);
  }
};

}  // namespace

QImage DollThumbnail(const DollProfile& outline, const TTavoBitmap& skin) {
  SavedScene saved;
  saved.SwapInBitmaps(CopyOfSkin(skin));
  DisplayedProfile = outline;
  ShadeLevel = 0;
  RefreshGeometry();
  RenderView(*FrontView, 0);

  QImage thumbnail(ViewSize, ViewSize, QImage::Format_ARGB32);
  const TTavoBitmap& mask = *FrontView->MaskBitmap;  // black where the doll is
  for (int y = 0; y < ViewSize; ++y) {
    const Pixel24* view = FrontView->Rows[y].Data();
    const Pixel24* masked = mask.Rows[y].Data();
    auto* out = reinterpret_cast<QRgb*>(thumbnail.scanLine(y));
    for (int x = 0; x < ViewSize; ++x)
      out[x] = SameColour(masked[x], FrameColour) ? qRgb(view[x].Red, view[x].Green, view[x].Blue)
                                                  : qRgba(0, 0, 0, 0);
  }
  return thumbnail;
}
