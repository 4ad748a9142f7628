#include "PngReader.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>

#include "ImageFile.h"
#include "ImageInput.h"
#include "WhiteBackground.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

// What the library's callbacks hand back. Plain data only: the library's errors jump out of
// the callbacks, past any destructor.
struct PngState {
  int Fd = -1;
  const char* Bytes = nullptr;  // a PNG held in memory: what is left of it
  std::size_t BytesLeft = 0;
  bool EndOfFile = false;
  char Message[256] = {};
};

void ReadFromFile(png_structp png, png_bytep data, std::size_t length) {
  auto* state = static_cast<PngState*>(png_get_io_ptr(png));
  while (length > 0) {
    const ssize_t got = ::read(state->Fd, data, length);
    if (got < 0 && errno == EINTR) continue;
    if (got == 0) state->EndOfFile = true;
    if (got <= 0) png_error(png, got == 0 ? "end of file" : std::strerror(errno));
    data += got;
    length -= static_cast<std::size_t>(got);
  }
}

void ReadFromMemory(png_structp png, png_bytep data, std::size_t length) {
  auto* state = static_cast<PngState*>(png_get_io_ptr(png));
  if (length > state->BytesLeft) {
    state->EndOfFile = true;
    png_error(png, "end of file");
  }
  std::memcpy(data, state->Bytes, length);
  state->Bytes += length;
  state->BytesLeft -= length;
}

void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngState*>(png_get_error_ptr(png));
  std::snprintf(state->Message, sizeof state->Message, "%s", message);
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

class PngDecoder {
 public:
  PngDecoder(const ImageFile& file, TAlpha alpha);
  PngDecoder(const QByteArray& bytes, std::string name, TAlpha alpha);
  ~PngDecoder() { png_destroy_read_struct(&FPng, &FInfo, nullptr); }
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  QImage Decode();

 private:
  void Create(png_rw_ptr read);
  // These two call the library under its error jump; they return false when it fails.
  bool ReadHeader();
  bool ReadRows(std::uint8_t* bits, std::int64_t stride);
  [[noreturn]] void Refuse() const;

  const std::string FName;
  const TAlpha FTransparency;
  PngState FState;
  png_structp FPng = nullptr;
  png_infop FInfo = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  int FPasses = 1;
  bool FAlpha = false;
  bool FReadingRows = false;
  int FPass = 0;
  int FRow = 0;
};

PngDecoder::PngDecoder(const ImageFile& file, TAlpha alpha)
    : FName(file.Name()), FTransparency(alpha) {
  FState.Fd = file.Descriptor();
  Create(ReadFromFile);
}

PngDecoder::PngDecoder(const QByteArray& bytes, std::string name, TAlpha alpha)
    : FName(std::move(name)), FTransparency(alpha) {
  FState.Bytes = bytes.constData();
  FState.BytesLeft = static_cast<std::size_t>(bytes.size());
  Create(ReadFromMemory);
}

void PngDecoder::Create(png_rw_ptr read) {
  FPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, &FState, OnError, IgnoreWarning);
  if (FPng) FInfo = png_create_info_struct(FPng);
  if (!FInfo) {
    png_destroy_read_struct(&FPng, nullptr, nullptr);
    throw EInvalidGraphic(FName, Tr("Pictures", "絵を作るメモリが足りません"));
  }
  png_set_read_fn(FPng, &FState, read);
  // Text and colour-profile chunks are never needed whole past this.
  png_set_chunk_malloc_max(FPng, 8 << 20);
}

bool PngDecoder::ReadHeader() {
  if (setjmp(png_jmpbuf(FPng))) return false;
  png_read_info(FPng, FInfo);
  png_set_expand(FPng);  // palette to colour, grey to 8 bits, a transparent colour to alpha
  png_set_scale_16(FPng);
  png_set_gray_to_rgb(FPng);
  png_set_bgr(FPng);
  png_set_filler(FPng, 0xFF, PNG_FILLER_AFTER);  // where there is no alpha
  FPasses = png_set_interlace_handling(FPng);
  png_read_update_info(FPng, FInfo);
  return true;
}

bool PngDecoder::ReadRows(std::uint8_t* bits, std::int64_t stride) {
  if (setjmp(png_jmpbuf(FPng))) return false;
  for (FPass = 0; FPass < FPasses; ++FPass) {
    for (FRow = 0; FRow < FHeight; ++FRow) {
      // Passes of an interlaced picture fill in the pixels of rows read before.
      std::uint8_t* row = bits + FRow * stride;
      png_read_row(FPng, row, nullptr);
      if (FAlpha && FTransparency == TAlpha::LaidOnWhite && FPass == FPasses - 1)
        LayRowOnWhite(row, FWidth);
    }
  }
  return true;
}

void PngDecoder::Refuse() const {
  const bool cutShort =
      FState.EndOfFile || std::strcmp(FState.Message, "Not enough image data") == 0;
  if (!cutShort) throw EInvalidGraphic(FName, FState.Message);
  if (!FReadingRows) throw EInvalidGraphic(FName, Tr("Pictures", "ヘッダーが途中で切れています"));
  RefuseRowsCutShort(FPass == FPasses - 1 ? FRow : 0, FHeight, FName);
}

QImage PngDecoder::Decode() {
  if (!ReadHeader()) Refuse();
  const png_uint_32 width = png_get_image_width(FPng, FInfo);
  const png_uint_32 height = png_get_image_height(FPng, FInfo);
  CheckImageDimensions(width, height, FName);
  FWidth = static_cast<int>(width);
  FHeight = static_cast<int>(height);
  FAlpha = (png_get_color_type(FPng, FInfo) & PNG_COLOR_MASK_ALPHA) != 0;
  if (png_get_bit_depth(FPng, FInfo) != 8 || png_get_rowbytes(FPng, FInfo) != 4 * width)
    throw EInvalidGraphic(FName, Tr("Pictures", "画素の形式がわかりません"));

  // Every byte is written: each pixel belongs to one pass, filler bytes are 0xFF, and alpha
  // bytes end as 0xFF too unless they are kept.
  QImage picture(FWidth, FHeight,
                 FTransparency == TAlpha::Kept ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (picture.isNull()) throw EInvalidGraphic(FName, Tr("Pictures", "絵を作るメモリが足りません"));
  FReadingRows = true;
  if (!ReadRows(picture.bits(), picture.bytesPerLine())) Refuse();
  return picture;
}

}  // namespace

QImage DecodePng(const ImageFile& file, TAlpha alpha) {
  return PngDecoder(file, alpha).Decode();
}

QImage DecodePng(const QByteArray& bytes, const std::string& name, TAlpha alpha) {
  return PngDecoder(bytes, name, alpha).Decode();
}
