// The file names of the nest's pictures, which the nest, the doll file and the shelf all read:
// "シェイプ.bmp" and "テクスチャ.bmp" for the outer doll, "シェイプ2.bmp" and "テクスチャ2.bmp"
// for level 2, and so on.
#pragma once

#include <string>

std::string LevelShapeName(int level);
std::string LevelSkinName(int level);
// The level whose picture `fileName` is, or 0 when it is none ("シェイプ02.bmp" and
// "シェイプ1.bmp" are no level's).
int LevelOfFile(const std::string& fileName);
