// Bytes read once, in order, from a picture file, an entry of a doll file or memory, so that
// a reader can walk a picture without holding all of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ImageFile;

class TByteStream {
 public:
  virtual ~TByteStream() = default;
  // How many bytes the stream holds, as known before it is read: the file's length, or the
  // length an archive records for its entry.
  virtual std::int64_t Size() const = 0;
  // Reads up to `count` bytes into `to`, fewer only where the stream ends. Raises the
  // source's errors, naming its file.
  virtual std::size_t Read(std::uint8_t* to, std::size_t count) = 0;
  // Passes over up to `count` bytes; returns how many there were.
  virtual std::int64_t Skip(std::int64_t count);
};

// Bytes held in memory, which must outlive the stream.
class TMemoryStream : public TByteStream {
 public:
  explicit TMemoryStream(const std::vector<std::uint8_t>& bytes) : FBytes(bytes) {}
  std::int64_t Size() const override { return static_cast<std::int64_t>(FBytes.size()); }
  std::size_t Read(std::uint8_t* to, std::size_t count) override;
  std::int64_t Skip(std::int64_t count) override;

 private:
  const std::vector<std::uint8_t>& FBytes;
  std::size_t FAt = 0;
};

// An open picture file, from its start, which must outlive the stream; skipping costs no
// reading. Raises the file-open error for a failing read.
class TFileStream : public TByteStream {
 public:
  explicit TFileStream(const ImageFile& file) : FFile(file) {}
  std::int64_t Size() const override;
  std::size_t Read(std::uint8_t* to, std::size_t count) override;
  std::int64_t Skip(std::int64_t count) override;

 private:
  const ImageFile& FFile;
  std::int64_t FAt = 0;
};
