// Decoding a JPEG file held in memory with the JPEG library.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Decodes at full scale with the floating-point inverse transform and block smoothing. A
// colour picture becomes 24-bit pixels; a greyscale one is quantised in one pass to 236
// evenly spaced grey levels with the library's default dithering; a CMYK or YCCK one is
// turned into RGB by multiplying out the inks. Returns Format_BGR888. Data that ends early
// is decoded as far as it goes.
// Raises the JPEG error with the library's message and number, or the invalid-bitmap error
// for dimensions past the reader's limit or a file far too small for them.
QImage DecodeJpeg(const std::vector<std::uint8_t>& bytes, const std::string& fileName);

// Decodes at the smallest of the library's reduced sizes (1/8 to 8/8, straight from the
// blocks) whose size `largeEnough` accepts, or at full size when it accepts none or is empty;
// colour, grey and CMYK alike become Format_RGB32, with the library's default transform.
// Raises the same errors as DecodeJpeg, and the cut-short error when the data ends before
// the picture does.
QImage DecodeJpegReduced(const std::vector<std::uint8_t>& bytes, const std::string& fileName,
                         const std::function<bool(QSize)>& largeEnough);
