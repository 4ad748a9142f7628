#include "DollExport.h"

#include "doll/DollThumbnail.h"
#include "doll/Nest.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "pictures/ImageInput.h"

namespace {

// The names of the doll's pictures in the working folder: the outer doll's, then each level's
// outline and skin that are there.
std::vector<std::string> PicturesInFolder() {
  std::vector<std::string> names{ShapeFileName, TextureFileName};
  for (const int level : LevelsInFolder())
    for (const std::string& name : {LevelShapeName(level), LevelSkinName(level)})
      if (NameTaken(name)) names.push_back(name);
  return names;
}

// Reads the picture `name` as Load does, so that a doll file never carries one that cannot
// be opened.
void CheckPicture(const std::string& name) {
  if (name == LevelShapeName(LevelOfFile(name))) {
    ReadShapeProfile(name);
  } else {
    ReadSkin(name);
  }
}

}  // namespace

TBytes DollFileOfWorkingFolder() {
  std::vector<TDollPicture> pictures;
  for (const std::string& name : PicturesInFolder()) {
    pictures.push_back({name, ReadImageFile(name)});
    CheckPicture(name);
  }
  const QImage thumbnail =
      DollThumbnail(ReadShapeProfile(ShapeFileName), *ReadSkin(TextureFileName));
  const QByteArray png = EncodePicture(thumbnail, "png", DollThumbnailName);
  return PackDoll(pictures, TBytes(png.begin(), png.end()));
}

void ExportDoll(const std::string& fileName, bool replace) {
  const TBytes file = DollFileOfWorkingFolder();
  if (replace) {
    ReplaceKeepingOld(fileName, file.data(), file.size());
  } else if (!WriteNewFileBeside(fileName, file.data(), file.size())) {
    throw EFCreateError(fileName, "同じ名前のファイルがあります");
  }
}
