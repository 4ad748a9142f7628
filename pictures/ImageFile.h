// A picture file opened for reading: only a regular file, and never waiting on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The path is looked at with stat before it is opened, and opened without blocking, so that a
// named pipe, a device or a folder (whatever its name) is refused at once instead of being
// waited on. Raises the file-open error naming the file. The descriptor is closed with the
// object.
class ImageFile {
 public:
  explicit ImageFile(const std::string& fileName);
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  const std::string& Name() const { return FName; }
  int Descriptor() const { return FFd; }
  std::int64_t Size() const { return FSize; }
  // Up to `count` bytes from the start, without moving the descriptor's position.
  std::vector<std::uint8_t> Head(std::size_t count) const;
  // Raises the invalid-bitmap error for a file past MaxImageFileBytes.
  void CheckSize() const;
  // Reads the whole file from the descriptor's position on, after CheckSize.
  std::vector<std::uint8_t> ReadAll() const;

 private:
  std::string FName;
  int FFd = -1;
  std::int64_t FSize = 0;
};
