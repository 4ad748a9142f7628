// The dolls of the nest, each of which may be painted and shaped on its own: level 1 is the
// outer doll, level n the doll the (n − 1)-th opening reveals. A level without an outline
// or a skin of its own takes that of the nearest level outside it that has one, so a nest
// without level pictures is the outer doll shrunk again and again.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "DollTypes.h"
#include "LevelNames.h"
#include "framework/TavoBmp.h"
#include "pictures/BmpRegion.h"

// The full-size pictures one level has of its own.
struct TLevelPictures {
  std::optional<DollProfile> Outline;
  std::shared_ptr<const TTavoBitmap> Skin;  // TextureColumns × DollRows, or none
};

// The levels that have a picture of their own; the outer doll, level 1, has both.
using TNest = std::map<int, TLevelPictures>;

struct TDoll;

// The levels inside the outer doll that have a picture in `folder` ("": the working folder).
std::set<int> LevelsInFolder(const std::string& folder);

// The level whose outline, or skin, `level` uses: its own, or the nearest outside it.
int OutlineLevel(const TNest& nest, int level);
int SkinLevel(const TNest& nest, int level);

// Makes the doll at rest of `level` in the doll's CurrentProfile and TextureCopy: its
// full-size pictures nested level − 1 times through InnerProfile and InnerTexture, as the
// openings nest them, so InnerProfile and InnerTexture then hold the last nesting. `held` is
// the level whose doll at rest the two hold now (0 for none): from there, where it uses the
// same pictures, the nesting goes on rather than starting again.
void MakeLevelAtRest(TDoll& doll, int level, int held);

// What `outline`, a full-size outline of `level`, looks like on screen: nested level − 1
// times about `splitRow`.
DollProfile NestedOutline(DollProfile outline, int level, int splitRow);

// The skin of which `skin` holds the top-left: the picture must cover one full turn (250
// columns) of all 200 rows, or the size error names `fileName`. Its top-left TextureColumns ×
// DollRows, as CopyOfSkin gives it.
std::shared_ptr<const TTavoBitmap> SkinOf(const TBmpRegion& skin, const std::string& fileName);

// Reads the skin picture `fileName`, decoding only the top-left that SkinOf keeps: the doll
// never reads more, and a photo-sized skin need not be decoded or stay in memory. Raises the
// picture's errors, or the size error.
std::shared_ptr<const TTavoBitmap> ReadSkin(const std::string& fileName);

// Reads the level picture named `name` (an outline or a skin, by its name) from `path` as
// Load does, raising its errors.
void ReadLevelPicture(const std::string& name, const std::string& path);

// A new TextureColumns × DollRows skin holding the top-left of `skin`.
std::unique_ptr<TTavoBitmap> CopyOfSkin(const TTavoBitmap& skin);

// Makes `into` a TextureColumns × DollRows skin holding the top-left of `skin`.
void CopySkinInto(const TTavoBitmap& skin, TTavoBitmap& into);
