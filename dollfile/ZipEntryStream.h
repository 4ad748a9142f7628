// The third layer of the doll-file reader: an entry's data, inflated as it is read, its end
// checked where it is reached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "pictures/ByteStream.h"

class TArchiveBytes;
struct TZipEntry;

// The bytes of `entry` of the archive in `bytes`, both of which must outlive the stream. Its
// end is checked where it is reached: the data ends exactly at the entry's packed size, the
// stream there, its length is the recorded one and its CRC matches; anything else raises
// EDollFileError.
class TZipEntryStream : public TByteStream {
 public:
  // Called with each chunk's length as it is inflated, and the entry's length so far; it may
  // raise an error to stop the reading.
  using TCount = std::function<void(std::size_t chunk, std::uint64_t produced)>;
  using TCopy = std::function<void(const std::uint8_t* bytes, std::size_t count)>;

  TZipEntryStream(const TArchiveBytes& bytes, const TZipEntry& entry, TCount count);
  ~TZipEntryStream() override;
  TZipEntryStream(const TZipEntryStream&) = delete;
  TZipEntryStream& operator=(const TZipEntryStream&) = delete;

  std::int64_t Size() const override;
  std::size_t Read(std::uint8_t* to, std::size_t count) override;
  // Every byte inflated from now on, a chunk at a time, is handed to `copy` too.
  void CopyTo(TCopy copy) { FCopy = std::move(copy); }
  // Reads what is left, and checks the end.
  void Finish();

 private:
  struct TState;
  std::unique_ptr<TState> FState;
  TCopy FCopy;
};
