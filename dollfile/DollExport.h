// Writing the doll in the working folder as one doll file to share.
#pragma once

#include "DollArchive.h"

// The doll file of the doll in the working folder: "シェイプ.bmp", "テクスチャ.bmp" and every
// level picture there, byte for byte, each checked as Load reads it (an error names the
// picture), with a thumbnail of the outer doll.
TBytes DollFileOfWorkingFolder();

// Writes the doll in the working folder as the doll file `fileName`, flushed beside its final
// name and then put in place. Without `replace`, a file already there is never replaced: the
// export is refused with an error naming it. With `replace` (the person has said so), the file
// replaced is kept under its first free backup name, as a doll's pictures are.
void ExportDoll(const std::string& fileName, bool replace);
