// Decoding a PNG file with the PNG library, row by row, onto white.
#pragma once

#include <QImage>

class ImageFile;

// Reads every kind of PNG (1 to 16 bits; grey, colour or palette; an alpha channel or a
// transparent colour; interlaced or not) from the file's descriptor straight into a
// Format_RGB32 picture allocated once: 16-bit samples are scaled to 8 bits and transparent
// parts laid on white as the rows come, so that nothing but the picture itself is held.
// Raises the invalid-bitmap error naming the file: for dimensions past the readers' limit
// before anything is allocated, saying the pixel data is cut short for a file whose data ends
// early, and with the library's message for any other fault.
QImage DecodePng(const ImageFile& file);
