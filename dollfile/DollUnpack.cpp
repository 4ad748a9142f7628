#include "DollUnpack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "DollArchive.h"
#include "doll/Nest.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "framework/Translation.h"

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

// A fresh folder inside the doll's parent folder, removed with the pictures written into it
// unless it is kept.
class TUnpackFolder {
 public:
  explicit TUnpackFolder(const std::string& parent) {
    std::string pattern = parent + "/.kavinel-XXXXXX";
    if (!::mkdtemp(pattern.data())) Fail(TMade::Folder, pattern, errno);
    FPath = pattern;
    FFd = ::open(FPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FFd < 0) {
      const int error = errno;
      ::rmdir(FPath.c_str());
      Fail(TMade::Folder, FPath, error);
    }
  }
  ~TUnpackFolder() {
    if (!FKept) {
      for (const std::string& name : FWritten) ::unlinkat(FFd, name.c_str(), 0);
      ::rmdir(FPath.c_str());
    }
    ::close(FFd);
  }
  TUnpackFolder(const TUnpackFolder&) = delete;
  TUnpackFolder& operator=(const TUnpackFolder&) = delete;

  // Creates `name` anew in the folder (never through a link) and writes `bytes`, flushed.
  void Write(const std::string& name, const TBytes& bytes) {
    const int fd =
        ::openat(FFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) Fail(TMade::File, Path(name), errno);
    FWritten.push_back(name);
    int error = WriteAll(fd, bytes.data(), bytes.size());
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) Fail(TMade::File, Path(name), error);
  }

  // Flushes the folder, then gives it the first free name of `name`, `name`-2, … in
  // `parent`, which is flushed too; returns the folder's path there.
  std::string MoveTo(const std::string& parent, const std::string& name) {
    if (::fsync(FFd) != 0) Fail(TMade::Folder, FPath, errno);
    for (int n = 1;; ++n) {
      const std::string target = parent + "/" + (n == 1 ? name : name + "-" + std::to_string(n));
      if (::renameat2(AT_FDCWD, FPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        FKept = true;
        FlushFolder(target);  // the folder it now stands in
        return target;
      }
      if (errno != EEXIST && errno != ENOTEMPTY) Fail(TMade::Folder, target, errno);
    }
  }

  std::string Path(const std::string& name) const { return FPath + "/" + name; }

 private:
  std::string FPath;
  int FFd = -1;
  std::vector<std::string> FWritten;
  bool FKept = false;
};

// Reads the unpacked picture `name` as Load does; its errors name the picture within the
// doll file rather than the temporary folder.
void CheckPicture(const TUnpackFolder& folder, const std::string& name,
                  const std::string& fileName) {
  try {
    ReadLevelPicture(name, folder.Path(name));
  } catch (const ETavoError& error) {
    std::string reason = error.what();
    if (const auto at = reason.find(folder.Path(name)); at != std::string::npos)
      reason.replace(at, folder.Path(name).size(), name);
    throw EDollFileError(fileName, reason);
  }
}

}  // namespace

std::string DollFolderName(const std::string& fileName) {
  QString name = QString::fromStdString(fs::path(fileName).filename().string());
  if (name.endsWith(QString::fromStdString(DollFileSuffix), Qt::CaseInsensitive))
    name.chop(static_cast<int>(DollFileSuffix.size()));
  QString clean;
  for (const char32_t c : name.toUcs4())
    clean += Printable(c) ? QString::fromUcs4(&c, 1) : QStringLiteral("_");
  while (clean.startsWith('.') || clean.startsWith('-')) clean.remove(0, 1);
  std::string folder = CutToBytes(clean, MaxFolderNameBytes);
  if (folder.empty()) folder = FallbackFolderName;
  const QString end = QString::fromStdString(folder).right(4).toLower();
  if (end == ".bmp" || end == ".new") folder += "-" + FallbackFolderName;
  return folder;
}

std::string UnpackDollFile(const std::string& fileName, const std::string& parent) {
  const std::vector<TDollPicture> pictures = UnpackDoll(ReadDollFile(fileName), fileName);
  for (const std::string& needed : {ShapeFileName, TextureFileName}) {
    bool found = false;
    for (const TDollPicture& picture : pictures) found = found || picture.Name == needed;
    if (!found) throw EDollFileError(fileName, Tr("DollFile", "%1 がありません").Arg(needed));
  }
  std::error_code error;
  const bool made = fs::create_directories(parent, error);
  if (error)
    throw ETavoError(
        Tr("Errors", "フォルダー \"%1\" を作れません: %2").Arg(parent).Arg(error.message()));
  try {
    TUnpackFolder folder(parent);
    for (const TDollPicture& picture : pictures) {
      folder.Write(picture.Name, picture.Bytes);
      CheckPicture(folder, picture.Name, fileName);
    }
    return folder.MoveTo(parent, DollFolderName(fileName));
  } catch (...) {
    if (made) fs::remove(parent, error);  // ours, and empty again
    throw;
  }
}
