#include "ArchiveBytes.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "framework/Translation.h"
#include "pictures/ImageFile.h"

TArchiveBytes::TArchiveBytes(const std::string& fileName)
    : FFileName(fileName),
      FFile(std::make_unique<ImageFile>(fileName)),
      FSize(static_cast<std::uint64_t>(FFile->Size())) {}

TArchiveBytes::TArchiveBytes(const TBytes& bytes, const std::string& fileName)
    : FFileName(fileName), FMemory(&bytes), FSize(bytes.size()) {}

TArchiveBytes::~TArchiveBytes() = default;

void TArchiveBytes::ReadAt(std::uint64_t at, std::uint8_t* to, std::size_t count) const {
  if (at > FSize || count > FSize - at) throw EDollFileError(FFileName, CutShort());
  if (FMemory) {
    std::memcpy(to, FMemory->data() + at, count);
    return;
  }
  for (std::size_t done = 0; done < count;) {
    const ssize_t got =
        ::pread(FFile->Descriptor(), to + done, count - done, static_cast<off_t>(at + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw EFOpenError(FFileName, std::strerror(errno));
    if (got == 0) throw EDollFileError(FFileName, CutShort());
    done += static_cast<std::size_t>(got);
  }
}

TBytes TArchiveBytes::ReadAt(std::uint64_t at, std::size_t count) const {
  TBytes bytes(count);
  ReadAt(at, bytes.data(), count);
  return bytes;
}

std::string TArchiveBytes::CutShort() {
  return Tr("DollFile", "途中で切れています");
}
