// Decoding a Windows BMP file held in memory.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

// Decodes every variant of the format (1, 4, 8, 16, 24 and 32 bits; colour tables;
// uncompressed, run-length and bit-field encoding; core and information headers; upright and
// upside-down rows) into a Format_BGR888 picture. Qt's reader does the decoding; this checks
// the header and the file's length first and expands run-length data itself, so that a cut
// file is refused and pixels skipped by the run-length codes come out black instead of
// uninitialised. Raises the invalid-bitmap error, naming `fileName`.
QImage DecodeBmp(const std::vector<std::uint8_t>& bytes, const std::string& fileName);
