#include "ByteStream.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "ImageFile.h"
#include "framework/TavoErrors.h"

std::int64_t TByteStream::Skip(std::int64_t count) {
  std::array<std::uint8_t, 4096> scratch;
  std::int64_t skipped = 0;
  while (skipped < count) {
    const auto wanted = static_cast<std::size_t>(
        std::min<std::int64_t>(count - skipped, static_cast<std::int64_t>(scratch.size())));
    const std::size_t got = Read(scratch.data(), wanted);
    if (got == 0) break;
    skipped += static_cast<std::int64_t>(got);
  }
  return skipped;
}

std::size_t TMemoryStream::Read(std::uint8_t* to, std::size_t count) {
  const std::size_t got = std::min(count, FBytes.size() - FAt);
  if (got > 0) std::memcpy(to, FBytes.data() + FAt, got);
  FAt += got;
  return got;
}

std::int64_t TMemoryStream::Skip(std::int64_t count) {
  const std::int64_t skipped =
      std::clamp<std::int64_t>(count, 0, Size() - static_cast<std::int64_t>(FAt));
  FAt += static_cast<std::size_t>(skipped);
  return skipped;
}

std::int64_t TFileStream::Size() const {
  return FFile.Size();
}

std::size_t TFileStream::Read(std::uint8_t* to, std::size_t count) {
  // Never past the length the file had when it was opened, as ImageFile::ReadAll reads it.
  count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count),
                                                          std::max<std::int64_t>(Size() - FAt, 0)));
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(FFile.Descriptor(), to + done, count - done, FAt);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw EFOpenError(FFile.Name(), std::strerror(errno));
    if (got == 0) break;  // the file shrank since it was opened
    done += static_cast<std::size_t>(got);
    FAt += got;
  }
  return done;
}

std::int64_t TFileStream::Skip(std::int64_t count) {
  const std::int64_t skipped =
      std::clamp<std::int64_t>(count, 0, std::max<std::int64_t>(Size() - FAt, 0));
  FAt += skipped;
  return skipped;
}
