#include "BmpReader.h"

#include "BmpLayout.h"
#include "BmpPalette.h"
#include "BmpRowDecoder.h"
#include "BmpRunLength.h"
#include "ImageInput.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

void CheckPixelDataLength(const BmpLayout& bmp, std::size_t fileBytes,
                          const std::string& fileName) {
  const auto needed = static_cast<std::int64_t>(bmp.DataOffset) + bmp.RowBytes() * bmp.Height;
  if (needed > static_cast<std::int64_t>(fileBytes))
    RefusePixelDataCutShort(static_cast<std::int64_t>(fileBytes), needed, fileName);
}

// The picture, allocated once. Run-length codes may skip pixels, which must come out black;
// every other encoding writes each pixel.
QImage NewPicture(const BmpLayout& bmp, const std::string& fileName) {
  QImage picture(static_cast<int>(bmp.Width), static_cast<int>(bmp.Height), QImage::Format_BGR888);
  if (picture.isNull())
    throw EInvalidGraphic(fileName, Tr("Pictures", "画像を作るメモリが足りません"));
  if (bmp.RunLength()) picture.fill(0);
  return picture;
}

// Decodes each stored row with `decode` into the picture's row, upright.
template <typename Decode>
void DecodeRows(const std::vector<std::uint8_t>& bytes, const BmpLayout& bmp, QImage& picture,
                Decode decode) {
  const std::uint8_t* in = bytes.data() + bmp.DataOffset;
  std::uint8_t* out = picture.bits();
  const std::int64_t stride = picture.bytesPerLine();
  const std::int64_t rowBytes = bmp.RowBytes();
  for (std::int64_t y = 0; y < bmp.Height; ++y) {
    const std::int64_t row = bmp.TopDown ? y : bmp.Height - 1 - y;
    decode(in + y * rowBytes, out + row * stride);
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
  const BmpLayout bmp = ReadBmpLayout(bytes, fileName);
  if (!bmp.RunLength()) CheckPixelDataLength(bmp, bytes.size(), fileName);

  QImage picture = NewPicture(bmp, fileName);
  const BmpPalette palette(bytes, bmp);
  if (bmp.RunLength()) {
    BmpRunLength(bytes, bmp, palette, fileName).DecodeInto(picture);
  } else {
    const BmpRowDecoder decoder(bmp, palette);
    DecodeRows(bytes, bmp, picture,
               [&](const std::uint8_t* in, std::uint8_t* out) { decoder.Decode(in, out); });
  }
  return picture;
}

QImage DecodeBmpForDrop(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
  const BmpLayout bmp = ReadBmpLayout(bytes, fileName);
  if (bmp.AlphaMask == 0) return DecodeBmp(bytes, fileName);
  CheckPixelDataLength(bmp, bytes.size(), fileName);
  const BmpPalette palette(bytes, bmp);
  const BmpRowDecoder decoder(bmp, palette);
  if (!AnyAlpha(bytes, bmp, decoder)) return DecodeBmp(bytes, fileName);

  QImage picture(static_cast<int>(bmp.Width), static_cast<int>(bmp.Height), QImage::Format_ARGB32);
  if (picture.isNull())
    throw EInvalidGraphic(fileName, Tr("Pictures", "画像を作るメモリが足りません"));
  DecodeRows(bytes, bmp, picture,
             [&](const std::uint8_t* in, std::uint8_t* out) { decoder.DecodeWithAlpha(in, out); });
  return picture;
}
