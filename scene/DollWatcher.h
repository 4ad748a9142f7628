// The doll follows its files: a picture of the doll shown that another program changes (an
// image editor saving over it, a copy, a rename into place) is read again as Load reads it
// and shown. The program's own writes are known by their identities and read nothing; a file
// being written, which cannot be read yet, leaves the doll as it is until its next change.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <string>

#include "framework/FileOutput.h"

class TScene;

class TDollWatcher : public QObject {
 public:
  // Watches the doll of `scene`. `mayRead` tells whether the doll may be read now (not while
  // it opens, is painted or dragged: the watcher looks again a little later); `shown` is
  // called after it was read.
  TDollWatcher(TScene& scene, std::function<bool()> mayRead, std::function<void()> shown,
               QObject* parent);

  // Takes the pictures of the doll's folder as they are now as the ones shown: after the
  // doll was read from them (start, Load, another doll shown).
  void Rest();
  // Looks at the pictures: where one was changed by another program, reads the doll again and
  // shows it at rest at the level it was at. What the watcher's events call, a moment later.
  void Check();

 private:
  std::map<std::string, TFileIdentity> Pictures() const;
  void Watch();

  TScene& FScene;
  std::function<bool()> FMayRead;
  std::function<void()> FShown;
  std::string FFolder;
  std::map<std::string, TFileIdentity> FKnown;
  QFileSystemWatcher FWatcher;
  QTimer FSoon;
};
