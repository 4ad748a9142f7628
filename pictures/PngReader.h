// Decoding a PNG file with the PNG library, row by row, onto white or with its alpha kept.
#pragma once

#include <QByteArray>
#include <QImage>
#include <string>

#include "WhiteBackground.h"

class ImageFile;

// Reads every kind of PNG (1 to 16 bits; grey, colour or palette; an alpha channel or a
// transparent colour; interlaced or not) from the file's descriptor straight into a picture
// allocated once: 16-bit samples are scaled to 8 bits and, as the rows come, transparent parts
// laid on white (Format_RGB32) or kept (Format_ARGB32, unpremultiplied), so that nothing but
// the picture itself is held.
// Raises the invalid-bitmap error naming the file: for dimensions past the readers' limit
// before anything is allocated, saying the pixel data is cut short for a file whose data ends
// early, and with the library's message for any other fault.
QImage DecodePng(const ImageFile& file, TAlpha alpha);

// The same for a PNG held in memory, named `name` in its errors.
QImage DecodePng(const QByteArray& bytes, const std::string& name, TAlpha alpha);
