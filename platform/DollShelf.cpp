#include "DollShelf.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "DollFolder.h"
#include "Settings.h"
#include "doll/LevelNames.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollUnpack.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace fs = std::filesystem;

namespace {

bool Later(const timespec& a, const timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// `folder` as a doll, when it is a real folder (no link) that holds the outer doll's outline
// or skin; its Folder is empty otherwise.
TShelfDoll ReadDoll(const std::string& folder) {
  TShelfDoll doll;
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || !HoldsDoll(folder))
    return doll;
  doll.Changed = info.st_ctim;
  if (DIR* listing = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(listing)) {
      const std::string name = entry->d_name;
      if (LevelOfFile(name) == 0) continue;
      struct stat picture {};
      if (::lstat((folder + "/" + name).c_str(), &picture) != 0 || !S_ISREG(picture.st_mode))
        continue;
      const TFileIdentity identity{picture.st_dev, picture.st_ino, picture.st_size,
                                   picture.st_ctim};
      doll.Pictures.emplace_back(name, identity);
      if (Later(identity.Changed, doll.Changed)) doll.Changed = identity.Changed;
    }
    ::closedir(listing);
  }
  std::sort(doll.Pictures.begin(), doll.Pictures.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  doll.Folder = folder;
  return doll;
}

// Copies the files `names` of `from` into a new folder named `name` (or `name`-2, …) in
// `shelf`.
std::string CopyIntoNewFolder(const std::string& shelf, const std::string& from,
                              const std::vector<std::string>& names, const std::string& name) {
  TNewDollFolder folder(shelf);
  for (const std::string& picture : names) {
    const std::string fileName = from + "/" + picture;
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
      throw EFOpenError(fileName, file.errorString().toStdString());
    folder.Begin(picture);
    while (!file.atEnd()) {
      const QByteArray chunk = file.read(1 << 16);
      if (file.error() != QFileDevice::NoError)
        throw EFOpenError(fileName, file.errorString().toStdString());
      folder.Write(reinterpret_cast<const std::uint8_t*>(chunk.constData()),
                   static_cast<std::size_t>(chunk.size()));
    }
    folder.End();
  }
  return folder.MoveTo(shelf, name);
}

bool SameDoll(const std::string& a, const std::string& b) {
  return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

// The names the dolls of `shelf` show, but that of `except`.
std::set<std::string> ShownNames(const std::string& shelf, const std::string& except) {
  std::set<std::string> names;
  for (const TShelfDoll& doll : ListShelf(shelf))
    if (!SameDoll(doll.Folder, except)) names.insert(ShelfName(shelf, doll.Folder));
  return names;
}

// The first of `name`, `name`-2, … that no doll of `shelf` shows and nothing in it has.
std::string FreeName(const std::string& shelf, const std::string& name) {
  const std::set<std::string> shown = ShownNames(shelf, {});
  for (int n = 1;; ++n) {
    const std::string free = n == 1 ? name : name + "-" + std::to_string(n);
    struct stat info {};
    if (!shown.count(free) && ::lstat((shelf + "/" + free).c_str(), &info) != 0) return free;
  }
}

std::string Taken(const std::string& name) {
  return Tr("Shelf", "\"%1\" という名前はもう使われています").Arg(name);
}

ETavoError RenameError(const std::string& folder, const std::string& reason) {
  return ETavoError(
      Tr("Shelf", "フォルダー \"%1\" の名前を変えられません: %2").Arg(folder).Arg(reason));
}

}  // namespace

std::vector<TShelfDoll> ListShelf(const std::string& shelf) {
  std::vector<TShelfDoll> dolls;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(shelf, error)) {
    if (entry.path().filename().string().starts_with('.')) continue;
    if (TShelfDoll doll = ReadDoll(entry.path().string()); !doll.Folder.empty())
      dolls.push_back(std::move(doll));
  }
  std::sort(dolls.begin(), dolls.end(), [](const TShelfDoll& a, const TShelfDoll& b) {
    if (Later(a.Changed, b.Changed) || Later(b.Changed, a.Changed))
      return Later(a.Changed, b.Changed);
    return a.Folder < b.Folder;
  });
  TShelfDoll mine = ReadDoll(shelf);
  mine.Folder = shelf;  // listed even while it holds no doll
  dolls.insert(dolls.begin(), std::move(mine));
  return dolls;
}

