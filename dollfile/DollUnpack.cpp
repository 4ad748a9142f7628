#include "DollUnpack.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>

#include "DollArchive.h"
#include "doll/Nest.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "framework/Translation.h"
#include "pictures/BmpRegion.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t MaxFolderNameBytes = 200;
const std::string FallbackFolderName = "人形";

// Whether `c` may stand in a folder's name: no control or format character (the
// bidirectional ones among them), no surrogate left over from invalid bytes, nothing
// unassigned.
bool Printable(char32_t c) {
  switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
      return false;
    default:
      return c != QChar::ReplacementCharacter;
  }
}

// The first `bytes` bytes of `name`, cut before a character that would not fit whole.
std::string CutToBytes(const QString& name, std::size_t bytes) {
  std::string cut;
  for (const char32_t c : name.toUcs4()) {
    const std::string one = QString::fromUcs4(&c, 1).toStdString();
    if (cut.size() + one.size() > bytes) break;
    cut += one;
  }
  return cut;
}

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

// Makes `folder` and its missing parents; returns those it made, outermost first.
std::vector<std::string> MakeFolders(const std::string& folder) {
  std::vector<std::string> made;
  fs::path path;
  for (const fs::path& part : fs::path(folder)) {
    path /= part;
    if (::mkdir(path.c_str(), 0777) == 0) {
      made.push_back(path.string());
    } else if (errno != EEXIST) {
      const int error = errno;
      for (auto folder = made.rbegin(); folder != made.rend(); ++folder) ::rmdir(folder->c_str());
      Fail(TMade::Folder, path.string(), error);
    }
  }
  return made;
}

// Reads picture `index` of `doll` as Load reads the picture file of that name.
void ReadPicture(TDollFile& doll, std::size_t index, TPictureSink* sink, TOuterDoll& outer) {
  const std::string& name = doll.Pictures()[index];
  const std::unique_ptr<TZipEntryStream> stream = doll.OpenPicture(index);
  if (sink) {
    sink->Begin(name);
    stream->CopyTo(
        [sink](const std::uint8_t* bytes, std::size_t count) { sink->Write(bytes, count); });
  }
  const int level = LevelOfFile(name);
  try {
    if (name == LevelShapeName(level)) {
      const DollProfile outline =
          ShapeProfileOf(DecodeBmpRegion(*stream, ShapeWidth, ShapeHeight, name), name);
      if (level == 1) outer.Outline = outline;
    } else {
      auto skin = SkinOf(DecodeBmpRegion(*stream, TextureColumns, DollRows, name), name);
      if (level == 1) outer.Skin = std::move(skin);
    }
  } catch (const EDollFileError&) {
    throw;
  } catch (const ETavoError& error) {
    throw EDollFileError(doll.FileName(), error.what());
  }
  stream->Finish();
  if (sink) sink->End();
}

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
    if (::renameat2(AT_FDCWD, FPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
      FKept = true;
      Close();
      FlushFolder(target);  // the folder it now stands in
      return target;
    }
    if (errno != EEXIST && errno != ENOTEMPTY) Fail(TMade::Folder, target, errno);
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

std::string PrintableName(const std::string& name) {
  QString clean;
  for (const char32_t c : QString::fromStdString(name).toUcs4())
    clean += Printable(c) ? QString::fromUcs4(&c, 1) : QStringLiteral("_");
  return clean.toStdString();
}

std::string DollFolderName(const std::string& fileName) {
  QString name = QString::fromStdString(fs::path(fileName).filename().string());
  if (name.endsWith(QString::fromStdString(DollFileSuffix), Qt::CaseInsensitive))
    name.chop(static_cast<int>(DollFileSuffix.size()));
  QString clean = QString::fromStdString(PrintableName(name.toStdString()));
  while (clean.startsWith('.') || clean.startsWith('-')) clean.remove(0, 1);
  std::string folder = CutToBytes(clean, MaxFolderNameBytes);
  if (folder.empty()) folder = FallbackFolderName;
  const QString end = QString::fromStdString(folder).right(4).toLower();
  if (end == ".bmp" || end == ".new") folder += "-" + FallbackFolderName;
  return folder;
}

TOuterDoll ReadDollPictures(TDollFile& doll, TPictureSink* sink) {
  const auto& names = doll.Pictures();
  for (const std::string& needed : {ShapeFileName, TextureFileName})
    if (std::find(names.begin(), names.end(), needed) == names.end())
      throw EDollFileError(doll.FileName(), Tr("DollFile", "%1 がありません").Arg(needed));
  TOuterDoll outer;
  for (std::size_t i = 0; i < names.size(); ++i) ReadPicture(doll, i, sink, outer);
  return outer;
}

std::string UnpackDollFile(const std::string& fileName, const std::string& parent,
                           const std::function<void()>& between,
                           const std::function<std::string(const std::string&)>& findCopy) {
  TDollFile doll(fileName);
  const std::vector<std::string> made = MakeFolders(parent);
  try {
    TNewDollFolder folder(parent, between);
    ReadDollPictures(doll, &folder);
    if (findCopy)
      if (std::string copy = findCopy(folder.Content()); !copy.empty()) return copy;
    return folder.MoveTo(parent, DollFolderName(fileName));
  } catch (...) {
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) ::rmdir(folder->c_str());
    throw;
  }
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
