#include "BmpReader.h"

#include <limits>

#include "BmpLayout.h"
#include "BmpPalette.h"
#include "BmpRegion.h"
#include "BmpRowDecoder.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

// Decodes each stored row of an uncompressed picture into the picture's row, upright, with
// each pixel's alpha.
void DecodeRowsWithAlpha(const std::vector<std::uint8_t>& bytes, const BmpLayout& bmp,
                         const BmpRowDecoder& decoder, QImage& picture) {
  const std::uint8_t* in = bytes.data() + bmp.DataOffset;
  std::uint8_t* out = picture.bits();
  const std::int64_t stride = picture.bytesPerLine();
  const std::int64_t rowBytes = bmp.RowBytes();
  for (std::int64_t y = 0; y < bmp.Height; ++y) {
    const std::int64_t row = bmp.TopDown ? y : bmp.Height - 1 - y;
    decoder.DecodeWithAlpha(in + y * rowBytes, out + row * stride);
  }
}

// Many writers leave the alpha byte 0 throughout: such a picture is opaque.
bool AnyAlpha(const std::vector<std::uint8_t>& bytes, const BmpLayout& bmp,
              const BmpRowDecoder& decoder) {
  const std::uint8_t* in = bytes.data() + bmp.DataOffset;
  for (std::int64_t y = 0; y < bmp.Height; ++y)
    if (decoder.AnyAlpha(in + y * bmp.RowBytes())) return true;
  return false;
}

}  // namespace

QImage DecodeBmp(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
  // The region reader, over the whole picture: one decoder for both.
  TMemoryStream stream(bytes);
  constexpr int Whole = std::numeric_limits<int>::max();
  return DecodeBmpRegion(stream, Whole, Whole, fileName).Picture;
}

QImage DecodeBmpForDrop(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
  const auto fileBytes = static_cast<std::int64_t>(bytes.size());
  const BmpLayout bmp = ReadBmpLayout(bytes, fileBytes, fileName);
  if (bmp.AlphaMask == 0) return DecodeBmp(bytes, fileName);
  CheckPixelDataLength(bmp, fileBytes, fileName);
  const BmpPalette palette(bytes, bmp);
  const BmpRowDecoder decoder(bmp, palette, static_cast<int>(bmp.Width));
  if (!AnyAlpha(bytes, bmp, decoder)) return DecodeBmp(bytes, fileName);

  QImage picture(static_cast<int>(bmp.Width), static_cast<int>(bmp.Height), QImage::Format_ARGB32);
  if (picture.isNull())
    throw EInvalidGraphic(fileName, Tr("Pictures", "絵を作るメモリが足りません"));
  DecodeRowsWithAlpha(bytes, bmp, decoder, picture);
  return picture;
}
