#include "ShelfIndex.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fstream>
#include <sstream>

#include "doll/DollTypes.h"
#include "dollfile/NewDollFolder.h"
#include "framework/TavoErrors.h"

namespace {

std::string IdentityKey(const TFileIdentity& file) {
  std::ostringstream key;
  key << file.Device << ' ' << file.Inode << ' ' << file.Size << ' ' << file.Changed.tv_sec << ' '
      << file.Changed.tv_nsec;
  return key.str();
}

QByteArray DigestOfFile(const std::string& fileName) {
  QCryptographicHash hash(ContentHash);
  QFile file(QString::fromStdString(fileName));
  if (file.open(QIODevice::ReadOnly)) hash.addData(&file);
  return hash.result();
}

// Writes `bytes` as the cache file `fileName`, in a folder made when missing; a cache that
// cannot be written is made again next time.
void WriteCacheFile(const std::string& fileName, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(QString::fromStdString(fileName)).path());
  try {
    WriteWholeFile(fileName, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  } catch (const ETavoError&) {
  }
}

std::string PosesFile() {
  return CacheFolder() + "/shelf-poses";
}

}  // namespace

TShelfIndex::TShelfIndex() : FFile(CacheFolder() + "/shelf-index") {
  std::ifstream in(FFile);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t cut = line.rfind(' ');
    const QByteArray digest = QByteArray::fromHex(QByteArray::fromStdString(line.substr(cut + 1)));
    if (cut != std::string::npos && digest.size() == 32) FDigests[line.substr(0, cut)] = digest;
  }
}

std::string TShelfIndex::ContentOf(const TShelfDoll& doll) {
  std::map<std::string, QByteArray> digests;
  for (const auto& [name, identity] : doll.Pictures) {
    const std::string key = IdentityKey(identity);
    FUsed.insert(key);
    QByteArray& digest = FDigests[key];
    if (digest.isEmpty()) {
      digest = DigestOfFile(doll.Folder + "/" + name);
      FChanged = true;
    }
    digests[name] = digest;
  }
  return DollContent(digests);
}

std::string TShelfIndex::FindCopy(const std::string& shelf, const std::string& content) {
  for (const TShelfDoll& doll : ListShelf(shelf))
    if (!doll.Pictures.empty() && ContentOf(doll) == content) return doll.Folder;
  return {};
}

void TShelfIndex::Save() {
  // Only the files seen in this run are kept: the others have changed or gone.
  if (!FChanged && FUsed.size() == FDigests.size()) return;
  std::erase_if(FDigests, [this](const auto& entry) { return !FUsed.count(entry.first); });
  QByteArray lines;
  for (const auto& [key, digest] : FDigests)
    lines += QByteArray::fromStdString(key) + ' ' + digest.toHex() + '\n';
  WriteCacheFile(FFile, lines);
  FChanged = false;
}

std::string FindCopyOnShelf(const std::string& shelf, const std::string& content) {
  TShelfIndex index;
  const std::string copy = index.FindCopy(shelf, content);
  index.Save();
  return copy;
}

std::string ShelfPictureFile(const std::string& content, const TDollPose& pose) {
  std::string name = content;
  if (pose != TDollPose{}) {
    for (const int part : {pose.Rotation, pose.ShadeLevel}) {
      name += '-';
      name += std::to_string(part);
    }
  }
  return CacheFolder() + "/shelf/" + name + ".png";
}

void KeepShelfPicture(const QImage& picture, const std::string& fileName) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (picture.save(&buffer, "PNG", 90)) WriteCacheFile(fileName, png);  // lightly compressed
}

TDollPoses KeptPoses() {
  // A line "rotation shade folder-in-hex" each.
  TDollPoses poses;
  std::ifstream in(PosesFile());
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    TDollPose pose;
    std::string folder;
    if (fields >> pose.Rotation >> pose.ShadeLevel >> folder && pose.Rotation >= 0 &&
        pose.Rotation < TextureColumns && pose.ShadeLevel >= 0 && pose.ShadeLevel < ShadeLevels)
      poses[QByteArray::fromHex(QByteArray::fromStdString(folder)).toStdString()] = pose;
  }
  return poses;
}

TDollPose PoseIn(const TDollPoses& poses, const std::string& folder) {
  const auto kept = poses.find(folder);
  return kept == poses.end() ? TDollPose{} : kept->second;
}

void RememberPose(const std::string& folder, const TDollPose& pose) {
  TDollPoses poses = KeptPoses();
  if (PoseIn(poses, folder) == pose) return;
  poses[folder] = pose;
  QByteArray lines;
  for (const auto& [kept, each] : poses)
    if (each != TDollPose{})
      lines += QByteArray::number(each.Rotation) + ' ' + QByteArray::number(each.ShadeLevel) + ' ' +
               QByteArray::fromStdString(kept).toHex() + '\n';
  WriteCacheFile(PosesFile(), lines);
}
