#include "JpegReader.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "ImageInput.h"
#include "framework/TavoErrors.h"

namespace {

constexpr int GreyLevels = 236;

// The library's error manager with a way back: its default error exit ends the process.
struct JpegErrorManager {
  jpeg_error_mgr Library;
  std::jmp_buf Jump;
  int Code;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  manager->Code = manager->Library.msg_code;
  manager->Library.format_message(cinfo, manager->Message);
  std::longjmp(manager->Jump, 1);
}

// Warnings (such as data cut short) are not errors here, and nothing is printed.
void IgnoreMessage(j_common_ptr) {}

// A complete Huffman-coded JPEG spends at least one bit on every 8 × 8 block of its
// full-size component (luminance, in every file cameras and editors write), so it holds at
// least one byte for this many pixels. A smaller file is cut short or forged: refused before
// anything is allocated, it cannot make the decoder work long on nothing.
constexpr std::int64_t MaxPixelsPerByte = 8 * 64;

enum class JpegOutcome { Decoded, LibraryError, TooLarge, CutShort, NoMemory };

// How the library's rows become the bitmap's blue, green, red rows.
enum class RowKind { Colour, Grey, Cmyk };

RowKind RowKindOf(J_COLOR_SPACE space) {
  if (space == JCS_GRAYSCALE) return RowKind::Grey;
  if (space == JCS_CMYK || space == JCS_YCCK) return RowKind::Cmyk;  // the library gives CMYK
  return RowKind::Colour;
}

void CopyGreyRow(const jpeg_decompress_struct& cinfo, const JSAMPLE* indices, std::uint8_t* out) {
  const JSAMPLE* levels = cinfo.colormap[0];
  for (JDIMENSION x = 0; x < cinfo.output_width; ++x, out += 3)
    out[0] = out[1] = out[2] = levels[indices[x]];
}

// a × b / 255, rounded: how much light is left after two inks.
std::uint8_t Multiply(int a, int b) {
  return static_cast<std::uint8_t>((a * b + 127) / 255);
}

// Multiplicative conversion, R = (255 − C) × (255 − K) / 255 and so on. An Adobe marker
// means the file holds 255 − C rather than C (what print-oriented editors write).
void CopyCmykRow(const jpeg_decompress_struct& cinfo, const JSAMPLE* cmyk, std::uint8_t* out) {
  const int flip = cinfo.saw_Adobe_marker ? 0 : 255;
  for (JDIMENSION x = 0; x < cinfo.output_width; ++x, cmyk += 4, out += 3) {
    const int k = std::abs(flip - cmyk[3]);
    out[0] = Multiply(std::abs(flip - cmyk[2]), k);
    out[1] = Multiply(std::abs(flip - cmyk[1]), k);
    out[2] = Multiply(std::abs(flip - cmyk[0]), k);
  }
}

// Runs the library between setjmp and its possible longjmp. Only plain data lives in this
// frame, so the jump skips no destructor; `picture` belongs to the caller.
JpegOutcome RunDecoder(jpeg_decompress_struct& cinfo, JpegErrorManager& errors,
                       const std::vector<std::uint8_t>& bytes, QImage& picture) {
  cinfo.err = jpeg_std_error(&errors.Library);
  errors.Library.error_exit = ErrorExit;
  errors.Library.output_message = IgnoreMessage;
  if (setjmp(errors.Jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return JpegOutcome::LibraryError;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);

  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.dct_method = JDCT_FLOAT;
  cinfo.do_block_smoothing = TRUE;
  const RowKind kind = RowKindOf(cinfo.jpeg_color_space);
  if (kind == RowKind::Grey) {
    cinfo.out_color_space = JCS_GRAYSCALE;
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = GreyLevels;
    cinfo.two_pass_quantize = FALSE;
  } else if (kind == RowKind::Cmyk) {
    cinfo.out_color_space = JCS_CMYK;
  } else {
    cinfo.out_color_space = JCS_EXT_BGR;  // straight into the bitmap's byte order
  }
  jpeg_calc_output_dimensions(&cinfo);
  const std::int64_t w = cinfo.output_width;
  const std::int64_t h = cinfo.output_height;
  if (w > MaxImageSide || h > MaxImageSide || w * h > MaxImagePixels) {
    jpeg_destroy_decompress(&cinfo);
    return JpegOutcome::TooLarge;
  }
  if (w * h > MaxPixelsPerByte * static_cast<std::int64_t>(bytes.size())) {
    jpeg_destroy_decompress(&cinfo);
    return JpegOutcome::CutShort;
  }
  picture = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_BGR888);
  if (picture.isNull()) {
    jpeg_destroy_decompress(&cinfo);
    return JpegOutcome::NoMemory;
  }

  jpeg_start_decompress(&cinfo);
  // Grey indices and CMYK samples go through a row of the library's own first.
  JSAMPARRAY samples =
      kind == RowKind::Colour
          ? nullptr
          : cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                    cinfo.output_width * cinfo.output_components, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint8_t* row = picture.scanLine(static_cast<int>(cinfo.output_scanline));
    if (kind == RowKind::Colour) {
      JSAMPROW rows[1] = {row};
      jpeg_read_scanlines(&cinfo, rows, 1);
      continue;
    }
    jpeg_read_scanlines(&cinfo, samples, 1);
    if (kind == RowKind::Grey) {
      CopyGreyRow(cinfo, samples[0], row);
    } else {
      CopyCmykRow(cinfo, samples[0], row);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return JpegOutcome::Decoded;
}

}  // namespace

QImage DecodeJpeg(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
  jpeg_decompress_struct cinfo{};
  JpegErrorManager errors{};
  QImage picture;
  switch (RunDecoder(cinfo, errors, bytes, picture)) {
    case JpegOutcome::Decoded:
      return picture;
    case JpegOutcome::LibraryError:
      throw EJpegError(fileName, errors.Code, errors.Message);
    case JpegOutcome::TooLarge:
      CheckImageDimensions(cinfo.output_width, cinfo.output_height, fileName);
      break;
    case JpegOutcome::CutShort:
      RefusePixelDataCutShort(
          static_cast<std::int64_t>(bytes.size()),
          std::int64_t{cinfo.output_width} * cinfo.output_height / MaxPixelsPerByte, fileName);
    case JpegOutcome::NoMemory:
      break;
  }
  throw EInvalidGraphic(fileName, "画像を作るメモリが足りません");
}
