#include "FuzzTarget.h"

#include <cstdlib>
#include <cstring>

#include "doll/ShapeProfile.h"
#include "framework/ImageInput.h"
#include "framework/TavoBmp.h"

FuzzReader ReaderOf(std::uint8_t selector) {
  switch (selector % 3) {
    case 0:
      return FuzzReader::Bmp;
    case 1:
      return FuzzReader::Jpeg;
    default:
      return FuzzReader::Shape;
  }
}

void ReadLikeTheProgram(FuzzReader reader, const std::string& fileName) {
  try {
    if (reader == FuzzReader::Shape) {
      const DollProfile profile = ReadShapeProfile(fileName);
      for (int r : profile)
        if (r < 0 || r > MaxRadius) std::abort();
      return;
    }
    TTavoBitmap bitmap;
    bitmap.LoadFromFileAuto(fileName);
    const bool consistent = bitmap.format() == QImage::Format_BGR888 &&
                            bitmap.Rows.Count() == bitmap.height() &&
                            bitmap.width() <= MaxImageSide && bitmap.height() <= MaxImageSide;
    if (!consistent) std::abort();
    // The same file must always give the same pixels: a reader that leaves memory
    // uninitialised is caught by a second load into fresh memory.
    TTavoBitmap again;
    again.LoadFromFileAuto(fileName);
    const auto rowBytes = static_cast<std::size_t>(3 * bitmap.width());
    for (int y = 0; y < bitmap.height(); ++y)
      if (std::memcmp(bitmap.Rows[y].Data(), again.Rows[y].Data(), rowBytes) != 0) std::abort();
  } catch (const ETavoError&) {
    // One of the program's own errors: the reader refused the file, as it should.
  }
}
