#include "FileOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "TavoErrors.h"

namespace {

int SystemOpen(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}
ssize_t SystemWrite(int fd, const void* data, std::size_t size) {
  return ::write(fd, data, size);
}

TOpenFunction Open = SystemOpen;
TWriteFunction Write = SystemWrite;

// Returns 0, or the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t wrote = Write(fd, data + done, size - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return errno;
    if (wrote == 0) return EIO;
    done += static_cast<std::size_t>(wrote);
  }
  return 0;
}

}  // namespace

bool WriteNewFile(const std::string& fileName, const void* data, std::size_t size) {
  const int fd = Open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EEXIST) return false;
  if (fd < 0) throw EFCreateError(fileName, std::strerror(errno));
  int error = WriteAll(fd, static_cast<const char*>(data), size);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(fileName.c_str());  // the file is ours: never leave half a picture behind
    throw EFCreateError(fileName, std::strerror(error));
  }
  return true;
}

std::string TwoDigits(int n) {
  std::string text = std::to_string(n);
  while (text.size() < 2) text = "0" + text;
  return text;
}

void SetFileOutputFunctions(TOpenFunction open, TWriteFunction write) {
  Open = open ? open : SystemOpen;
  Write = write ? write : SystemWrite;
}
