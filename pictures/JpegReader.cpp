#include "JpegReader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
// The library's message codes, after jpeglib.h.
#include <jerror.h>

#include "ImageInput.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

constexpr int GreyLevels = 236;

// How RunDecoder left the library: through its end, or through one of these jumps.
enum Jump { LibraryFailed = 1, DataEnded, TooManyScans };

// The library's error manager with a way back: its default error exit ends the process.
struct JpegErrorManager {
  jpeg_error_mgr Library;
  std::jmp_buf Jump;
  int Code;
  char Message[JMSG_LENGTH_MAX];
  bool StopWhenDataEnds;  // a dropped picture must be whole; Load takes what there is
};

void ErrorExit(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  manager->Code = manager->Library.msg_code;
  manager->Library.format_message(cinfo, manager->Message);
  std::longjmp(manager->Jump, LibraryFailed);
}

// Warnings are not errors here, and nothing is printed; but data that ends before the picture
// does (the file's end, or in Huffman-coded data a marker where more data was needed) stops
// a decode that must be whole. Arithmetic-coded data may end early by design: the coder
// leaves out its final zero bytes and the library supplies them.
void EmitMessage(j_common_ptr cinfo, int level) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  const int code = manager->Library.msg_code;
  if (level < 0 && manager->StopWhenDataEnds && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
    std::longjmp(manager->Jump, DataEnded);
}

// A complete Huffman-coded JPEG spends at least one bit on every 8 × 8 block of its
// full-size component (luminance, in every file cameras and editors write), so it holds at
// least one byte for 512 pixels. Arithmetic coding can spend a small fraction of a bit on a
// block, so no such bound holds for every complete sequential arithmetic-coded file; these
// get what decodes about as fast as the Huffman bound allows: a colour picture one byte for
// 4096 pixels (a smooth 12-megapixel gradient takes 8 kB; only nearly flat large pictures are
// smaller), a grey or CMYK one, which costs this reader three to five times as much a pixel,
// one byte for 1024. A smaller file is cut short or forged: refused before anything is
// allocated, it cannot make the decoder work long on nothing.
std::int64_t MaxPixelsPerByte(const jpeg_decompress_struct& cinfo) {
  if (!cinfo.arith_code || cinfo.progressive_mode) return 512;
  const bool colour = cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB;
  return colour ? 4096 : 1024;
}

// Every scan walks the whole picture again, so the number of scans is limited too: a file
// may do the work of ten scans of the largest picture its length admits (the library's own
// progressive files have ten; a camera's, fewer).
constexpr std::int64_t ScansPerPicture = 10;

struct ScanLimit {
  jpeg_progress_mgr Library;
  std::int64_t MaxScans;
};

void CheckScanCount(j_common_ptr cinfo) {
  const auto* limit = reinterpret_cast<const ScanLimit*>(cinfo->progress);
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > limit->MaxScans)
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->Jump, TooManyScans);
}

enum class JpegOutcome {
  Decoded,
  LibraryError,
  TooLarge,
  CutShort,
  DataEnded,
  TooManyScans,
  NoMemory
};

// What the caller wants: Load's full-size 24-bit picture, or a dropped picture's reduced
// one.
struct JpegRequest {
  const std::function<bool(QSize)>* LargeEnough = nullptr;  // set: the reduced decode
};

// How the library's rows become the bitmap's rows.
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

// Multiplicative conversion, R = (255 − C) × (255 − K) / 255 and so on, into pixels of
// `step` bytes (blue, green, red, then 255). An Adobe marker means the file holds 255 − C
// rather than C (what print-oriented editors write).
void CopyCmykRow(const jpeg_decompress_struct& cinfo, const JSAMPLE* cmyk, std::uint8_t* out,
                 int step) {
  const int flip = cinfo.saw_Adobe_marker ? 0 : 255;
  for (JDIMENSION x = 0; x < cinfo.output_width; ++x, cmyk += 4, out += step) {
    const int k = std::abs(flip - cmyk[3]);
    out[0] = Multiply(std::abs(flip - cmyk[2]), k);
    out[1] = Multiply(std::abs(flip - cmyk[1]), k);
    out[2] = Multiply(std::abs(flip - cmyk[0]), k);
    if (step == 4) out[3] = 255;
  }
}

// Load's settings: full scale, floating-point transform, block smoothing, grey quantised.
void SetUpFullDecode(jpeg_decompress_struct& cinfo, RowKind kind) {
  cinfo.dct_method = JDCT_FLOAT;
  cinfo.do_block_smoothing = TRUE;
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
}

