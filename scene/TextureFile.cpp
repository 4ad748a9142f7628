#include "TextureFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "doll/SceneState.h"
#include "framework/FileOutput.h"

namespace {

// The new skin, written whole under a name no other file has.
std::string WriteBesideTexture(const TTavoBitmap& skin) {
  for (int n = 0;; ++n) {
    const std::string name = TextureFileName + ".new" + (n > 0 ? std::to_string(n) : "");
    if (skin.SaveToNewFile(name)) return name;
  }
}

// Gives the current texture image a second name, the first free backup name; "" when there
// is no texture image to keep.
std::string LinkBackup(const std::string& written) {
  for (int n = 1;; ++n) {
    const std::string backup = TextureBackupName(n);
    if (::link(TextureFileName.c_str(), backup.c_str()) == 0) return backup;
    if (errno == EEXIST) continue;
    const int error = errno;
    if (error == ENOENT) return "";
    ::unlink(written.c_str());
    throw EFCreateError(backup, std::strerror(error));
  }
}

}  // namespace

std::string TextureBackupName(int n) {
  const std::string stem = TextureFileName.substr(0, TextureFileName.rfind('.'));
  return stem + "-" + TwoDigits(n) + ".bmp";
}

std::string ReplaceTextureKeepingOld(const TTavoBitmap& skin) {
  const std::string written = WriteBesideTexture(skin);
  const std::string backup = LinkBackup(written);
  if (std::rename(written.c_str(), TextureFileName.c_str()) != 0) {
    const int error = errno;
    ::unlink(written.c_str());
    if (!backup.empty()) ::unlink(backup.c_str());
    throw EFCreateError(TextureFileName, std::strerror(error));
  }
  return backup;
}
