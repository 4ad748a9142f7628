#include "BmpRegion.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "BmpLayout.h"
#include "BmpPalette.h"
#include "BmpRowDecoder.h"
#include "BmpRunLength.h"
#include "ImageFile.h"
#include "ImageInput.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

// Reads until `count` bytes are in or the stream ends: a stream may hand over fewer bytes than
// asked before its end.
std::size_t ReadFully(TByteStream& stream, std::uint8_t* to, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const std::size_t got = stream.Read(to + done, count - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

std::int64_t SkipFully(TByteStream& stream, std::int64_t count) {
  std::int64_t done = 0;
  while (done < count) {
    const std::int64_t got = stream.Skip(count - done);
    if (got <= 0) break;
    done += got;
  }
  return done;
}

// The pixel data, from the file's data offset on: what the head already holds of it, then the
// rest of the stream.
class TPixelData final : public TByteStream {
 public:
  TPixelData(TByteStream& stream, const std::vector<std::uint8_t>& head, std::int64_t offset)
      : FStream(stream), FHead(head), FAt(offset) {
    const auto held = static_cast<std::int64_t>(head.size());
    if (offset > held) FAt = held + SkipFully(stream, offset - held);
  }
  // The whole file's, as positions are counted.
  std::int64_t Size() const override { return FStream.Size(); }
  std::size_t Read(std::uint8_t* to, std::size_t count) override {
    std::size_t done = std::min(count, Held());
    if (done > 0) std::memcpy(to, FHead.data() + FAt, done);
    if (done < count) done += FStream.Read(to + done, count - done);
    FAt += static_cast<std::int64_t>(done);
    return done;
  }
  std::int64_t Skip(std::int64_t count) override {
    const auto fromHead = std::min<std::int64_t>(count, static_cast<std::int64_t>(Held()));
    std::int64_t done = fromHead;
    if (done < count) done += FStream.Skip(count - done);
    FAt += done;
    return done;
  }
  // Where in the file the next byte lies.
  std::int64_t Position() const { return FAt; }

 private:
  std::size_t Held() const {
    return FAt < static_cast<std::int64_t>(FHead.size()) ? FHead.size() - FAt : 0;
  }

  TByteStream& FStream;
  const std::vector<std::uint8_t>& FHead;
  std::int64_t FAt;
};

// The picture, allocated once. Run-length codes may skip pixels, which must come out black;
// every other encoding writes each pixel.
QImage NewPicture(const BmpLayout& bmp, std::int64_t width, std::int64_t height,
                  const std::string& fileName) {
  QImage picture(static_cast<int>(width), static_cast<int>(height), QImage::Format_BGR888);
  if (picture.isNull())
    throw EInvalidGraphic(fileName, Tr("Pictures", "絵を作るメモリが足りません"));
  if (bmp.RunLength()) picture.fill(0);
  return picture;
}

// Decodes the stored rows that land in `picture`, the picture's top-left, reading of each
// only the bytes of its pixels there and passing over every other row.
void DecodeRows(TPixelData& data, const BmpLayout& bmp, const BmpPalette& palette, QImage& picture,
                const std::string& fileName) {
  const int width = picture.width();
  const int height = picture.height();
  const BmpRowDecoder decoder(bmp, palette, width);
  const std::int64_t rowBytes = bmp.RowBytes();
  const std::int64_t used = (std::int64_t{width} * bmp.Bits + 7) / 8;
  std::vector<std::uint8_t> stored(static_cast<std::size_t>(used));
  // Upside-down rows store the top ones last.
  if (!bmp.TopDown) SkipFully(data, (bmp.Height - height) * rowBytes);
  for (int y = 0; y < height; ++y) {
    if (ReadFully(data, stored.data(), stored.size()) < stored.size())
      RefusePixelDataEndingEarly(data.Position(), fileName);
    decoder.Decode(stored.data(), picture.scanLine(bmp.TopDown ? y : height - 1 - y));
    if (y + 1 < height) SkipFully(data, rowBytes - used);
  }
}

}  // namespace

TBmpRegion DecodeBmpRegion(TByteStream& stream, int width, int height,
                           const std::string& fileName) {
  const std::int64_t wanted = std::clamp<std::int64_t>(stream.Size(), 0, BmpHeadBytes);
  std::vector<std::uint8_t> head(static_cast<std::size_t>(wanted));
  head.resize(ReadFully(stream, head.data(), head.size()));
  // A stream that ends before its stated size is as long as what it held.
  const std::int64_t fileBytes = std::ssize(head) < wanted ? std::ssize(head) : stream.Size();

  const BmpLayout bmp = ReadBmpLayout(head, fileBytes, fileName);
  if (!bmp.RunLength()) CheckPixelDataLength(bmp, fileBytes, fileName);
  TBmpRegion region;
  region.Width = static_cast<int>(bmp.Width);
  region.Height = static_cast<int>(bmp.Height);
  region.Picture = NewPicture(bmp, std::min<std::int64_t>(width, bmp.Width),
                              std::min<std::int64_t>(height, bmp.Height), fileName);
  const BmpPalette palette(head, bmp);
  TPixelData data(stream, head, static_cast<std::int64_t>(bmp.DataOffset));
  if (bmp.RunLength()) {
    BmpRunLength(data, bmp, palette, fileName).DecodeInto(region.Picture);
  } else {
    DecodeRows(data, bmp, palette, region.Picture, fileName);
  }
  return region;
}

TBmpRegion ReadBmpRegion(const std::string& fileName, int width, int height) {
  const ImageFile file(fileName);
  file.CheckSize();
  TFileStream stream(file);
  return DecodeBmpRegion(stream, width, height, fileName);
}
