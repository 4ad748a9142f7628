// Reading picture files: the whole file into memory, and the size limit every reader keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Far beyond any doll picture (the doll reads 250 × 200 pixels of its texture), small
// enough that a forged header cannot make a reader allocate or decode for long.
inline constexpr std::int64_t MaxImageSide = 16384;
inline constexpr std::int64_t MaxImagePixels = std::int64_t{1} << 22;
inline constexpr std::int64_t MaxImageFileBytes = std::int64_t{64} << 20;

// Reads the whole file. Raises the file-open error (a missing file, a directory, no read
// permission) or the invalid-bitmap error for a file past MaxImageFileBytes.
std::vector<std::uint8_t> ReadImageFile(const std::string& fileName);

// Raises the invalid-bitmap error for dimensions outside 1..MaxImageSide or an area past
// MaxImagePixels, before anything of that size is allocated.
void CheckImageDimensions(std::int64_t width, std::int64_t height, const std::string& fileName);
