// A scratch working folder holding the bundled sample doll, as `make run` gives the program.
#pragma once

#include <filesystem>
#include <string>

#include "doll/ShapeProfile.h"
#include "scene/Scene.h"

// Copies the sample doll into a folder of the system's temporary folder, makes it the
// working folder, and returns the folder that was the working folder before.
inline std::filesystem::path EnterSampleFolder(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path before = fs::current_path();
  const fs::path work = fs::temp_directory_path() / name;
  fs::create_directories(work);
  for (const std::string& file : {ShapeFileName, TextureFileName})
    fs::copy_file(fs::path(KAVINEL_SAMPLES) / file, work / file,
                  fs::copy_options::overwrite_existing);
  fs::current_path(work);
  return before;
}
