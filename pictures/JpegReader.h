// Decoding a JPEG file held in memory with the JPEG library.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

// Decodes at full scale with the floating-point inverse transform and block smoothing. A
// colour picture becomes 24-bit pixels; a greyscale one is quantised in one pass to 236
// evenly spaced grey levels with the library's default dithering; a CMYK or YCCK one is
// turned into RGB by multiplying out the inks. Returns Format_BGR888.
// Raises the JPEG error with the library's message and number, or the invalid-bitmap error
// for dimensions past the reader's limit.
QImage DecodeJpeg(const std::vector<std::uint8_t>& bytes, const std::string& fileName);
