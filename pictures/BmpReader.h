// Decoding a Windows BMP file held in memory.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

// Decodes every variant of the format (1, 4, 8, 16, 24 and 32 bits; colour tables;
// uncompressed, run-length and bit-field encoding; core, OS/2 2.x, information, v4 and v5
// headers; upright and upside-down rows) straight into a Format_BGR888 picture, allocated
// once. The file's length is checked before anything is allocated for uncompressed pixels,
// so that a cut file is refused; pixels skipped by run-length codes and colour indices past
// the table are black. Raises the invalid-bitmap error, naming `fileName`.
QImage DecodeBmp(const std::vector<std::uint8_t>& bytes, const std::string& fileName);

// The same for a picture a person drops: a 16- or 32-bit picture with an alpha mask comes
// back as Format_ARGB32 with its alpha, unless every pixel's alpha is 0 (the byte left
// unused), which is read as opaque.
QImage DecodeBmpForDrop(const std::vector<std::uint8_t>& bytes, const std::string& fileName);
