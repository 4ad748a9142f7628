#include "BmpReader.h"

#include <cstdlib>

#include "BmpLayout.h"
#include "BmpPalette.h"
#include "BmpRowDecoder.h"
#include "BmpRunLength.h"
#include "TavoErrors.h"

namespace {

void CheckPixelDataLength(const BmpLayout& bmp, std::size_t fileBytes,
                          const std::string& fileName) {
  const auto needed = static_cast<std::int64_t>(bmp.DataOffset) + bmp.RowBytes() * bmp.Height;
  if (needed > static_cast<std::int64_t>(fileBytes))
    throw EInvalidGraphic(fileName, "画素データが途中で切れています (" + std::to_string(fileBytes) +
                                        " / " + std::to_string(needed) + " バイト)");
}

// A picture whose memory comes zeroed, that is black, from calloc: a large one is mapped
// lazily, so that what run-length codes skip costs nothing until it is read.
QImage BlackPicture(const BmpLayout& bmp, const std::string& fileName) {
  const int width = static_cast<int>(bmp.Width);
  const int height = static_cast<int>(bmp.Height);
  const std::size_t stride = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
  void* memory = std::calloc(stride * static_cast<std::size_t>(height), 1);
  QImage picture;
  if (memory)
    picture = QImage(
        static_cast<uchar*>(memory), width, height, static_cast<qsizetype>(stride),
        QImage::Format_BGR888, [](void* owned) { std::free(owned); }, memory);
  if (picture.isNull()) {
    std::free(memory);
    throw EInvalidGraphic(fileName, "画像を作るメモリが足りません");
  }
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

  QImage picture = BlackPicture(bmp, fileName);
  const BmpPalette palette(bytes, bmp);
  if (bmp.RunLength()) {
    BmpRunLength(bytes, bmp, palette, fileName).DecodeInto(picture);
  } else {
    DecodeRows(bytes, bmp, palette, picture);
  }
  return picture;
}
