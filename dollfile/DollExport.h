// Writing the doll of a folder as one doll file to share.
#pragma once

#include "DollArchive.h"

// The doll file of the doll in `folder` ("": the working folder): "シェイプ.bmp", "テクスチャ.bmp"
// and every level picture there, byte for byte, each checked as Load reads it (an error names the
// picture), with a thumbnail of the outer doll.
TBytes DollFileOfFolder(const std::string& folder);

// Writes the doll in `folder` as the doll file `fileName`, flushed beside its final
// name and then put in place. Without `replace`, a file already there is never replaced: the
// export is refused with an error naming it. With `replace` (the person has said so), the file
// replaced is kept under its first free backup name, as a doll's pictures are.
void ExportDoll(const std::string& folder, const std::string& fileName, bool replace);
