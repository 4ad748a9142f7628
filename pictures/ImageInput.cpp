#include "ImageInput.h"

#include "ImageFile.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

std::vector<std::uint8_t> ReadImageFile(const std::string& fileName) {
  return ImageFile(fileName).ReadAll();
}

void RefusePixelDataCutShort(std::int64_t fileBytes, std::int64_t neededBytes,
                             const std::string& fileName) {
  throw EInvalidGraphic(fileName, Tr("Pictures", "画素データが途中で切れています (%1 / %2 バイト)")
                                      .Arg(fileBytes)
                                      .Arg(neededBytes));
}

void RefusePixelDataEndingEarly(std::int64_t fileBytes, const std::string& fileName) {
  throw EInvalidGraphic(
      fileName,
      Tr("Pictures", "画素データが途中で切れています (%1 バイトで終わっています)").Arg(fileBytes));
}

void RefuseRowsCutShort(std::int64_t rows, std::int64_t height, const std::string& fileName) {
  throw EInvalidGraphic(
      fileName,
      Tr("Pictures", "画素データが途中で切れています (%1 / %2 行)").Arg(rows).Arg(height));
}

void CheckImageDimensions(std::int64_t width, std::int64_t height, const std::string& fileName) {
  if (width < 1 || height < 1)
    throw EInvalidGraphic(
        fileName, Tr("Pictures", "幅または高さが 0 以下です (%1 × %2)").Arg(width).Arg(height));
  if (width > MaxImageSide || height > MaxImageSide || width * height > MaxImagePixels)
    throw EInvalidGraphic(fileName,
                          Tr("Pictures", "絵が大きすぎます (%1 × %2)").Arg(width).Arg(height));
}
