#include "ImageInput.h"

#include "ImageFile.h"
#include "framework/TavoErrors.h"

std::vector<std::uint8_t> ReadImageFile(const std::string& fileName) {
  return ImageFile(fileName).ReadAll();
}

void RefusePixelDataCutShort(std::int64_t fileBytes, std::int64_t neededBytes,
                             const std::string& fileName) {
  throw EInvalidGraphic(fileName, "画素データが途中で切れています (" + std::to_string(fileBytes) +
                                      " / " + std::to_string(neededBytes) + " バイト)");
}

void RefusePixelDataEndingEarly(std::int64_t fileBytes, const std::string& fileName) {
  throw EInvalidGraphic(fileName, "画素データが途中で切れています (" + std::to_string(fileBytes) +
                                      " バイトで終わっています)");
}

void RefuseRowsCutShort(std::int64_t rows, std::int64_t height, const std::string& fileName) {
  throw EInvalidGraphic(fileName, "画素データが途中で切れています (" + std::to_string(rows) +
                                      " / " + std::to_string(height) + " 行)");
}

void CheckImageDimensions(std::int64_t width, std::int64_t height, const std::string& fileName) {
  if (width < 1 || height < 1)
    throw EInvalidGraphic(fileName, "幅または高さが 0 以下です (" + std::to_string(width) + " × " +
                                        std::to_string(height) + ")");
  if (width > MaxImageSide || height > MaxImageSide || width * height > MaxImagePixels)
    throw EInvalidGraphic(fileName, "画像が大きすぎます (" + std::to_string(width) + " × " +
                                        std::to_string(height) + ")");
}
