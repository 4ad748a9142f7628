#include "LevelNames.h"

#include <charconv>

namespace {

const std::string ShapeStem = "シェイプ";
const std::string SkinStem = "テクスチャ";
const std::string Ending = ".bmp";

std::string LevelName(const std::string& stem, int level) {
  return level == 1 ? stem + Ending : stem + std::to_string(level) + Ending;
}

// The level in "<stem><n>.bmp", 1 for "<stem>.bmp", 0 for anything else.
int LevelIn(const std::string& fileName, const std::string& stem) {
  if (!fileName.starts_with(stem) || !fileName.ends_with(Ending)) return 0;
  const std::string digits =
      fileName.substr(stem.size(), fileName.size() - stem.size() - Ending.size());
  if (digits.empty()) return 1;
  int level = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), level);
  if (error != std::errc() || end != digits.data() + digits.size() || digits[0] == '0') return 0;
  return level >= 2 ? level : 0;
}

}  // namespace

std::string LevelShapeName(int level) {
  return LevelName(ShapeStem, level);
}

std::string LevelSkinName(int level) {
  return LevelName(SkinStem, level);
}

int LevelOfFile(const std::string& fileName) {
  if (const int level = LevelIn(fileName, ShapeStem)) return level;
  return LevelIn(fileName, SkinStem);
}
