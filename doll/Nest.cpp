#include "Nest.h"

#include <cstring>
#include <filesystem>

#include "Doll.h"
#include "Nesting.h"
#include "ShapeProfile.h"

namespace {

// The nearest level at or outside `level` that has the picture `has` looks for.
template <class Has>
int NearestWith(const TNest& nest, int level, Has has) {
  for (auto it = nest.upper_bound(level); it != nest.begin();) {
    --it;
    if (has(it->second)) return it->first;
  }
  return 1;
}

// Runs `nest` until the doll of `level` is reached: from the doll at rest of `held`, which
// uses the same picture when it lies between `source` and `level`, or else from the
// full-size picture of `source`, which `start` puts in place.
template <class Start, class Step>
void NestFrom(int level, int held, int source, Start start, Step nest) {
  int nested = 1;
  if (held >= source && held <= level) {
    nested = held;
  } else {
    start();
  }
  for (; nested < level; ++nested) nest();
}

}  // namespace

std::set<int> LevelsInFolder(const std::string& folder) {
  std::set<int> levels;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(folder.empty() ? "." : folder, error))
    if (const int level = LevelOfFile(entry.path().filename().string()); level >= 2)
      levels.insert(level);
  return levels;
}

int OutlineLevel(const TNest& nest, int level) {
  return NearestWith(nest, level, [](const TLevelPictures& p) { return p.Outline.has_value(); });
}

int SkinLevel(const TNest& nest, int level) {
  return NearestWith(nest, level, [](const TLevelPictures& p) { return p.Skin != nullptr; });
}

void MakeLevelAtRest(TDoll& doll, int level, int held) {
  // The outline and the skin nest apart: no step of one reads anything of the other.
  const int outline = OutlineLevel(doll.Nest, level);
  NestFrom(
      level, held, outline, [&] { SetCurrentProfile(doll, *doll.Nest.at(outline).Outline); },
      [&] {
        doll.InnerProfile = NestedProfile(doll.CurrentProfile, doll.SplitRow);
        SetCurrentProfile(doll, doll.InnerProfile);
      });
  const int skin = SkinLevel(doll.Nest, level);
  NestFrom(
      level, held, skin, [&] { doll.Nest.at(skin).Skin->DrawOn(doll.TextureCopy, 0, 0); },
      [&] {
        NestSkin(doll.TextureCopy, doll.InnerTexture, doll.SplitRow);
        doll.InnerTexture.DrawOn(doll.TextureCopy, 0, 0);
      });
}

DollProfile NestedOutline(DollProfile outline, int level, int splitRow) {
  for (int nested = 1; nested < level; ++nested) outline = NestedProfile(outline, splitRow);
  return outline;
}

std::shared_ptr<const TTavoBitmap> SkinOf(const TBmpRegion& skin, const std::string& fileName) {
  if (skin.Width < TextureColumns || skin.Height < DollRows)
    throw EImageSizeError(fileName, skin.Width, skin.Height, TextureColumns, DollRows);
  auto copy = std::make_shared<TTavoBitmap>();
  copy->SetSizeBlank(TextureColumns, DollRows);
  for (int y = 0; y < DollRows; ++y)
    std::memcpy(copy->Rows[y].Data(), skin.Picture.constScanLine(y),
                sizeof(Pixel24) * TextureColumns);
  return copy;
}

std::shared_ptr<const TTavoBitmap> ReadSkin(const std::string& fileName) {
  return SkinOf(ReadBmpRegion(fileName, TextureColumns, DollRows), fileName);
}

void ReadLevelPicture(const std::string& name, const std::string& path) {
  if (name == LevelShapeName(LevelOfFile(name))) {
    ReadShapeProfile(path);
  } else {
    ReadSkin(path);
  }
}

std::unique_ptr<TTavoBitmap> CopyOfSkin(const TTavoBitmap& skin) {
  auto copy = std::make_unique<TTavoBitmap>();
  CopySkinInto(skin, *copy);
  return copy;
}

void CopySkinInto(const TTavoBitmap& skin, TTavoBitmap& into) {
  into.SetSizeBlank(TextureColumns, DollRows);
  skin.DrawOn(into, 0, 0);
}
