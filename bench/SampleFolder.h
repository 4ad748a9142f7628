// A scratch folder holding the bundled sample doll, as `make run` gives the program.
#pragma once

#include <filesystem>
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