bool OnShelf(const std::string& shelf, const std::string& folder) {
  // Compared through the real paths of the folders they lie in, so that a home reached
  // through a link still holds its shelf; the doll's own folder is never followed.
  fs::path path = fs::path(folder).lexically_normal();
  if (path.filename().empty()) path = path.parent_path();
  std::error_code error;
  const fs::path home = fs::weakly_canonical(shelf, error);
  const fs::path parent = fs::weakly_canonical(path.parent_path(), error);
  const std::string name = path.filename().string();
  if (parent / name == home) return true;
  return parent == home && !name.empty() && !name.starts_with('.') &&
         !ReadDoll((home / name).string()).Folder.empty();
}

std::string ShelfName(const std::string& shelf, const std::string& folder) {
  return SameDoll(folder, shelf) ? std::string(Tr("Shelf", "わたしの人形"))
                                 : PrintableName(fs::path(folder).filename().string());
}

std::string CacheFolder() {
  return (QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/Kavinel")
      .toStdString();
}

std::string RememberedDoll(const std::string& shelf) {
  const std::optional<std::string> name = LastDollName();
  if (!name || name->empty()) return shelf;
  const std::string folder = shelf + "/" + *name;
  return OnShelf(shelf, folder) ? folder : shelf;
}

void RememberDoll(const std::string& shelf, const std::string& folder) {
  if (!OnShelf(shelf, folder)) return;
  const fs::path path = fs::path(folder).lexically_normal();
  KeepLastDollName(path == fs::path(shelf).lexically_normal() ? std::string()
                                                              : path.filename().string());
}

std::string NewDoll(const std::string& shelf, const std::string& samples) {
  std::vector<std::string> names;
  for (const auto& [name, identity] : ReadDoll(samples).Pictures) names.push_back(name);
  return CopyIntoNewFolder(shelf, samples, names, FreeName(shelf, Tr("Shelf", "人形")));
}

std::string DuplicateDoll(const std::string& shelf, const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [name, identity] : ReadDoll(folder).Pictures) names.push_back(name);
  return CopyIntoNewFolder(shelf, folder, names, FreeName(shelf, ShelfName(shelf, folder)));
}

std::string RenameDoll(const std::string& folder, const std::string& name) {
  if (name.empty() || DollFolderName(name) != name)
    throw RenameError(folder, Tr("Shelf",
                                 "\"%1\" は人形のフォルダーの名前に使えません "
                                 "(制御文字、先頭の点やダッシュ、末尾の .kavinel・.bmp・"
                                 ".new、/ は使えず、200 バイトまでです)")
                                  .Arg(PrintableName(name)));
  const std::string shelf = fs::path(folder).parent_path().string();
  if (ShownNames(shelf, folder).count(name)) throw RenameError(folder, Taken(name));
  const std::string target = (fs::path(shelf) / name).string();
  if (const int error = RenameNoReplace(folder, target); error != 0) {
    if (error == EEXIST) throw RenameError(folder, Taken(name));
    throw RenameError(folder, std::strerror(error));
  }
  FlushFolder(target);
  return target;
}

std::string TrashDoll(const std::string& folder) {
  QString inTrash;
  if (!QFile::moveToTrash(QString::fromStdString(folder), &inTrash))
    throw ETavoError(
        Tr("Shelf", "フォルダー \"%1\" をごみ箱に移せません: ごみ箱が受け付けません").Arg(folder));
  return inTrash.toStdString();
}

void RestoreFromTrash(const std::string& inTrash, const std::string& folder) {
  if (const int error = RenameNoReplace(inTrash, folder); error != 0)
    throw ETavoError(Tr("Shelf", "フォルダー \"%1\" をごみ箱から戻せません: %2")
                         .Arg(folder)
                         .Arg(std::strerror(error)));
  FlushFolder(folder);
  // The trash's record of it: <trash>/info/NAME.trashinfo beside <trash>/files/NAME.
  const fs::path entry = fs::path(inTrash);
  ::unlink(
      (entry.parent_path().parent_path() / "info" / entry.filename()).concat(".trashinfo").c_str());
}
