// Opening a doll file: its pictures, checked as Load reads them, unpacked into a folder of
// their own that did not exist before, so that nothing is ever replaced or merged.
#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DollFileReader.h"
#include "NewDollFolder.h"
#include "doll/DollTypes.h"

// `name` with each control, bidirectional or invalid character made "_".
std::string PrintableName(const std::string& name);

// The name of the folder a doll file unpacks into: the file's name without a final
// ".kavinel" (in any case), with control, bidirectional and invalid characters made "_",
// leading dots and dashes dropped, at most 200 bytes; "人形" when nothing is left, and "-人形"
// added to a name ending in ".bmp" or ".new", so that it can never name the folder it lies
// in, that folder's parent, or a doll's file.
std::string DollFolderName(const std::string& fileName);

// The outer doll of a doll file, read as Load reads it.
struct TOuterDoll {
  DollProfile Outline{};
  std::shared_ptr<const TTavoBitmap> Skin;
};

// Reads every picture of `doll` as Load reads it, from the bytes as they are inflated (an error
// names the picture within the doll file), and to its end, where its length and CRC are
// checked; hands each picture's bytes to `sink` on the way. Raises EDollFileError when the
// outer doll's outline or skin is missing. Returns the outer doll.
TOuterDoll ReadDollPictures(TDollFile& doll, TPictureSink* sink = nullptr);

// Unpacks the doll file `fileName` into a new folder in `parent` (made, with its missing
// parents, when missing), named DollFolderName, or that name with "-2", "-3", … when it is
// taken, and returns the folder's path. The pictures are written into a fresh temporary folder
// ".kavinel-XXXXXX" in `parent`, which holds a lock while it is written, under their own names
// only, each created anew, checked by Load's readers and flushed with the folder, which is
// then moved into place without replacing anything. `between` is called between chunks and
// may raise to stop the unpack. Where `findCopy`, given the DollContent of the pictures read,
// names a folder, that folder is returned and the unpack dropped. A file that is refused or
// stopped, for any reason, raises an error naming it and leaves nothing behind, not even the
// folders made for it.
std::string UnpackDollFile(const std::string& fileName, const std::string& parent,
                           const std::function<void()>& between = {},
                           const std::function<std::string(const std::string&)>& findCopy = {});
