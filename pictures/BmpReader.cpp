#include "BmpReader.h"

#include "BmpLayout.h"
#include "BmpPalette.h"
#include "BmpRowDecoder.h"
#include "BmpRunLength.h"
#include "ImageInput.h"
#include "framework/TavoErrors.h"

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
  if (picture.isNull()) throw EInvalidGraphic(fileName, "画像を作るメモリが足りません");
  if (bmp.RunLength()) picture.fill(0);
  return picture;
}

void DecodeRows(const std::vector<std::uint8_t>& bytes, const BmpLayout& bmp,
                const BmpPalette& palette, QImage& picture) {
  const BmpRowDecoder decoder(bmp, palette);
  const std::uint8_t* in = bytes.data() + bmp.DataOffset;
  std::uint8_t* out = picture.bits();
  const std::int64_t stride = picture.bytesPerLine();
  const std::int64_t rowBytes = bmp.RowBytes();
  for (std::int64_t y = 0; y < bmp.Height; ++y) {
    const std::int64_t row = bmp.TopDown ? y : bmp.Height - 1 - y;
    decoder.Decode(in + y * rowBytes, out + row * stride);
  }
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
    DecodeRows(bytes, bmp, palette, picture);
  }
  return picture;
}
