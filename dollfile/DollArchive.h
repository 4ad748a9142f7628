// A doll as one file to share: a ZIP archive in the manner of OpenDocument. Its first entry,
// "mimetype", is stored with no extra field and holds the file's type, so that bytes 30..37
// read "mimetype" and the type starts at byte 38; then come the doll's pictures under their
// own names, deflated, byte for byte as they lie in the doll's folder; then a thumbnail, stored.
// Packed in memory with libzip (see DollFileReader.h for reading). Widget-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/TavoErrors.h"

inline const std::string DollFileType = "application/x-kavinel";
inline const std::string DollFileSuffix = ".kavinel";
inline const std::string DollThumbnailName = "Thumbnails/thumbnail.png";

// A doll file is at most this large and holds at most this many entries. A picture in it
// inflates to at most DollFilePictureMaxBytes, and all of them together to at most
// DollFileMaxUnpackedBytes, counted while inflating.
inline constexpr std::int64_t DollFileMaxBytes = std::int64_t{512} << 20;
inline constexpr std::int64_t DollFilePictureMaxBytes = std::int64_t{100} << 20;
inline constexpr std::int64_t DollFileMaxUnpackedBytes = std::int64_t{256} << 20;
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
