#include "FileOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "TavoErrors.h"

namespace {

int SystemOpen(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}
ssize_t SystemWrite(int fd, const void* data, std::size_t size) {
  return ::write(fd, data, size);
}
int SystemFsync(int fd) {
  return ::fsync(fd);
}
int SystemLink(const char* from, const char* to) {
  return ::link(from, to);
}
int SystemRename(const char* from, const char* to) {
  return std::rename(from, to);
}

TOpenFunction Open = SystemOpen;
TWriteFunction Write = SystemWrite;
TFsyncFunction Fsync = SystemFsync;
TLinkFunction Link = SystemLink;
TRenameFunction Rename = SystemRename;

[[noreturn]] void Fail(const std::string& fileName, int error) {
  throw EFCreateError(fileName, std::strerror(error));
}

}  // namespace

int WriteAll(int fd, const void* bytes, std::size_t size) {
  const auto* data = static_cast<const char*>(bytes);
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

namespace {

// Creates `fileName` exclusively and writes it, flushed. Returns 0, or the errno of the
// failure (EEXIST: the name is taken, nothing written); a failure leaves no file behind.
int WriteFlushed(const std::string& fileName, const void* data, std::size_t size) {
  const int fd = Open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  int error = WriteAll(fd, data, size);
  if (error == 0 && Fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(fileName.c_str());  // the file is ours: never leave half of it
  return error;
}

}  // namespace

int FlushFolder(const std::string& fileName) {
  const std::string folder = std::filesystem::path(fileName).parent_path().string();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int error = Fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return error == EINVAL ? 0 : error;  // a file system that cannot flush a folder at all
}

namespace {

// The whole of `fileName` into `bytes`. Returns 0, or the errno of the failure.
int ReadWhole(const std::string& fileName, std::string& bytes) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char buffer[65536];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  const int error = got < 0 ? errno : 0;
  ::close(fd);
  return error;
}

// Whether a failed link() means that the file system has no hard links at all.
bool NoHardLinks(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

// Copies `fileName` to its first free backup name, created exclusively and flushed; "" when
// there is no such file.
std::string CopyToBackup(const std::string& fileName) {
  std::string bytes;
  if (const int error = ReadWhole(fileName, bytes); error != 0) {
    if (error == ENOENT) return "";
    Fail(fileName, error);
  }
  for (int n = 1;; ++n) {
    const std::string backup = BackupName(fileName, n);
    const int error = WriteFlushed(backup, bytes.data(), bytes.size());
    if (error == 0) return backup;
    if (error != EEXIST) Fail(fileName, error);
  }
}

// Gives `fileName` a second name, the first free backup name, linked or copied; "" when
// there is no such file.
std::string KeepUnderBackupName(const std::string& fileName) {
  for (int n = 1;; ++n) {
    const std::string backup = BackupName(fileName, n);
    if (Link(fileName.c_str(), backup.c_str()) == 0) return backup;
    const int error = errno;
    if (error == EEXIST) continue;
    if (error == ENOENT) return "";
    if (NoHardLinks(error)) return CopyToBackup(fileName);
    Fail(fileName, error);
  }
}

// Gives the kept file `keptName` the second name `written`, linked or, where the file system
// has no hard links, copied, and flushed either way: it may be a file put there by hand.
// Returns 0, or the errno of the failure (ENOENT: there is no such kept file).
int LinkFlushed(const std::string& keptName, const std::string& written) {
  if (Link(keptName.c_str(), written.c_str()) != 0) {
    if (!NoHardLinks(errno)) return errno;
    std::string bytes;
    if (const int error = ReadWhole(keptName, bytes); error != 0) return error;
    return WriteFlushed(written, bytes.data(), bytes.size());
  }
  const int fd = ::open(written.c_str(), O_RDONLY | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0 && Fsync(fd) != 0) error = errno;
  if (fd >= 0) ::close(fd);
  if (error != 0) ::unlink(written.c_str());
  return error;
}

// What the swaps last left under each name, by absolute path.
std::map<std::string, TFileIdentity> OwnIdentities;

void NoteOwnIdentity(const std::string& fileName) {
  OwnIdentities[std::filesystem::absolute(fileName).lexically_normal().string()] =
      IdentityOf(fileName);
}

// The swap's second half: the flushed file `written` takes the place of `fileName`, whose
// file is kept under its first free backup name unless `keep` is false, and the folder is
// flushed. Returns the backup's name, or "" when there was no file to keep; a failure leaves
// the folder as it was, but for a file replaced unkept.
std::string SwapIntoPlace(const std::string& fileName, const std::string& written,
                          bool keep = true) {
  std::string backup;
  try {
    if (keep) backup = KeepUnderBackupName(fileName);
    if (Rename(written.c_str(), fileName.c_str()) != 0) Fail(fileName, errno);
  } catch (const EFCreateError&) {
    ::unlink(written.c_str());
    if (!backup.empty()) ::unlink(backup.c_str());
    throw;
  }
  // Renaming a file onto another name of itself succeeds and leaves both names.
  ::unlink(written.c_str());
  if (const int error = FlushFolder(fileName); error != 0) {
    // Put the old file back, so that the folder is as it was.
    if (!backup.empty()) {
      Rename(backup.c_str(), fileName.c_str());
    } else if (keep) {
      ::unlink(fileName.c_str());
    }
    Fail(fileName, error);
  }
  NoteOwnIdentity(fileName);
  return backup;
}

}  // namespace

int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system that cannot rename so: a second name, which is never given over a file.
  if (Link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

void WriteWholeFile(const std::string& fileName, const void* data, std::size_t size) {
  const std::string written = fileName + ".new";
  ::unlink(written.c_str());  // left by a write a crash cut short: ours
  if (const int error = WriteFlushed(written, data, size); error != 0) Fail(fileName, error);
  if (Rename(written.c_str(), fileName.c_str()) != 0) {
    const int error = errno;
    ::unlink(written.c_str());
    Fail(fileName, error);
  }
  if (const int error = FlushFolder(fileName); error != 0) Fail(fileName, error);
}

bool WriteNewFileBeside(const std::string& fileName, const void* data, std::size_t size) {
  const std::string written = fileName + ".new";
  ::unlink(written.c_str());  // left by a write a crash cut short: ours
  if (const int error = WriteFlushed(written, data, size); error != 0) Fail(fileName, error);
  if (const int error = RenameNoReplace(written, fileName); error != 0) {
    ::unlink(written.c_str());
    if (error == EEXIST) return false;
    Fail(fileName, error);
  }
  if (const int error = FlushFolder(fileName); error != 0) {
    ::unlink(fileName.c_str());  // ours, made a moment ago
    Fail(fileName, error);
  }
  return true;
}

bool WriteNewFile(const std::string& fileName, const void* data, std::size_t size) {
  const int error = WriteFlushed(fileName, data, size);
  if (error == EEXIST) return false;
  if (error != 0) Fail(fileName, error);
  if (const int folderError = FlushFolder(fileName); folderError != 0) {
    ::unlink(fileName.c_str());
    Fail(fileName, folderError);
  }
  return true;
}

bool TFileIdentity::operator==(const TFileIdentity& other) const {
  return Device == other.Device && Inode == other.Inode && Size == other.Size &&
         Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec;
}

TFileIdentity IdentityOf(const std::string& fileName) {
  struct stat info {};
  if (::lstat(fileName.c_str(), &info) != 0) return {};
  return {info.st_dev, info.st_ino, info.st_size, info.st_ctim};
}

std::string ReplaceKeepingOld(const std::string& fileName, const void* data, std::size_t size,
                              const TFileIdentity* own) {
  const std::string written = fileName + ".new";
  ::unlink(written.c_str());  // left by a swap a crash cut short: ours, and never in place
  if (const int error = WriteFlushed(written, data, size); error != 0) Fail(fileName, error);
  // Looked at once the new file is whole, just before the swap.
  const bool keep = !own || !(IdentityOf(fileName) == *own);
  return SwapIntoPlace(fileName, written, keep);
}

std::string PutBackKeepingCurrent(const std::string& fileName, const std::string& keptName) {
  const std::string written = fileName + ".new";
  ::unlink(written.c_str());
  if (const int error = LinkFlushed(keptName, written); error != 0) {
    if (error == ENOENT) throw EFOpenError(keptName, std::strerror(error));
    Fail(fileName, error);
  }
  return SwapIntoPlace(fileName, written);
}

std::string SetAside(const std::string& fileName) {
  const std::string backup = KeepUnderBackupName(fileName);
  if (backup.empty()) throw EFOpenError(fileName, std::strerror(ENOENT));
  if (::unlink(fileName.c_str()) != 0) {
    const int error = errno;
    ::unlink(backup.c_str());
    Fail(fileName, error);
  }
  if (const int error = FlushFolder(fileName); error != 0) {
    Rename(backup.c_str(), fileName.c_str());  // back under its own name, as it was
    Fail(fileName, error);
  }
  NoteOwnIdentity(fileName);
  return backup;
}

std::optional<TFileIdentity> OwnIdentityOf(const std::string& fileName) {
  const auto own =
      OwnIdentities.find(std::filesystem::absolute(fileName).lexically_normal().string());
  if (own == OwnIdentities.end()) return std::nullopt;
  return own->second;
}

bool NameTaken(const std::string& fileName) {
  std::error_code error;
  return std::filesystem::symlink_status(fileName, error).type() !=
         std::filesystem::file_type::not_found;
}

std::string BackupName(const std::string& fileName, int n) {
  const std::size_t slash = fileName.rfind('/');
  std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    dot = fileName.size();
  return fileName.substr(0, dot) + "-" + TwoDigits(n) + fileName.substr(dot);
}

std::string TwoDigits(int n) {
  std::string text = std::to_string(n);
  while (text.size() < 2) text = "0" + text;
  return text;
}

void SetFileOutputFunctions(TOpenFunction open, TWriteFunction write, TFsyncFunction fsync,
                            TLinkFunction link, TRenameFunction rename) {
  Open = open ? open : SystemOpen;
  Write = write ? write : SystemWrite;
  Fsync = fsync ? fsync : SystemFsync;
  Link = link ? link : SystemLink;
  Rename = rename ? rename : SystemRename;
}
