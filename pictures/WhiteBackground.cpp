#include "WhiteBackground.h"

#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

// round(v / 255) for v up to 255 · 255, without a division.
std::uint8_t Div255(unsigned v) {
  v += 128;
  return static_cast<std::uint8_t>((v + (v >> 8)) >> 8);
}

}  // namespace

void LayRowOnWhite(std::uint8_t* pixels, int width) {
  for (int x = 0; x < width; ++x, pixels += 4) {
    const unsigned alpha = pixels[3];
    if (alpha == 0xFF) continue;
    const unsigned white = 255 * (255 - alpha);
    for (int c = 0; c < 3; ++c) pixels[c] = Div255(pixels[c] * alpha + white);
    pixels[3] = 0xFF;
  }
}

void FinishAlpha(QImage& picture, const std::string& fileName, TAlpha alpha) {
  if (alpha == TAlpha::Kept) {
    picture.convertTo(QImage::Format_ARGB32);
  } else if (picture.hasAlphaChannel()) {
    picture.convertTo(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) LayRowOnWhite(picture.scanLine(y), picture.width());
    picture.reinterpretAsFormat(QImage::Format_RGB32);
  } else {
    picture.convertTo(QImage::Format_RGB32);
  }
  if (picture.isNull())
    throw EInvalidGraphic(fileName, Tr("Pictures", "絵を作るメモリが足りません"));
}
