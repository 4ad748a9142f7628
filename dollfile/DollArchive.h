// A doll as one file to share: a ZIP archive in the manner of OpenDocument. Its first entry,
// "mimetype", is stored with no extra field and holds the file's type, so that bytes 30..37
// read "mimetype" and the type starts at byte 38; then come the doll's pictures under their
// own names, deflated, byte for byte as they lie in the doll's folder; then a thumbnail, stored.
// Packed and unpacked in memory with libzip. Widget-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/TavoErrors.h"

inline const std::string DollFileType = "application/x-kavinel";
inline const std::string DollFileSuffix = ".kavinel";
inline const std::string DollThumbnailName = "Thumbnails/thumbnail.png";

// A doll file, and all it unpacks to, is at most this large; it holds at most this many
// entries. A picture in it is at most as large as a picture file the readers take.
inline constexpr std::int64_t DollFileMaxBytes = std::int64_t{512} << 20;
inline constexpr std::int64_t DollFileMaxUnpackedBytes = std::int64_t{512} << 20;
inline constexpr int DollFileMaxEntries = 64;

using TBytes = std::vector<std::uint8_t>;

// One picture of a doll: its name in the doll's folder ("シェイプ.bmp", "テクスチャ2.bmp", …)
// and the file's bytes.
struct TDollPicture {
  std::string Name;
  TBytes Bytes;
};

// A doll file that is refused: the text names the file and the reason.
class EDollFileError : public ETavoError {
 public:
  EDollFileError(const std::string& fileName, const std::string& reason);
};

// The bytes of a doll file holding `pictures`, in their order, and the PNG `thumbnail`.
TBytes PackDoll(const std::vector<TDollPicture>& pictures, const TBytes& thumbnail);

// Reads the doll file `fileName` whole, once: only a regular file, opened without waiting
// on it, at most DollFileMaxBytes. Raises the file-open error, or EDollFileError for a file
// too large.
TBytes ReadDollFile(const std::string& fileName);

// The pictures in `archive`, the bytes of the doll file `fileName`: the entries whose names
// are a doll's pictures ("シェイプ.bmp", "テクスチャ.bmp", "シェイプn.bmp", "テクスチャn.bmp",
// n ≥ 2 without leading zeros, in NFC), in the archive's order; every other entry, folders
// included, is skipped unread. The pictures are not decoded here. The whole file is refused
// with EDollFileError when it is not such an archive or is hostile: the stored "mimetype"
// entry is not first or not exact; a name is absolute, has an empty, "." or ".." component,
// holds a NUL, a control character or a backslash, is not valid UTF-8 or is over 255 bytes
// (shown escaped in the message); an entry is a link, a folder holding data, or anything but
// a plain file; two names are the same, or the same once case and Unicode compatibility are
// folded, or a name folds to a picture's name without being it; a local header disagrees
// with its central entry, entries overlap, there are more than DollFileMaxEntries, an entry
// is encrypted or neither stored nor deflated, the archive spans disks, an entry's length
// or CRC does not match, the archive is cut short or damaged; more than
// DollFileMaxUnpackedBytes unpack in all, or a picture past the readers' file limit,
// counted while inflating.
std::vector<TDollPicture> UnpackDoll(const TBytes& archive, const std::string& fileName);
