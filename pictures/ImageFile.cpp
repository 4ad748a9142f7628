#include "ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ImageInput.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

std::string SystemReason() {
  return std::strerror(errno);
}

void CheckRegular(const struct stat& info, const std::string& fileName) {
  if (S_ISDIR(info.st_mode)) throw EFOpenError(fileName, Tr("Pictures", "フォルダーです"));
  if (!S_ISREG(info.st_mode))
    throw EFOpenError(fileName, Tr("Pictures", "通常のファイルではありません"));
}

}  // namespace

ImageFile::ImageFile(const std::string& fileName) : FName(fileName) {
  // Opening a pipe for reading waits for a writer: look before opening.
  struct stat info {};
  if (::stat(fileName.c_str(), &info) != 0) throw EFOpenError(fileName, SystemReason());
  CheckRegular(info, fileName);
  FFd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (FFd < 0) throw EFOpenError(fileName, SystemReason());
  // The path may have been replaced between the look and the opening.
  const bool looked = ::fstat(FFd, &info) == 0;
  const std::string reason = looked ? "" : SystemReason();
  if (!looked || !S_ISREG(info.st_mode)) {
    ::close(FFd);
    if (!looked) throw EFOpenError(fileName, reason);
    CheckRegular(info, fileName);
  }
  FSize = info.st_size;
}

ImageFile::~ImageFile() {
  ::close(FFd);
}

std::vector<std::uint8_t> ImageFile::Head(std::size_t count) const {
  std::vector<std::uint8_t> bytes(count);
  ssize_t got;
  do {
    got = ::pread(FFd, bytes.data(), count, 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw EFOpenError(FName, SystemReason());
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

void ImageFile::CheckSize() const {
  if (FSize > MaxImageFileBytes)
    throw EInvalidGraphic(FName, Tr("Pictures", "ファイルが大きすぎます"));
}

std::vector<std::uint8_t> ImageFile::ReadAll() const {
  CheckSize();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(FSize));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(FFd, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw EFOpenError(FName, SystemReason());
    if (got == 0) break;  // the file shrank while we read it
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}
