#include "Nest.h"

#include <cstring>
#include <filesystem>

#include "Nesting.h"
#include "ShapeProfile.h"

TNest Nest;

namespace {

// The nearest level at or outside `level` that has the picture `has` looks for.
template <class Has>
int NearestWith(int level, Has has) {
  for (auto it = Nest.upper_bound(level); it != Nest.begin();) {
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

std::set<int> LevelsInFolder() {
  std::set<int> levels;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(".", error))
    if (const int level = LevelOfFile(entry.path().filename().string()); level >= 2)
      levels.insert(level);
  return levels;
}

int OutlineLevel(int level) {
  return NearestWith(level, [](const TLevelPictures& p) { return p.Outline.has_value(); });
}

int SkinLevel(int level) {
  return NearestWith(level, [](const TLevelPictures& p) { return p.Skin != nullptr; });
}

void MakeLevelAtRest(int level, int held) {
  // The outline and the skin nest apart: no step of one reads anything of the other.
  NestFrom(
      level, held, OutlineLevel(level),
      [level] { SetCurrentProfile(*Nest.at(OutlineLevel(level)).Outline); },
      [] {
        InnerProfile = NestedProfile(CurrentProfile, SplitRow);
        SetCurrentProfile(InnerProfile);
      });
  NestFrom(
      level, held, SkinLevel(level),
      [level] { Nest.at(SkinLevel(level)).Skin->DrawOn(*TextureCopy, 0, 0); },
      [] {
        NestSkin(*TextureCopy, *InnerTexture, SplitRow);
        InnerTexture->DrawOn(*TextureCopy, 0, 0);
      });
}

DollProfile NestedOutline(DollProfile outline, int level) {
  for (int nested = 1; nested < level; ++nested) outline = NestedProfile(outline, SplitRow);
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
  copy->SetSizeBlank(TextureColumns, DollRows);
  skin.DrawOn(*copy, 0, 0);
  return copy;
}
