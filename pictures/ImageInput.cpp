#include "ImageInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "framework/TavoErrors.h"

namespace {

// Closes the descriptor on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : FFd(fd) {}
  ~FileDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return FFd; }

 private:
  int FFd;
};

std::string SystemReason() {
  return std::strerror(errno);
}

}  // namespace

std::vector<std::uint8_t> ReadImageFile(const std::string& fileName) {
  FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) throw EFOpenError(fileName, SystemReason());

  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) throw EFOpenError(fileName, SystemReason());
  if (S_ISDIR(info.st_mode)) throw EFOpenError(fileName, "フォルダーです");
  if (!S_ISREG(info.st_mode)) throw EFOpenError(fileName, "通常のファイルではありません");
  if (info.st_size > MaxImageFileBytes) throw EInvalidGraphic(fileName, "ファイルが大きすぎます");

  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw EFOpenError(fileName, SystemReason());
    if (got == 0) break;  // the file shrank while we read it
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

void RefusePixelDataCutShort(std::int64_t fileBytes, std::int64_t neededBytes,
                             const std::string& fileName) {
  throw EInvalidGraphic(fileName, "画素データが途中で切れています (" + std::to_string(fileBytes) +
                                      " / " + std::to_string(neededBytes) + " バイト)");
}

void RefusePixelDataEndingEarly(std::int64_t fileBytes, const std::string& fileName) {
  throw EInvalidGraphic(fileName, "画素データが途中で切れています (" + std::to_string(fileBytes) +
                                      " バイトで終わっています)");
}

void CheckImageDimensions(std::int64_t width, std::int64_t height, const std::string& fileName) {
  if (width < 1 || height < 1)
    throw EInvalidGraphic(fileName, "幅または高さが 0 以下です (" + std::to_string(width) + " × " +
                                        std::to_string(height) + ")");
  if (width > MaxImageSide || height > MaxImageSide || width * height > MaxImagePixels)
    throw EInvalidGraphic(fileName, "画像が大きすぎます (" + std::to_string(width) + " × " +
                                        std::to_string(height) + ")");
}
