#include "DollThumbnail.h"

#include "Nest.h"
#include "Resampler.h"

TDollFront::TDollFront(const DollProfile& outline, const TTavoBitmap& skin)
    : FView(std::make_unique<TDollView>()) {
  CopySkinInto(skin, FSkin);
  FView->DisplayedProfile = outline;
  FView->RefreshGeometry();
}

QImage TDollFront::Draw(int rotation, int shadeLevel) {
  TTavoBitmap& view = FView->FrontView;
  RenderView(*FView, FSkin, view, rotation, shadeLevel);
  QImage picture(ViewSize, ViewSize, QImage::Format_ARGB32);
  const TTavoBitmap& mask = *view.MaskBitmap;  // black where the doll is
  for (int y = 0; y < ViewSize; ++y) {
    const Pixel24* shown = std::as_const(view).Rows[y].Data();
    const Pixel24* masked = mask.Rows[y].Data();
    auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < ViewSize; ++x)
      out[x] = SameColour(masked[x], FrameColour)
                   ? qRgb(shown[x].Red, shown[x].Green, shown[x].Blue)
                   : qRgba(0, 0, 0, 0);
  }
  return picture;
}

QImage DollThumbnail(const DollProfile& outline, const TTavoBitmap& skin) {
  return TDollFront(outline, skin).Draw(0, 0);
}
