#include "DollArchive.h"

#include <zip.h>

#include <memory>

#include "framework/Translation.h"

EDollFileError::EDollFileError(const std::string& fileName, const std::string& reason)
    : ETavoError(Tr("DollFile", "人形ファイル \"%1\" を開けません: %2").Arg(fileName).Arg(reason)) {
}

namespace {

const std::string MimetypeName = "mimetype";

struct TSourceFreer {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using TSource = std::unique_ptr<zip_source_t, TSourceFreer>;

std::string LibraryReason(zip_error_t* error) {
  return zip_error_strerror(error);
}

[[noreturn]] void PackFailed(const std::string& reason) {
  throw ETavoError(Tr("DollFile", "人形ファイルを作れません: %1").Arg(reason));
}

void AddEntry(zip_t* archive, const std::string& name, const void* data, std::size_t size,
              std::int32_t method) {
  zip_source_t* source = zip_source_buffer(archive, data, size, 0);
  if (!source) PackFailed(LibraryReason(zip_get_error(archive)));
  const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    PackFailed(LibraryReason(zip_get_error(archive)));
  }
  if (zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method, 0) != 0)
    PackFailed(LibraryReason(zip_get_error(archive)));
}

TBytes BytesOf(zip_source_t* source) {
  zip_stat_t info;
  zip_stat_init(&info);
  if (zip_source_stat(source, &info) != 0 || (info.valid & ZIP_STAT_SIZE) == 0 ||
      zip_source_open(source) != 0)
    PackFailed(LibraryReason(zip_source_error(source)));
  TBytes bytes(info.size);
  const zip_int64_t got = zip_source_read(source, bytes.data(), bytes.size());
  zip_source_close(source);
  if (got != static_cast<zip_int64_t>(bytes.size()))
    PackFailed(LibraryReason(zip_source_error(source)));
  return bytes;
}

}  // namespace

TBytes PackDoll(const std::vector<TDollPicture>& pictures, const TBytes& thumbnail) {
  zip_error_t error;
  zip_error_init(&error);
  const TSource buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
  zip_t* archive = buffer ? zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error) : nullptr;
  const std::string reason = archive ? "" : LibraryReason(&error);
  zip_error_fini(&error);
  if (!archive) PackFailed(reason);
  zip_source_keep(buffer.get());  // past zip_close, which frees the archive and its source
  try {
    AddEntry(archive, MimetypeName, DollFileType.data(), DollFileType.size(), ZIP_CM_STORE);
    for (const TDollPicture& picture : pictures)
      AddEntry(archive, picture.Name, picture.Bytes.data(), picture.Bytes.size(), ZIP_CM_DEFLATE);
    // A PNG is compressed already.
    AddEntry(archive, DollThumbnailName, thumbnail.data(), thumbnail.size(), ZIP_CM_STORE);
  } catch (...) {
    zip_discard(archive);
    throw;
  }
  if (zip_close(archive) != 0) {
    const std::string closeReason = LibraryReason(zip_get_error(archive));
    zip_discard(archive);
    PackFailed(closeReason);
  }
  return BytesOf(buffer.get());
}
