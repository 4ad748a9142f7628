// The lowest layer of the doll-file reader: an archive's bytes, read where they are needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "DollArchive.h"

class ImageFile;

// The bytes of the archive `fileName`: read from the file as they are asked for, or held in
// memory by the caller.
class TArchiveBytes {
 public:
  // Only a regular file, opened without waiting on it; raises the file-open error.
  explicit TArchiveBytes(const std::string& fileName);
  // Bytes that must outlive the object.
  TArchiveBytes(const TBytes& bytes, const std::string& fileName);
  ~TArchiveBytes();
  TArchiveBytes(const TArchiveBytes&) = delete;
  TArchiveBytes& operator=(const TArchiveBytes&) = delete;

  const std::string& FileName() const { return FFileName; }
  std::uint64_t Size() const { return FSize; }

  // `count` bytes from `at`; a file that ends before them (it shrank) is cut short.
  void ReadAt(std::uint64_t at, std::uint8_t* to, std::size_t count) const;
  TBytes ReadAt(std::uint64_t at, std::size_t count) const;

  // The reason given for a file that ends too soon.
  static std::string CutShort();

 private:
  std::string FFileName;
  std::unique_ptr<ImageFile> FFile;
  const TBytes* FMemory = nullptr;
  std::uint64_t FSize = 0;
};
