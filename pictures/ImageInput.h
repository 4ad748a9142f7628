// Reading picture files: the whole file into memory, and the size limit every reader keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Photos up to 2^26 pixels (67 megapixels: 8192 × 8192, 9600 × 6400) load. The sides are
// limited only by the formats themselves (16 bits in the BMP core header; JPEG's own maximum
// is 65500). The file limit fits the largest such picture, 32-bit, with room for its headers
// and colour table. A forged header past these is refused before anything is allocated; the
// largest picture a reader allocates takes about 2^26 × 3 bytes (192 MiB).
inline constexpr std::int64_t MaxImageSide = 65535;
inline constexpr std::int64_t MaxImagePixels = std::int64_t{1} << 26;
inline constexpr std::int64_t MaxImageFileBytes = (std::int64_t{1} << 28) + (std::int64_t{1} << 20);

// Reads the whole file. Raises the file-open error (a missing file, a folder, a pipe or a
// device, no read permission) or the invalid-bitmap error for a file past MaxImageFileBytes.
std::vector<std::uint8_t> ReadImageFile(const std::string& fileName);

// Raises the invalid-bitmap error for a file too short for the pixels its header claims,
// with the file's length and the length needed.
[[noreturn]] void RefusePixelDataCutShort(std::int64_t fileBytes, std::int64_t neededBytes,
                                          const std::string& fileName);

// Raises the same error for pixel data that ends before the picture does, found while
// decoding, with the file's length.
[[noreturn]] void RefusePixelDataEndingEarly(std::int64_t fileBytes, const std::string& fileName);

// The same for a compressed picture whose data ends after `rows` of its `height` rows.
[[noreturn]] void RefuseRowsCutShort(std::int64_t rows, std::int64_t height,
                                     const std::string& fileName);

// Raises the invalid-bitmap error for dimensions outside 1..MaxImageSide or an area past
// MaxImagePixels, before anything of that size is allocated.
void CheckImageDimensions(std::int64_t width, std::int64_t height, const std::string& fileName);
