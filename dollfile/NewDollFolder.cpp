#include "NewDollFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "framework/FileOutput.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

enum class TMade { Folder, File };

[[noreturn]] void Fail(TMade made, const std::string& fileName, int error) {
  const std::string reason = std::strerror(error);
  if (made == TMade::Folder)
    throw ETavoError(Tr("Errors", "フォルダー \"%1\" を作れません: %2").Arg(fileName).Arg(reason));
  throw ETavoError(Tr("DollFile", "ファイル \"%1\" を作れません: %2").Arg(fileName).Arg(reason));
}

// Held by the folder's owner while it writes: a start that can take it knows the owner is gone.
const std::string LockName = ".kavinel-lock";
const std::string UnpackPrefix = ".kavinel-";

// Removes the unpack folder `name` in `parent` when its lock can be taken while the lock file
// is still there: the owner unlinks it, locked, before the folder becomes a doll's.
void RemoveIfAbandoned(int parent, const std::string& name) {
  const int folder =
      ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return;
  const int lock =
      ::openat(folder, LockName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat info {};
  const bool abandoned = lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0 &&
                         ::fstat(lock, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink > 0;
  if (abandoned) {
    std::vector<std::string> files;
    if (DIR* listing = ::fdopendir(::dup(folder))) {
      while (const dirent* entry = ::readdir(listing))
        if (entry->d_name != std::string_view(".") && entry->d_name != std::string_view(".."))
          files.push_back(entry->d_name);
      ::closedir(listing);
    }
    for (const std::string& file : files)
      if (file != LockName) ::unlinkat(folder, file.c_str(), 0);
    ::unlinkat(folder, LockName.c_str(), 0);
    ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
  }
  if (lock >= 0) ::close(lock);
  ::close(folder);
}

}  // namespace

void FailToMakeFolder(const std::string& folder, int error) {
  Fail(TMade::Folder, folder, error);
}

TNewDollFolder::TNewDollFolder(const std::string& parent, const std::function<void()>& between)
    : FBetween(between) {
  std::string pattern = parent + "/" + UnpackPrefix + "XXXXXX";
  if (!::mkdtemp(pattern.data())) Fail(TMade::Folder, pattern, errno);
  FPath = pattern;
  FFd = ::open(FPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (FFd >= 0)
    FLock =
        ::openat(FFd, LockName.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (FLock < 0 || ::flock(FLock, LOCK_EX) != 0) {
    const int error = errno;
    Remove();
    Fail(TMade::Folder, FPath, error);
  }
}

TNewDollFolder::~TNewDollFolder() {
  if (!FKept) Remove();
}

void TNewDollFolder::Begin(const std::string& name) {
  Between();
  FFile = ::openat(FFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (FFile < 0) Fail(TMade::File, Path(name), errno);
  FWritten.push_back(name);
  FHash.reset();
}

void TNewDollFolder::Write(const std::uint8_t* bytes, std::size_t count) {
  if (const int error = WriteAll(FFile, bytes, count); error != 0)
    Fail(TMade::File, Path(FWritten.back()), error);
  FHash.addData(QByteArrayView(bytes, static_cast<qsizetype>(count)));
  Between();
}

void TNewDollFolder::End() {
  int error = ::fsync(FFile) == 0 ? 0 : errno;
  if (::close(FFile) != 0 && error == 0) error = errno;
  FFile = -1;
  if (error != 0) Fail(TMade::File, Path(FWritten.back()), error);
  FDigests[FWritten.back()] = FHash.result();
}

std::string TNewDollFolder::Content() const {
  return DollContent(FDigests);
}

std::string TNewDollFolder::MoveTo(const std::string& parent, const std::string& name) {
  Between();
  ::unlinkat(FFd, LockName.c_str(), 0);
  if (::fsync(FFd) != 0) Fail(TMade::Folder, FPath, errno);
  for (int n = 1;; ++n) {
    const std::string target = parent + "/" + (n == 1 ? name : name + "-" + std::to_string(n));
    const int error = RenameNoReplace(FPath, target);
    if (error == 0) {
      FKept = true;
      Close();
      FlushFolder(target);  // the folder it now stands in
      return target;
    }
    if (error != EEXIST && error != ENOTEMPTY) Fail(TMade::Folder, target, error);
  }
}

void TNewDollFolder::Between() const {
  if (FBetween) FBetween();
}

void TNewDollFolder::Remove() {
  if (FFile >= 0) ::close(FFile);
  FFile = -1;
  for (const std::string& name : FWritten) ::unlinkat(FFd, name.c_str(), 0);
  ::unlinkat(FFd, LockName.c_str(), 0);
  ::rmdir(FPath.c_str());
  Close();
}

void TNewDollFolder::Close() {
  for (int* fd : {&FLock, &FFd})
    if (*fd >= 0) ::close(std::exchange(*fd, -1));
}

std::string DollContent(const std::map<std::string, QByteArray>& pictureDigests) {
  QCryptographicHash hash(ContentHash);
  for (const auto& [name, digest] : pictureDigests) {
    hash.addData(QByteArrayView(name.data(), static_cast<qsizetype>(name.size() + 1)));
    hash.addData(digest);
  }
  return hash.result().toHex().toStdString();
}

void RemoveAbandonedUnpacks(const std::string& parent) {
  const int folder = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return;
  std::vector<std::string> names;
  if (DIR* listing = ::fdopendir(::dup(folder))) {
    while (const dirent* entry = ::readdir(listing))
      if (std::string_view(entry->d_name).starts_with(UnpackPrefix)) names.push_back(entry->d_name);
    ::closedir(listing);
  }
  for (const std::string& name : names) RemoveIfAbandoned(folder, name);
  ::close(folder);
}
