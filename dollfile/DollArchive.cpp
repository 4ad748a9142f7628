#include "DollArchive.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <QString>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "doll/Nest.h"
#include "framework/Translation.h"
#include "pictures/ImageFile.h"
#include "pictures/ImageInput.h"

EDollFileError::EDollFileError(const std::string& fileName, const std::string& reason)
    : ETavoError(Tr("DollFile", "ファイル \"%1\" は人形ファイルではありません: %2")
                     .Arg(fileName)
                     .Arg(reason)) {}

namespace {

constexpr std::size_t MaxNameBytes = 255;
constexpr std::size_t ShownCharacters = 80;
const std::string MimetypeName = "mimetype";

struct TArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct TEntryCloser {
  void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};
struct TSourceFreer {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using TArchive = std::unique_ptr<zip_t, TArchiveCloser>;
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

QString Unicode(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsUtf8(const std::string& text) {
  const QByteArray back = Unicode(text).toUtf8();
  return std::string_view(back.constData(), static_cast<std::size_t>(back.size())) == text;
}

bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string Escaped(unsigned c) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02x", c);
  return text;
}

// A name as a message shows it: control characters, and every byte of a name that is no UTF-8,
// written \xNN; the start only of a long name.
std::string Shown(const std::string& name) {
  std::string shown;
  std::size_t characters = 0;
  if (IsUtf8(name)) {
    for (const char32_t c : Unicode(name).toUcs4()) {
      if (++characters > ShownCharacters) return shown + "…";
      shown += IsControl(c) ? Escaped(c) : QString::fromUcs4(&c, 1).toStdString();
    }
  } else {
    for (const unsigned char c : name) {
      if (++characters > ShownCharacters) return shown + "…";
      shown += IsControl(c) || c >= 0x80 ? Escaped(c) : std::string(1, static_cast<char>(c));
    }
  }
  return shown;
}

std::string Quoted(const std::string& name) {
  return '"' + Shown(name) + '"';
}

// What makes `name` unfit to stand in a doll file, said of the entry, or nothing.
std::string NameFault(const std::string& name) {
  const std::string shown = Quoted(name);
  if (name.find('\0') != std::string::npos)
    return Tr("DollFile", "項目名 %1 に NUL 文字があります").Arg(shown);
  if (!IsUtf8(name)) return Tr("DollFile", "項目名 %1 は UTF-8 ではありません").Arg(shown);
  for (const char32_t c : Unicode(name).toUcs4())
    if (IsControl(c)) return Tr("DollFile", "項目名 %1 に制御文字があります").Arg(shown);
  if (name.find('\\') != std::string::npos)
    return Tr("DollFile", "項目名 %1 に \\ があります").Arg(shown);
  if (name.size() > MaxNameBytes)
    return Tr("DollFile", "項目名 %1 は長すぎます (%2 バイト、%3 バイトまで)")
        .Arg(shown)
        .Arg(name.size())
        .Arg(MaxNameBytes);
  if (name.starts_with('/')) return Tr("DollFile", "項目名 %1 は絶対パスです").Arg(shown);
  // A folder's name ends in the one '/' that leaves an empty last part.
  std::string_view rest(name);
  if (rest.ends_with('/')) rest.remove_suffix(1);
  for (;;) {
    const std::string_view part = rest.substr(0, rest.find('/'));
    if (part.empty() || part == "." || part == "..")
      return Tr("DollFile", "項目名 %1 に空、\".\" または \"..\" の部分があります").Arg(shown);
    if (part.size() == rest.size()) return "";
    rest.remove_prefix(part.size() + 1);
  }
}

constexpr std::uint32_t LocalSignature = 0x04034b50;
constexpr std::uint32_t CentralSignature = 0x02014b50;
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::uint32_t DescriptorSignature = 0x08074b50;
constexpr std::size_t LocalBytes = 30;
constexpr std::size_t CentralBytes = 46;
constexpr std::size_t EndBytes = 22;
constexpr std::uint32_t DataDescriptorFlag = 1 << 3;

std::uint32_t Get16(const TBytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8;
}
std::uint32_t Get32(const TBytes& bytes, std::size_t at) {
  return Get16(bytes, at) | Get16(bytes, at + 2) << 16;
}

// An entry's name and the bytes it takes, local header to the end of its data.
struct TPlace {
  std::string Name;
  std::uint64_t Start = 0;
  std::uint64_t End = 0;
  bool LocalAgrees = false;
};

// The central directory read straight from the bytes: libzip keeps where each entry lies to
// itself, and without that, entries sharing their bytes go unseen.
std::vector<TPlace> ReadDirectory(const TBytes& zip, const std::string& fileName) {
  const auto fail = [&](const std::string& reason) { return EDollFileError(fileName, reason); };
  const auto damaged = [&] { return fail(Tr("DollFile", "書庫が壊れています")); };
  // Only the comment may follow the end record.
  std::optional<std::size_t> found;
  for (std::size_t back = EndBytes; !found && back <= std::min(zip.size(), EndBytes + 0xFFFF);
       ++back) {
    const std::size_t at = zip.size() - back;
    if (Get32(zip, at) == EndSignature && Get16(zip, at + 20) == back - EndBytes) found = at;
  }
  if (!found) {
    const bool zipStart = zip.size() >= 4 && Get32(zip, 0) == LocalSignature;
    throw fail(zipStart ? Tr("DollFile", "途中で切れています")
                        : Tr("DollFile", "ZIP 書庫ではありません"));
  }
  const std::size_t end = *found;
  if (Get16(zip, end + 4) != 0 || Get16(zip, end + 6) != 0 ||
      Get16(zip, end + 8) != Get16(zip, end + 10))
    throw fail(Tr("DollFile", "複数のディスクに分かれています"));
  const std::size_t count = Get16(zip, end + 10);
  if (count > DollFileMaxEntries)
    throw fail(
        Tr("DollFile", "項目が多すぎます (%1 個、%2 個まで)").Arg(count).Arg(DollFileMaxEntries));
  const std::uint64_t directory = Get32(zip, end + 16);
  if (directory + Get32(zip, end + 12) != end) throw damaged();

  std::vector<TPlace> places;
  std::uint64_t at = directory;
  for (std::size_t i = 0; i < count; ++i) {
    if (at + CentralBytes > end || Get32(zip, at) != CentralSignature) throw damaged();
    const std::uint32_t nameBytes = Get16(zip, at + 28);
    const std::uint64_t next =
        at + CentralBytes + nameBytes + Get16(zip, at + 30) + Get16(zip, at + 32);
    if (next > end) throw damaged();
    if (Get16(zip, at + 34) != 0) throw fail(Tr("DollFile", "複数のディスクに分かれています"));
    TPlace place;
    place.Name.assign(zip.begin() + at + CentralBytes, zip.begin() + at + CentralBytes + nameBytes);
    place.Start = Get32(zip, at + 42);
    const std::uint64_t local = place.Start;
    if (local + LocalBytes > directory || Get32(zip, local) != LocalSignature) throw damaged();
    const std::uint32_t localNameBytes = Get16(zip, local + 26);
    const std::uint32_t flags = Get16(zip, at + 8);
    place.End = local + LocalBytes + localNameBytes + Get16(zip, local + 28) + Get32(zip, at + 20);
    if ((flags & DataDescriptorFlag) != 0)
      place.End +=
          place.End + 4 <= directory && Get32(zip, place.End) == DescriptorSignature ? 16 : 12;
    if (place.End > directory) throw damaged();
    const bool sizesAgree =
        (flags & DataDescriptorFlag) != 0 ||
        std::equal(zip.begin() + local + 14, zip.begin() + local + 26, zip.begin() + at + 16);
    place.LocalAgrees =
        sizesAgree && Get16(zip, local + 6) == flags &&
        Get16(zip, local + 8) == Get16(zip, at + 10) &&
        std::string_view(place.Name) ==
            std::string_view(reinterpret_cast<const char*>(zip.data() + local + LocalBytes),
                             localNameBytes);
    places.push_back(std::move(place));
    at = next;
  }
  if (at != end) throw damaged();

  std::vector<const TPlace*> byStart;
  for (const TPlace& place : places) byStart.push_back(&place);
  std::sort(byStart.begin(), byStart.end(),
            [](const TPlace* a, const TPlace* b) { return a->Start < b->Start; });
  for (std::size_t i = 1; i < byStart.size(); ++i)
    if (byStart[i]->Start < byStart[i - 1]->End)
      throw fail(Tr("DollFile", "項目 %1 と %2 が重なっています")
                     .Arg(Quoted(byStart[i - 1]->Name))
                     .Arg(Quoted(byStart[i]->Name)));
  for (const TPlace& place : places)
    if (!place.LocalAgrees)
      throw fail(Tr("DollFile", "項目 %1 のローカルヘッダーが中央ディレクトリと食い違っています")
                     .Arg(Quoted(place.Name)));
  return places;
}

// The name with case and compatibility forms folded away: two names alike here are the same
// file on a case-insensitive disk, or look the same to the person.
std::string Folded(const std::string& name) {
  return Unicode(name).normalized(QString::NormalizationForm_KC).toCaseFolded().toStdString();
}

bool IsFolder(const std::string& name) {
  return name.ends_with('/');
}

void CheckNames(const std::vector<TPlace>& places, const std::string& fileName) {
  std::map<std::string, const std::string*> byFolded;
  for (const TPlace& place : places) {
    if (const std::string fault = NameFault(place.Name); !fault.empty())
      throw EDollFileError(fileName, fault);
    const std::string folded = Folded(place.Name);
    const auto [other, added] = byFolded.emplace(folded, &place.Name);
    if (!added && *other->second == place.Name)
      throw EDollFileError(fileName,
                           Tr("DollFile", "項目名 %1 が二つあります").Arg(Quoted(place.Name)));
    if (!added)
      throw EDollFileError(fileName, Tr("DollFile", "項目名 %1 と %2 は紛らわしい名前です")
                                         .Arg(Quoted(*other->second))
                                         .Arg(Quoted(place.Name)));
    if (LevelOfFile(place.Name) == 0 && LevelOfFile(folded) != 0)
      throw EDollFileError(fileName, Tr("DollFile", "項目名 %1 は人形の絵 %2 と紛らわしい名前です")
                                         .Arg(Quoted(place.Name))
                                         .Arg(Quoted(folded)));
  }
}

// Refuses a link, a device or anything else that is not a plain file or, under a folder's
// name, a folder: by the mode a Unix system writes and the folder bit of every system.
void CheckKind(zip_t* archive, zip_uint64_t index, const std::string& name,
               const std::string& fileName) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
    throw EDollFileError(fileName, Tr("DollFile", "書庫が壊れています"));
  constexpr zip_uint32_t DosFolder = 0x10;
  const std::uint32_t type = attributes >> 16 & S_IFMT;
  const bool unixMode = system == ZIP_OPSYS_UNIX || system == ZIP_OPSYS_OS_X;
  if (unixMode && type == S_IFLNK)
    throw EDollFileError(fileName,
                         Tr("DollFile", "項目 %1 はシンボリックリンクです").Arg(Quoted(name)));
  const bool plain =
      IsFolder(name) ? !unixMode || type == 0 || type == S_IFDIR
                     : (attributes & DosFolder) == 0 && (!unixMode || type == 0 || type == S_IFREG);
  if (!plain)
    throw EDollFileError(
        fileName, Tr("DollFile", "項目 %1 は通常のファイルではありません").Arg(Quoted(name)));
}

void CheckEntry(zip_t* archive, zip_uint64_t index, const std::string& name,
                const std::string& fileName) {
  zip_stat_t info;
  if (zip_stat_index(archive, index, ZIP_FL_ENC_RAW, &info) != 0 || info.name != name)
    throw EDollFileError(fileName, Tr("DollFile", "書庫が壊れています"));
  CheckKind(archive, index, name, fileName);
  if (info.encryption_method != ZIP_EM_NONE)
    throw EDollFileError(fileName,
                         Tr("DollFile", "項目 %1 は暗号化されています").Arg(Quoted(name)));
  if (info.comp_method != ZIP_CM_STORE && info.comp_method != ZIP_CM_DEFLATE)
    throw EDollFileError(fileName, Tr("DollFile", "項目 %1 の圧縮方式 %2 は使えません")
                                       .Arg(Quoted(name))
                                       .Arg(info.comp_method));
  if (IsFolder(name) && info.size != 0)
    throw EDollFileError(fileName,
                         Tr("DollFile", "フォルダー %1 に中身があります").Arg(Quoted(name)));
}

// Why reading the entry `name` failed, in the words of the messages.
std::string ReadFault(const std::string& name, zip_error_t* error) {
  switch (zip_error_code_zip(error)) {
    case ZIP_ER_CRC:
      return Tr("DollFile", "項目 %1 の CRC が合いません").Arg(Quoted(name));
    case ZIP_ER_INCONS:
      return Tr("DollFile", "項目 %1 の長さが合いません").Arg(Quoted(name));
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
      return Tr("DollFile", "項目 %1 の圧縮データが壊れています").Arg(Quoted(name));
    default:
      return Tr("DollFile", "項目 %1 を読めません: %2").Arg(Quoted(name)).Arg(LibraryReason(error));
  }
}

// Inflates the entry a chunk at a time, handing each to `take`, to its end, where libzip
// checks its length and CRC.
template <typename Take>
void ReadEntry(zip_t* archive, zip_uint64_t index, const std::string& name,
               const std::string& fileName, Take take) {
  const std::unique_ptr<zip_file_t, TEntryCloser> entry(zip_fopen_index(archive, index, 0));
  if (!entry) throw EDollFileError(fileName, ReadFault(name, zip_get_error(archive)));
  std::array<std::uint8_t, 1 << 16> chunk;
  for (;;) {
    const zip_int64_t got = zip_fread(entry.get(), chunk.data(), chunk.size());
    if (got < 0) throw EDollFileError(fileName, ReadFault(name, zip_file_get_error(entry.get())));
    if (got == 0) return;
    take(chunk.data(), static_cast<std::size_t>(got));
  }
}

void CheckType(zip_t* archive, const std::vector<TPlace>& places, const std::string& fileName) {
  zip_stat_t info;
  if (places.empty() || places[0].Name != MimetypeName)
    throw EDollFileError(fileName, Tr("DollFile", "先頭の項目が mimetype ではありません"));
  if (zip_stat_index(archive, 0, 0, &info) != 0 || info.comp_method != ZIP_CM_STORE)
    throw EDollFileError(fileName, Tr("DollFile", "mimetype が無圧縮ではありません"));
  std::string type;
  const auto wrong = [&] {
    return EDollFileError(
        fileName, Tr("DollFile", "種類が %1 です (%2 のはず)").Arg(Quoted(type)).Arg(DollFileType));
  };
  ReadEntry(archive, 0, MimetypeName, fileName, [&](const std::uint8_t* data, std::size_t size) {
    type.append(data, data + std::min(size, DollFileType.size() + 1));
    if (type.size() > DollFileType.size()) throw wrong();
  });
  if (type != DollFileType) throw wrong();
}

TArchive OpenArchive(const TBytes& bytes, const std::string& fileName) {
  zip_error_t error;
  zip_error_init(&error);
  TSource source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
  TArchive archive;
  if (source) archive.reset(zip_open_from_source(source.get(), ZIP_CHECKCONS | ZIP_RDONLY, &error));
  if (archive) source.release();  // the archive's now
  const std::string reason = archive ? "" : LibraryReason(&error);
  zip_error_fini(&error);
  if (!archive)
    throw EDollFileError(fileName, Tr("DollFile", "書庫が壊れています: %1").Arg(reason));
  return archive;
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

TBytes ReadDollFile(const std::string& fileName) {
  const ImageFile file(fileName);
  if (file.Size() > DollFileMaxBytes)
    throw EDollFileError(fileName,
                         Tr("DollFile", "大きすぎます (%1 MiB まで)").Arg(DollFileMaxBytes >> 20));
  TBytes bytes(static_cast<std::size_t>(file.Size()));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.Descriptor(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw EFOpenError(fileName, std::strerror(errno));
    if (got == 0) break;  // the file shrank while it was read
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

std::vector<TDollPicture> UnpackDoll(const TBytes& archive, const std::string& fileName) {
  const std::vector<TPlace> places = ReadDirectory(archive, fileName);
  CheckNames(places, fileName);
  const TArchive zip = OpenArchive(archive, fileName);
  for (std::size_t i = 0; i < places.size(); ++i)
    CheckEntry(zip.get(), i, places[i].Name, fileName);
  CheckType(zip.get(), places, fileName);

  // Counted first, without keeping a byte, so that a file refused for its size costs no
  // memory and each picture kept is allocated once, at its true length.
  std::vector<std::size_t> indices;
  std::vector<std::size_t> lengths;
  std::int64_t total = 0;
  for (std::size_t i = 0; i < places.size(); ++i) {
    const std::string& name = places[i].Name;
    if (LevelOfFile(name) == 0) continue;
    std::int64_t length = 0;
    ReadEntry(zip.get(), i, name, fileName, [&](const std::uint8_t*, std::size_t size) {
      length += static_cast<std::int64_t>(size);
      total += static_cast<std::int64_t>(size);
      if (length > MaxImageFileBytes)
        throw EDollFileError(fileName, Tr("DollFile", "絵 %1 が大きすぎます (%2 バイトまで)")
                                           .Arg(Quoted(name))
                                           .Arg(MaxImageFileBytes));
      if (total > DollFileMaxUnpackedBytes)
        throw EDollFileError(fileName, Tr("DollFile", "展開すると大きすぎます (%1 MiB まで)")
                                           .Arg(DollFileMaxUnpackedBytes >> 20));
    });
    indices.push_back(i);
    lengths.push_back(static_cast<std::size_t>(length));
  }
  std::vector<TDollPicture> pictures;
  for (std::size_t k = 0; k < indices.size(); ++k) {
    TDollPicture picture{places[indices[k]].Name, TBytes(lengths[k])};
    std::size_t done = 0;
    ReadEntry(zip.get(), indices[k], picture.Name, fileName,
              [&](const std::uint8_t* data, std::size_t size) {
                if (size > lengths[k] - done)
                  throw EDollFileError(fileName, Tr("DollFile", "書庫が壊れています"));
                std::memcpy(picture.Bytes.data() + done, data, size);
                done += size;
              });
    if (done != lengths[k]) throw EDollFileError(fileName, Tr("DollFile", "書庫が壊れています"));
    pictures.push_back(std::move(picture));
  }
  return pictures;
}