// The smallest scale n/8 whose output `largeEnough` accepts; full scale otherwise. Colour and
// grey go straight into 32-bit pixels (the library expands grey itself).
void SetUpReducedDecode(jpeg_decompress_struct& cinfo, RowKind kind,
                        const std::function<bool(QSize)>& largeEnough) {
  cinfo.out_color_space = kind == RowKind::Cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  cinfo.scale_denom = 8;
  for (cinfo.scale_num = 1; cinfo.scale_num < 8; ++cinfo.scale_num) {
    jpeg_calc_output_dimensions(&cinfo);
    const QSize size(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
    if (largeEnough && largeEnough(size)) return;
  }
  jpeg_calc_output_dimensions(&cinfo);
}

// Runs the library between setjmp and its possible longjmp. Only plain data lives in this
// frame, so the jump skips no destructor; `picture` belongs to the caller.
JpegOutcome RunDecoder(jpeg_decompress_struct& cinfo, JpegErrorManager& errors, ScanLimit& scans,
                       const std::vector<std::uint8_t>& bytes, const JpegRequest& request,
                       QImage& picture) {
  cinfo.err = jpeg_std_error(&errors.Library);
  errors.Library.error_exit = ErrorExit;
  errors.Library.emit_message = EmitMessage;
  errors.StopWhenDataEnds = request.LargeEnough != nullptr;
  switch (setjmp(errors.Jump)) {
    case 0:
      break;
    case DataEnded:
      jpeg_destroy_decompress(&cinfo);
      return JpegOutcome::DataEnded;
    case TooManyScans:
      jpeg_destroy_decompress(&cinfo);
      return JpegOutcome::TooManyScans;
    default:
      jpeg_destroy_decompress(&cinfo);
      return JpegOutcome::LibraryError;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);

  const std::int64_t w = cinfo.image_width;
  const std::int64_t h = cinfo.image_height;
  if (w > MaxImageSide || h > MaxImageSide || w * h > MaxImagePixels) {
    jpeg_destroy_decompress(&cinfo);
    return JpegOutcome::TooLarge;
  }
  const std::int64_t pixelBudget =
      MaxPixelsPerByte(cinfo) * static_cast<std::int64_t>(bytes.size());
  if (w * h > pixelBudget) {
    jpeg_destroy_decompress(&cinfo);
    return JpegOutcome::CutShort;
  }
  scans.Library.progress_monitor = CheckScanCount;
  scans.MaxScans = ScansPerPicture * pixelBudget / std::max<std::int64_t>(w * h, 1);
  cinfo.progress = &scans.Library;

  const RowKind kind = RowKindOf(cinfo.jpeg_color_space);
  if (request.LargeEnough) {
    SetUpReducedDecode(cinfo, kind, *request.LargeEnough);
  } else {
    SetUpFullDecode(cinfo, kind);
  }
  const bool reduced = request.LargeEnough != nullptr;
  picture = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   reduced ? QImage::Format_RGB32 : QImage::Format_BGR888);
  if (picture.isNull()) {
    jpeg_destroy_decompress(&cinfo);
    return JpegOutcome::NoMemory;
  }

  jpeg_start_decompress(&cinfo);
  // Grey indices and CMYK samples go through a row of the library's own first.
  const bool direct = kind == RowKind::Colour || (reduced && kind == RowKind::Grey);
  JSAMPARRAY samples =
      direct ? nullptr
             : cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                       cinfo.output_width * cinfo.output_components, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint8_t* row = picture.scanLine(static_cast<int>(cinfo.output_scanline));
    if (direct) {
      JSAMPROW rows[1] = {row};
      jpeg_read_scanlines(&cinfo, rows, 1);
      continue;
    }
    jpeg_read_scanlines(&cinfo, samples, 1);
    if (kind == RowKind::Grey) {
      CopyGreyRow(cinfo, samples[0], row);
    } else {
      CopyCmykRow(cinfo, samples[0], row, reduced ? 4 : 3);
    }
  }
  errors.StopWhenDataEnds = false;  // every row is there; a missing end marker does no harm
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return JpegOutcome::Decoded;
}

QImage Decode(const std::vector<std::uint8_t>& bytes, const std::string& fileName,
              const JpegRequest& request) {
  jpeg_decompress_struct cinfo{};
  JpegErrorManager errors{};
  ScanLimit scans{};
  QImage picture;
  switch (RunDecoder(cinfo, errors, scans, bytes, request, picture)) {
    case JpegOutcome::Decoded:
      return picture;
    case JpegOutcome::LibraryError:
      throw EJpegError(fileName, errors.Code, errors.Message);
    case JpegOutcome::TooLarge:
      CheckImageDimensions(cinfo.image_width, cinfo.image_height, fileName);
      break;
    case JpegOutcome::CutShort:
      RefusePixelDataCutShort(
          static_cast<std::int64_t>(bytes.size()),
          std::int64_t{cinfo.image_width} * cinfo.image_height / MaxPixelsPerByte(cinfo), fileName);
    case JpegOutcome::DataEnded:
      RefusePixelDataEndingEarly(static_cast<std::int64_t>(bytes.size()), fileName);
    case JpegOutcome::TooManyScans:
      throw EInvalidGraphic(
          fileName, Tr("Pictures", "スキャンが多すぎます (%1 回目)").Arg(scans.MaxScans + 1));
    case JpegOutcome::NoMemory:
      break;
  }
  throw EInvalidGraphic(fileName, Tr("Pictures", "絵を作るメモリが足りません"));
}

}  // namespace

QImage DecodeJpeg(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
  return Decode(bytes, fileName, JpegRequest{});
}

QImage DecodeJpegReduced(const std::vector<std::uint8_t>& bytes, const std::string& fileName,
                         const std::function<bool(QSize)>& largeEnough) {
  return Decode(bytes, fileName, JpegRequest{&largeEnough});
}
