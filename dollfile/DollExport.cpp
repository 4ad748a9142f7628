#include "DollExport.h"

#include <filesystem>

#include "doll/DollThumbnail.h"
#include "doll/Nest.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "framework/Translation.h"
#include "pictures/ImageInput.h"

namespace {

// The names of the doll's pictures in `folder`: the outer doll's, then each level's outline
// and skin that are there.
std::vector<std::string> PicturesInFolder(const std::filesystem::path& folder) {
  std::vector<std::string> names{ShapeFileName, TextureFileName};
  for (const int level : LevelsInFolder(folder))
    for (const std::string& name : {LevelShapeName(level), LevelSkinName(level)})
      if (NameTaken(folder / name)) names.push_back(name);
  return names;
}

}  // namespace

TBytes DollFileOfFolder(const std::string& folder) {
  const std::filesystem::path in(folder);
  // Every picture is read as Load reads it, so that a doll file never carries one that cannot
  // be opened; the outer doll's make the thumbnail as they are read.
  const QImage thumbnail =
      DollThumbnail(ReadShapeProfile(in / ShapeFileName), *ReadSkin(in / TextureFileName));
  std::vector<TDollPicture> pictures;
  std::int64_t total = 0;
  for (const std::string& name : PicturesInFolder(in)) {
    const std::string path = in / name;
    if (LevelOfFile(name) >= 2) ReadLevelPicture(name, path);
    pictures.push_back({name, ReadImageFile(path)});
    total += static_cast<std::int64_t>(pictures.back().Bytes.size());
    // A doll file that could never be opened again is not written.
    if (static_cast<std::int64_t>(pictures.back().Bytes.size()) > DollFilePictureMaxBytes)
      throw ETavoError(
          Tr("DollFile", "絵 \"%1\" は人形ファイルに入れるには大きすぎます (上限は %2 MiB です)")
              .Arg(name)
              .Arg(DollFilePictureMaxBytes >> 20));
    if (total > DollFileMaxUnpackedBytes)
      throw ETavoError(
          Tr("DollFile",
             "人形の絵が合わせて大きすぎて人形ファイルに入りません (上限は %1 MiB です)")
              .Arg(DollFileMaxUnpackedBytes >> 20));
  }
  const QByteArray png = EncodePicture(thumbnail, "png", DollThumbnailName);
  return PackDoll(pictures, TBytes(png.begin(), png.end()));
}

void ExportDoll(const std::string& folder, const std::string& fileName, bool replace) {
  const TBytes file = DollFileOfFolder(folder);
  if (replace) {
    ReplaceKeepingOld(fileName, file.data(), file.size());
  } else if (!WriteNewFileBeside(fileName, file.data(), file.size())) {
    throw EFCreateError(fileName, Tr("DollFile", "同じ名前のファイルがあります"));
  }
}
