#include "DollWatcher.h"

#include <dirent.h>

#include "Scene.h"
#include "doll/LevelNames.h"

namespace {

// A burst of changes (a save in several writes) settles within this many ms.
constexpr int SettleTime = 150;
// While the doll may not be read, it is looked at again this often (ms).
constexpr int RetryTime = 500;

}  // namespace

TDollWatcher::TDollWatcher(TScene& scene, std::function<bool()> mayRead,
                           std::function<void()> shown, QObject* parent)
    : QObject(parent), FScene(scene), FMayRead(std::move(mayRead)), FShown(std::move(shown)) {
  FSoon.setSingleShot(true);
  connect(&FSoon, &QTimer::timeout, this, &TDollWatcher::Check);
  const auto soon = [this] { FSoon.start(SettleTime); };
  connect(&FWatcher, &QFileSystemWatcher::directoryChanged, this, soon);
  connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, soon);
}

std::map<std::string, TFileIdentity> TDollWatcher::Pictures() const {
  std::map<std::string, TFileIdentity> pictures;
  if (DIR* listing = ::opendir(FFolder.c_str())) {
    while (const dirent* entry = ::readdir(listing))
      if (LevelOfFile(entry->d_name) != 0)
        pictures[entry->d_name] = IdentityOf(FFolder + "/" + entry->d_name);
    ::closedir(listing);
  }
  return pictures;
}

void TDollWatcher::Watch() {
  const QStringList watched = FWatcher.files() + FWatcher.directories();
  if (!watched.isEmpty()) FWatcher.removePaths(watched);
  // The folder too: a save that renames a new file into place replaces the file watched.
  QStringList paths{QString::fromStdString(FFolder)};
  for (const auto& [name, identity] : FKnown) paths << QString::fromStdString(FFolder + "/" + name);
  FWatcher.addPaths(paths);
}

void TDollWatcher::Rest() {
  FFolder = FScene.Folder();
  FKnown = Pictures();
  Watch();
}

void TDollWatcher::Check() {
  if (FScene.Folder() != FFolder) return Rest();
  const std::map<std::string, TFileIdentity> now = Pictures();
  std::map<std::string, TFileIdentity> names = FKnown;
  names.insert(now.begin(), now.end());
  bool outside = false;
  for (const auto& [name, unused] : names) {
    const auto seen = now.find(name);
    const TFileIdentity identity = seen == now.end() ? TFileIdentity() : seen->second;
    const auto known = FKnown.find(name);
    if (known != FKnown.end() && known->second == identity) continue;
    if (const auto own = OwnIdentityOf(FFolder + "/" + name); own && *own == identity) {
      FKnown[name] = identity;  // the program's own write
    } else {
      outside = true;
    }
  }
  if (!outside) return;
  if (!FMayRead()) return FSoon.start(RetryTime);
  try {
    FScene.ReloadDoll();
  } catch (const std::exception&) {
    return Watch();  // cut short or unreadable for now: read again on its next change
  }
  FKnown = now;
  Watch();
  FShown();
}
