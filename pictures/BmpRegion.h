// Reading only the part of a BMP picture that the doll shows, walking the rest of the file
// without storing it.
#pragma once

#include <QImage>
#include <string>

#include "ByteStream.h"

struct TBmpRegion {
  // Format_BGR888: the top-left min(Width, width) × min(Height, height) pixels, each exactly
  // as DecodeBmp gives it.
  QImage Picture;
  // The whole picture's size.
  int Width = 0;
  int Height = 0;
};

// Decodes the top-left `width` × `height` of the BMP picture that `stream` holds, with every
// check of headers and length that DecodeBmp makes (the length from stream.Size()), so that
// a picture DecodeBmp refuses is refused here with the same error, naming `fileName`. Uses
// memory for the region and one stored row; run-length codes are walked to the picture's end.
TBmpRegion DecodeBmpRegion(TByteStream& stream, int width, int height, const std::string& fileName);

// The same for the picture file `fileName`: only a regular file, opened without waiting, at
// most MaxImageFileBytes (as ReadImageFile takes it).
TBmpRegion ReadBmpRegion(const std::string& fileName, int width, int height);
