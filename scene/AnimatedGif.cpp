#include "AnimatedGif.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <memory>
#include <string>

#include "framework/TavoErrors.h"

namespace {

constexpr int PaletteSize = 256;  // as many colours as a GIF frame may have
// The fastest speed whose palette still keeps the frames within about 2 levels of the sheets;
// slower ones also weigh each pixel by its neighbourhood, which triples the time of a turn
// for a difference no one sees in a turning doll.
constexpr int QuantiseSpeed = 8;
// Full Floyd-Steinberg dithering, so that the smooth shading of a photo does not band.
constexpr float DitheringLevel = 1.0f;

template <auto Destroy>
struct Destroyer {
  template <typename T>
  void operator()(T* object) const {
    Destroy(object);
  }
};
using TLiqAttr = std::unique_ptr<liq_attr, Destroyer<liq_attr_destroy>>;
using TLiqHistogram = std::unique_ptr<liq_histogram, Destroyer<liq_histogram_destroy>>;
using TLiqImage = std::unique_ptr<liq_image, Destroyer<liq_image_destroy>>;
using TLiqResult = std::unique_ptr<liq_result, Destroyer<liq_result_destroy>>;

void CheckLiq(liq_error error, const char* what) {
  if (error != LIQ_OK)
    throw ETavoError(std::string("libimagequant could not ") + what + " (error " +
                     std::to_string(error) + ")");
}

// One frame with its own palette: libimagequant refines the shared palette a little for each
// frame it remaps, so each frame carries the colours its indices were chosen from.
struct IndexedFrame {
  std::vector<GifColorType> Palette;
  std::vector<GifPixelType> Indices;
};

// A frame as libimagequant reads it; `rgba` must outlive the image.
TLiqImage LiqImage(const liq_attr* attr, const QImage& rgba) {
  TLiqImage image(liq_image_create_rgba(attr, rgba.constBits(), rgba.width(), rgba.height(), 0));
  if (!image) throw ETavoError("libimagequant could not take a frame");
  return image;
}

// One palette for the whole animation, from the colours of every frame, then each frame
// dithered to it.
std::vector<IndexedFrame> Quantise(const std::vector<QImage>& frames) {
  std::vector<QImage> rgba;
  for (const QImage& frame : frames) rgba.push_back(frame.convertToFormat(QImage::Format_RGBA8888));
  TLiqAttr attr(liq_attr_create());
  if (!attr) throw ETavoError("libimagequant could not start");
  CheckLiq(liq_set_max_colors(attr.get(), PaletteSize), "take the palette's size");
  CheckLiq(liq_set_speed(attr.get(), QuantiseSpeed), "take its speed");
  TLiqHistogram histogram(liq_histogram_create(attr.get()));
  if (!histogram) throw ETavoError("libimagequant could not start a histogram");
  // The background: exact black packs well and matches the sheets.
  CheckLiq(liq_histogram_add_fixed_color(histogram.get(), liq_color{0, 0, 0, 255}, 0),
           "keep black");
  for (const QImage& frame : rgba)
    CheckLiq(
        liq_histogram_add_image(histogram.get(), attr.get(), LiqImage(attr.get(), frame).get()),
        "count a frame's colours");
  liq_result* quantised = nullptr;
  CheckLiq(liq_histogram_quantize(histogram.get(), attr.get(), &quantised), "choose a palette");
  const TLiqResult result(quantised);
  CheckLiq(liq_set_dithering_level(result.get(), DitheringLevel), "take the dithering level");
  std::vector<IndexedFrame> indexed;
  for (const QImage& frame : rgba) {
    IndexedFrame out{{}, std::vector<GifPixelType>(frame.sizeInBytes() / 4)};
    CheckLiq(liq_write_remapped_image(result.get(), LiqImage(attr.get(), frame).get(),
                                      out.Indices.data(), out.Indices.size()),
             "dither a frame");
    const liq_palette* palette = liq_get_palette(result.get());
    for (unsigned i = 0; i < palette->count; ++i)
      out.Palette.push_back({palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
    indexed.push_back(std::move(out));
  }
  return indexed;
}

// ---- The GIF file ------------------------------------------------------------------------

struct GifCloser {
  void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
using TGifFile = std::unique_ptr<GifFileType, GifCloser>;

void CheckGif(int status, const GifFileType* gif) {
  if (status != GIF_OK) throw ETavoError(std::string("giflib: ") + GifErrorString(gif->Error));
}

int Append(GifFileType* gif, const GifByteType* data, int length) {
  auto* bytes = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  bytes->insert(bytes->end(), data, data + length);
  return length;
}

// The application extension that browsers and viewers read as "loop for ever".
void PutLoopForEver(GifFileType* gif) {
  static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  static const GifByteType loopCount[] = {1, 0, 0};  // sub-block 1: repeat 0 times more = for ever
  CheckGif(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), gif);
  CheckGif(EGifPutExtensionBlock(gif, sizeof application, application), gif);
  CheckGif(EGifPutExtensionBlock(gif, sizeof loopCount, loopCount), gif);
  CheckGif(EGifPutExtensionTrailer(gif), gif);
}

void PutFrame(GifFileType* gif, IndexedFrame& frame, int delayMilliseconds) {
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.DelayTime = (delayMilliseconds + 5) / 10;
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const std::size_t length = EGifGCBToExtension(&control, extension);
  CheckGif(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension), gif);
  // A GIF palette holds a power of two of colours; the rest stays black and unused.
  const int colours = 1 << GifBitSize(static_cast<int>(frame.Palette.size()));
  frame.Palette.resize(static_cast<std::size_t>(colours), GifColorType{0, 0, 0});
  const std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)> map(
      GifMakeMapObject(colours, frame.Palette.data()), GifFreeMapObject);
  if (!map) throw ETavoError("giflib could not make a palette");
  CheckGif(EGifPutImageDesc(gif, 0, 0, gif->SWidth, gif->SHeight, false, map.get()), gif);
  CheckGif(EGifPutLine(gif, frame.Indices.data(), static_cast<int>(frame.Indices.size())), gif);
}

}  // namespace

std::vector<std::uint8_t> EncodeAnimatedGif(const std::vector<QImage>& frames,
                                            int delayMilliseconds) {
  if (frames.empty()) throw ETavoError("an animation needs at least one frame");
  for (const QImage& frame : frames)
    if (frame.size() != frames.front().size())
      throw ETavoError("the frames of an animation differ in size");
  std::vector<IndexedFrame> indexed = Quantise(frames);
  std::vector<std::uint8_t> bytes;
  int error = 0;
  TGifFile gif(EGifOpen(&bytes, Append, &error));
  if (!gif) throw ETavoError(std::string("giflib: ") + GifErrorString(error));
  EGifSetGifVersion(gif.get(), true);  // GIF89a: delays and the loop need it
  CheckGif(
      EGifPutScreenDesc(gif.get(), frames.front().width(), frames.front().height(), 8, 0, nullptr),
      gif.get());
  PutLoopForEver(gif.get());
  for (IndexedFrame& frame : indexed) PutFrame(gif.get(), frame, delayMilliseconds);
  const int closed = EGifCloseFile(gif.release(), &error);  // writes the trailer and frees
  if (closed != GIF_OK) throw ETavoError(std::string("giflib: ") + GifErrorString(error));
  return bytes;
}
