#include "JpegReader.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "ImageInput.h"
#include "TavoErrors.h"

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

enum class JpegOutcome { Decoded, LibraryError, TooLarge, NoMemory };

void CopyGreyRow(const jpeg_decompress_struct& cinfo, const JSAMPLE* indices, std::uint8_t* out) {
  const JSAMPLE* levels = cinfo.colormap[0];
  for (JDIMENSION x = 0; x < cinfo.output_width; ++x, out += 3)
    out[0] = out[1] = out[2] = levels[indices[x]];
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
  const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  if (grey) {
    cinfo.out_color_space = JCS_GRAYSCALE;
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = GreyLevels;
    cinfo.two_pass_quantize = FALSE;
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
  picture = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_BGR888);
  if (picture.isNull()) {
    jpeg_destroy_decompress(&cinfo);
    return JpegOutcome::NoMemory;
  }

  jpeg_start_decompress(&cinfo);
  JSAMPARRAY indices = grey ? cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo),
                                                      JPOOL_IMAGE, cinfo.output_width, 1)
                            : nullptr;
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint8_t* row = picture.scanLine(static_cast<int>(cinfo.output_scanline));
    if (grey) {
      jpeg_read_scanlines(&cinfo, indices, 1);
      CopyGreyRow(cinfo, indices[0], row);
    } else {
      JSAMPROW rows[1] = {row};
      jpeg_read_scanlines(&cinfo, rows, 1);
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
    case JpegOutcome::NoMemory:
      break;
  }
  throw EInvalidGraphic(fileName, "画像を作るメモリが足りません");
}
