// Replacing the texture image in the working folder without ever losing the one it held.
#pragma once

#include <string>

#include "framework/TavoBmp.h"

// Writes `skin` as TextureFileName, keeping the previous TextureFileName as the first free
// "テクスチャ-01.bmp", "テクスチャ-02.bmp", …: the new skin is written under a name of its own,
// the old file is linked to its backup name (never replacing a file), then the new one is
// renamed into place, so that a whole texture image exists at every moment. Returns the
// backup's name, or "" when there was no previous file. On failure nothing is left changed
// and the error names the file and the reason.
std::string ReplaceTextureKeepingOld(const TTavoBitmap& skin);

// The n-th backup name of the texture image: "テクスチャ-01.bmp" for 1.
std::string TextureBackupName(int n);
