// Opening a doll file: its pictures, checked as Load reads them, unpacked into a folder of
// their own that did not exist before, so that nothing is ever replaced or merged.
#pragma once

#include <string>

// The name of the folder a doll file unpacks into: the file's name without a final
// ".kavinel" (in any case), with control, bidirectional and invalid characters made "_",
// leading dots and dashes dropped, at most 200 bytes; "人形" when nothing is left, and "-人形"
// added to a name ending in ".bmp" or ".new", so that it can never name the folder it lies
// in, that folder's parent, or a doll's file.
std::string DollFolderName(const std::string& fileName);

// Unpacks the doll file `fileName` into a new folder in `parent` (made when missing), named
// DollFolderName, or that name with "-2", "-3", … when it is taken, and returns the folder's
// path. The pictures are written into a fresh temporary folder in `parent` under their own
// names only, each created anew, checked by Load's readers and flushed with the folder, which
// is then moved into place without replacing anything. A file that is refused, for any
// reason, raises an error naming it and leaves nothing behind.
std::string UnpackDollFile(const std::string& fileName, const std::string& parent);
