// What the shelf keeps in the cache folder and can make again: the content digest of every
// picture on the shelf, by which a doll file already unpacked is found; the picture of each
// doll; and the turn and shade each doll was last left at, which its picture shows.
#pragma once

#include <QByteArray>
#include <QImage>
#include <map>
#include <set>
#include <string>

#include "DollShelf.h"

// How a doll was last left on screen: its turn (RotationOffset) and its shade (ShadeLevel).
struct TDollPose {
  int Rotation = 0;
  int ShadeLevel = 0;
  bool operator==(const TDollPose&) const = default;
};

class TShelfIndex {
 public:
  // The index kept in the cache folder, read now; a missing or damaged one is started afresh.
  TShelfIndex();
  // The DollContent of `doll`'s pictures; a picture that cannot be read counts as empty.
  std::string ContentOf(const TShelfDoll& doll);
  // The first doll of `shelf` whose content is `content`, or "".
  std::string FindCopy(const std::string& shelf, const std::string& content);
  // Writes the digests of the files seen since it was read, whole or not at all, where that
  // changes it; a failure is ignored (it is a cache).
  void Save();

 private:
  std::string FFile;
  std::map<std::string, QByteArray> FDigests;  // by identity
  std::set<std::string> FUsed;
  bool FChanged = false;
};

// The first doll of `shelf` whose content is `content`, or "", the index saved.
std::string FindCopyOnShelf(const std::string& shelf, const std::string& content);

// The cache file of the picture of a doll of `content` left at `pose`.
std::string ShelfPictureFile(const std::string& content, const TDollPose& pose);
// Keeps `picture` as `fileName`, written whole; a failure is ignored (it is a cache). Safe on
// any thread.
void KeepShelfPicture(const QImage& picture, const std::string& fileName);

// The poses the dolls were last left at, by folder.
using TDollPoses = std::map<std::string, TDollPose>;
TDollPoses KeptPoses();
// The pose of the doll of `folder` in `poses`: turned to 0 and unshaded where none was kept.
TDollPose PoseIn(const TDollPoses& poses, const std::string& folder);
// Keeps `pose` as the one the doll of `folder` was last left at.
void RememberPose(const std::string& folder, const TDollPose& pose);
