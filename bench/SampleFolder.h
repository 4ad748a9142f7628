// Scratch folders for the benchmarks: the bundled sample doll, as `make run` gives the
// program, and a home whose shelf holds many dolls.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "doll/ShapeProfile.h"
#include "scene/Scene.h"

// Copies the sample doll into the folder `name` of the system's temporary folder and returns
// that folder, absolute: what a scene is made on. The working folder stays as it is.
inline std::string MakeSampleFolder(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path work = fs::absolute(fs::temp_directory_path() / name);
  fs::create_directories(work);
  for (const std::string& file : {ShapeFileName, TextureFileName})
    fs::copy_file(fs::path(KAVINEL_SAMPLES) / file, work / file,
                  fs::copy_options::overwrite_existing);
  return work.string();
}

// Makes `home` the home folder and the desktop's folders inside it, as the benchmarks of the
// shelf run in a scratch home; returns its shelf, `home`/Kavinel.
inline std::filesystem::path UseScratchHome(const std::filesystem::path& home) {
  for (const char* name : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
    setenv(name, (home / name).c_str(), 1);
  setenv("HOME", home.c_str(), 1);
  return home / "Kavinel";
}

// Fills `shelf` and `dolls` dolls in it with the sample's three levels, each skin changed in one
// byte so that no two are alike.
inline void FillShelf(const std::filesystem::path& shelf, int dolls) {
  namespace fs = std::filesystem;
  fs::create_directories(shelf);
  for (int n = 0; n <= dolls; ++n) {
    const fs::path folder = n == 0 ? shelf : shelf / ("doll-" + std::to_string(n));
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(KAVINEL_SAMPLES))
      fs::copy_file(entry.path(), folder / entry.path().filename(),
                    fs::copy_options::overwrite_existing);
    std::fstream skin(folder / TextureFileName, std::ios::in | std::ios::out | std::ios::binary);
    skin.seekp(-1 - n, std::ios::end);
    skin.put(static_cast<char>(n));
  }
}
