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
      FailToMakeFolder(path.string(), error);
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

}  // namespace

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
