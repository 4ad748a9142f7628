#include "DollFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "doll/DollTypes.h"
#include "doll/LevelNames.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace fs = std::filesystem;

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* user = getpwuid(getuid()); user && user->pw_dir) return user->pw_dir;
  return ".";
}

ETavoError FolderError(const std::string& folder, const std::string& reason) {
  return ETavoError(Tr("Errors", "フォルダー \"%1\" を作れません: %2").Arg(folder).Arg(reason));
}

std::vector<char> ReadWholeFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EFOpenError(fileName, Tr("Launcher", "サンプルの人形が見つかりません"));
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw EFOpenError(fileName, Tr("Launcher", "読み込みに失敗しました"));
  return bytes;
}

// The sample's pictures for `folder`: the outer doll's two, and its inner dolls' only when the
// folder holds no doll yet, since a doll of the person's own would gain dolls it never had.
std::vector<std::string> SampleNames(const std::string& folder, const std::string& samples) {
  std::vector<std::string> names{ShapeFileName, TextureFileName};
  if (HoldsDoll(folder)) return names;
  std::vector<std::string> levels;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(samples, error)) {
    const std::string name = entry.path().filename().string();
    if (LevelOfFile(name) >= 2 && entry.is_regular_file(error)) levels.push_back(name);
  }
  std::sort(levels.begin(), levels.end());
  names.insert(names.end(), levels.begin(), levels.end());
  return names;
}

}  // namespace

std::string DollFolderPath() {
  return (fs::path(HomeFolder()) / "Kavinel").string();
}

void PrepareDollFolder(const std::string& folder, const std::string& samples) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) throw FolderError(folder, error.message());
  for (const std::string& name : SampleNames(folder, samples)) {
    const fs::path target = fs::path(folder) / name;
    if (NameTaken(target.string())) continue;
    const std::vector<char> bytes = ReadWholeFile((fs::path(samples) / name).string());
    WriteNewFile(target.string(), bytes.data(), bytes.size());
  }
}

bool HoldsDoll(const std::string& folder) {
  return NameTaken((fs::path(folder) / ShapeFileName).string()) ||
         NameTaken((fs::path(folder) / TextureFileName).string());
}
