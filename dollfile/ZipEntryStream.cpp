#include "ZipEntryStream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ArchiveBytes.h"
#include "DollEntryNames.h"
#include "ZipDirectory.h"
#include "framework/Translation.h"

namespace {

constexpr std::size_t ChunkBytes = 1 << 16;

}  // namespace

// What the stream needs while it is read.
struct TZipEntryStream::TState {
  TState(const TArchiveBytes& bytes, const TZipEntry& entry, TCount count)
      : Bytes(bytes),
        Entry(entry),
        CountChunk(std::move(count)),
        At(entry.DataStart),
        PackedLeft(entry.PackedSize) {}

  const TArchiveBytes& Bytes;
  const TZipEntry& Entry;
  TCount CountChunk;
  std::uint64_t At;  // the next packed byte
  std::uint64_t PackedLeft;
  std::uint64_t Produced = 0;
  uLong Crc = crc32(0, nullptr, 0);
  z_stream Inflater{};
  bool InflaterOpen = false;
  bool Ended = false;
  bool Checked = false;
  TBytes Input;
  TBytes Output = TBytes(ChunkBytes);  // inflated a chunk at a time, and read from here
  std::size_t OutputAt = 0;
  std::size_t OutputEnd = 0;

  [[noreturn]] void Fail(const std::string& reason) const {
    throw EDollFileError(Bytes.FileName(), reason);
  }
  std::string Shown() const { return QuotedEntryName(Entry.Name); }
  void Refill(const TZipEntryStream::TCopy& copy);
  std::size_t ReadStored(std::uint8_t* to, std::size_t count);
  std::size_t Inflate(std::uint8_t* to, std::size_t count);
  void Count(const std::uint8_t* bytes, std::size_t count);
  void CheckEnd();
};

TZipEntryStream::TZipEntryStream(const TArchiveBytes& bytes, const TZipEntry& entry, TCount count)
    : FState(std::make_unique<TState>(bytes, entry, std::move(count))) {
  if (entry.Method != ZipDeflated) return;
  if (inflateInit2(&FState->Inflater, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
  FState->InflaterOpen = true;
  FState->Input.resize(ChunkBytes);
}

TZipEntryStream::~TZipEntryStream() {
  if (FState->InflaterOpen) inflateEnd(&FState->Inflater);
}

std::int64_t TZipEntryStream::Size() const {
  return static_cast<std::int64_t>(FState->Entry.Size);
}

std::size_t TZipEntryStream::Read(std::uint8_t* to, std::size_t count) {
  TState& s = *FState;
  std::size_t done = 0;
  while (done < count) {
    if (s.OutputAt == s.OutputEnd) {
      if (s.Ended) break;
      s.Refill(FCopy);
      continue;
    }
    const std::size_t got = std::min(count - done, s.OutputEnd - s.OutputAt);
    std::memcpy(to + done, s.Output.data() + s.OutputAt, got);
    s.OutputAt += got;
    done += got;
  }
  return done;
}

void TZipEntryStream::Finish() {
  std::vector<std::uint8_t> scratch(ChunkBytes);
  while (Read(scratch.data(), scratch.size()) > 0) {
  }
}

// The next chunk, counted and checked as it comes, and its end checked where it ends.
void TZipEntryStream::TState::Refill(const TZipEntryStream::TCopy& copy) {
  const std::size_t got = InflaterOpen ? Inflate(Output.data(), Output.size())
                                       : ReadStored(Output.data(), Output.size());
  Count(Output.data(), got);
  if (copy && got > 0) copy(Output.data(), got);
  OutputAt = 0;
  OutputEnd = got;
  if (Ended && !Checked) CheckEnd();
}

std::size_t TZipEntryStream::TState::ReadStored(std::uint8_t* to, std::size_t count) {
  const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(count, PackedLeft));
  Bytes.ReadAt(At, to, got);
  At += got;
  PackedLeft -= got;
  Ended = PackedLeft == 0;
  return got;
}

std::size_t TZipEntryStream::TState::Inflate(std::uint8_t* to, std::size_t count) {
  if (Inflater.avail_in == 0 && PackedLeft > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(Input.size(), PackedLeft));
    Bytes.ReadAt(At, Input.data(), chunk);
    At += chunk;
    PackedLeft -= chunk;
    Inflater.next_in = Input.data();
    Inflater.avail_in = static_cast<uInt>(chunk);
  }
  Inflater.next_out = to;
  Inflater.avail_out = static_cast<uInt>(count);
  const uInt room = Inflater.avail_out;
  const int status = inflate(&Inflater, Z_NO_FLUSH);
  const std::size_t got = room - Inflater.avail_out;
  if (status == Z_STREAM_END) {
    Ended = true;
  } else if (status == Z_BUF_ERROR && Inflater.avail_in == 0 && PackedLeft == 0) {
    // The packed bytes ended before the stream did.
    Fail(Tr("DollFile", "項目 %1 の長さが合いません").Arg(Shown()));
  } else if (status != Z_OK && status != Z_BUF_ERROR) {
    Fail(Tr("DollFile", "項目 %1 の圧縮データが壊れています").Arg(Shown()));
  }
  return got;
}

// Counts what was inflated, never trusting a header: past the recorded length, or where the
// caller's limits say so, reading stops.
void TZipEntryStream::TState::Count(const std::uint8_t* bytes, std::size_t count) {
  Produced += count;
  if (Produced > Entry.Size) Fail(Tr("DollFile", "項目 %1 の長さが合いません").Arg(Shown()));
  if (CountChunk) CountChunk(count, Produced);
  Crc = crc32(Crc, bytes, static_cast<uInt>(count));
}

// A stream that ends before its entry's data would let a reader walking from the front take
// the rest for a descriptor and another entry.
void TZipEntryStream::TState::CheckEnd() {
  Checked = true;
  const bool packedUsed = Inflater.avail_in == 0 && PackedLeft == 0;
  if (!packedUsed || Produced != Entry.Size)
    Fail(Tr("DollFile", "項目 %1 の長さが合いません").Arg(Shown()));
  if (Crc != Entry.Crc) Fail(Tr("DollFile", "項目 %1 の CRC が合いません").Arg(Shown()));
}
