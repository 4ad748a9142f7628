#include "ZipDirectory.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "ArchiveBytes.h"
#include "DollEntryNames.h"
#include "framework/Translation.h"

namespace {

constexpr std::uint32_t LocalSignature = 0x04034b50;
constexpr std::uint32_t CentralSignature = 0x02014b50;
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::uint32_t Zip64EndSignature = 0x06064b50;
constexpr std::uint32_t Zip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t DescriptorSignature = 0x08074b50;
constexpr std::size_t LocalBytes = 30;
constexpr std::size_t CentralBytes = 46;
constexpr std::size_t EndBytes = 22;
constexpr std::size_t Zip64EndBytes = 56;
constexpr std::size_t Zip64LocatorBytes = 20;
constexpr std::size_t MaxCommentBytes = 0xFFFF;
// A doll's directory, of a few dozen short names, is far smaller.
constexpr std::uint64_t MaxDirectoryBytes = 1 << 20;
constexpr std::uint32_t MaxVersionNeeded = 45;
constexpr std::uint32_t EncryptedFlags = 1 << 0 | 1 << 6 | 1 << 13;
constexpr std::uint32_t Utf8Flag = 1 << 11;
constexpr std::uint32_t AllowedFlags = 1 << 1 | 1 << 2 | ZipDescriptorFlag | Utf8Flag;

// Little-endian numbers as ZIP stores them.
std::uint32_t Get16(const std::uint8_t* at) {
  return at[0] | at[1] << 8;
}
std::uint32_t Get32(const std::uint8_t* at) {
  return Get16(at) | Get16(at + 2) << 16;
}
std::uint64_t Get64(const std::uint8_t* at) {
  return Get32(at) | std::uint64_t{Get32(at + 4)} << 32;
}

// True when `name` ends in '/', as a folder's does.
bool IsZipFolder(const std::string& name) {
  return name.ends_with('/');
}

std::string Damaged() {
  return Tr("DollFile", "書庫が壊れています");
}

std::string Zip64Found() {
  return Tr("DollFile", "ZIP64 の記録があります");
}

// Whether `count` bytes from `at` lie within a file of `size` bytes.
bool Within(std::uint64_t at, std::uint64_t count, std::uint64_t size) {
  return at <= size && count <= size - at;
}

// Whether the signature at `record` (with `room` bytes after it in a file of `size` bytes)
// parses as a record some reader would follow: an end record or a ZIP64 end record whose
// directory lies within the file, or a ZIP64 locator whose record does.
bool ParsesAsRecord(const std::uint8_t* record, std::size_t room, std::uint64_t size) {
  switch (Get32(record)) {
    case EndSignature:
      return room >= EndBytes - 2 && Within(Get32(record + 16), Get32(record + 12), size);
    case Zip64EndSignature:
      return room >= Zip64EndBytes && Within(Get64(record + 48), Get64(record + 40), size);
    case Zip64LocatorSignature:
      return room >= Zip64LocatorBytes - 4 && Get64(record + 8) < size;
    default:
      return false;
  }
}

// Whether an extra field that ordinary writers emit is well formed: extended time (a flags
// byte, then as many times as it flags; the central entry may hold fewer), Info-ZIP's Unix
// uid/gid (version 1, two sized numbers) and NTFS times (reserved bytes, then tagged
// attributes, the times 24 bytes). Any other field, and an empty one, is not.
bool WellFormedField(std::uint32_t id, const std::uint8_t* data, std::size_t length, bool central) {
  switch (id) {
    case 0x5455: {  // extended time
      if (length == 0 || (length - 1) % 4 != 0 || (data[0] & ~7u) != 0) return false;
      const auto flagged = static_cast<std::size_t>(std::popcount(unsigned{data[0]}));
      const std::size_t times = (length - 1) / 4;
      return central ? times <= std::min<std::size_t>(flagged, 1) : times == flagged;
    }
    case 0x7875: {  // Info-ZIP Unix uid/gid
      if (length < 3 || data[0] != 1 || length < std::size_t{3} + data[1]) return false;
      return length == std::size_t{3} + data[1] + data[2 + data[1]];
    }
    case 0x000a: {  // NTFS times
      if (length <= 4) return false;
      for (std::size_t at = 4; at < length;) {
        if (length - at < 4) return false;
        const std::uint32_t tag = Get16(data + at), size = Get16(data + at + 2);
        if (size > length - at - 4 || (tag == 1 && size != 24)) return false;
        at += 4 + size;
      }
      return true;
    }
    default:
      return false;
  }
}

// Refuses a link, a device or anything else that is not a plain file or, under a folder's
// name, a folder, as any tool reads the attributes: a Unix mode in the high half whatever
// system "made by" names (none, as Windows writers leave it, is a plain file), and the folder
// bits of DOS and of the Amiga.
void CheckKind(const TZipEntry& entry, const std::string& fileName) {
  constexpr std::uint32_t DosFolder = 0x10, Amiga = 1, AmigaType = 06000, AmigaFolder = 04000;
  const std::uint32_t mode = entry.Attributes >> 16, type = mode & S_IFMT;
  const std::string shown = QuotedEntryName(entry.Name);
  if (type == S_IFLNK)
    throw EDollFileError(fileName, Tr("DollFile", "項目 %1 はシンボリックリンクです").Arg(shown));
  const bool folder = IsZipFolder(entry.Name);
  const bool folderBits = (entry.Attributes & DosFolder) != 0 ||
                          (entry.System == Amiga && (mode & AmigaType) == AmigaFolder);
  const bool plain = (type == 0 || type == (folder ? S_IFDIR : S_IFREG)) && (folder || !folderBits);
  if (!plain)
    throw EDollFileError(fileName,
                         Tr("DollFile", "項目 %1 は通常のファイルではありません").Arg(shown));
}

void CheckEntry(const TZipEntry& entry, const std::string& fileName) {
  CheckKind(entry, fileName);
  const std::string shown = QuotedEntryName(entry.Name);
  if ((entry.Flags & EncryptedFlags) != 0)
    throw EDollFileError(fileName, Tr("DollFile", "項目 %1 は暗号化されています").Arg(shown));
  if ((entry.Flags & ~AllowedFlags) != 0)
    throw EDollFileError(fileName, Tr("DollFile", "項目 %1 のフラグ 0x%2 は使えません")
                                       .Arg(shown)
                                       .Arg(QString::number(entry.Flags, 16).toStdString()));
  if (entry.Method != ZipStored && entry.Method != ZipDeflated)
    throw EDollFileError(
        fileName,
        Tr("DollFile", "項目 %1 の圧縮方式 %2 は使えません").Arg(shown).Arg(entry.Method));
  if (entry.Method == ZipStored && (entry.Flags & ZipDescriptorFlag) != 0)
    throw EDollFileError(fileName,
                         Tr("DollFile", "無圧縮の項目 %1 にデータ記述子があります").Arg(shown));
  if (IsZipFolder(entry.Name) && entry.Size != 0)
    throw EDollFileError(fileName, Tr("DollFile", "フォルダー %1 に中身があります").Arg(shown));
  if (entry.Method == ZipStored && entry.PackedSize != entry.Size)
    throw EDollFileError(fileName, Tr("DollFile", "項目 %1 の長さが合いません").Arg(shown));
}

}  // namespace

// Readers look for the end record, and for ZIP64's, in the last 64 KiB + 22 bytes: that tail
// is read once and searched for both.
TZipDirectory::TZipDirectory(const TArchiveBytes& bytes, std::size_t maxEntries) : FBytes(bytes) {
  const std::uint64_t size = FBytes.Size();
  const std::uint64_t from = size - std::min<std::uint64_t>(size, EndBytes + MaxCommentBytes);
  const TBytes tail = FBytes.ReadAt(from, static_cast<std::size_t>(size - from));
  const std::size_t end = FindEnd(tail);
  CheckTail(tail, end);
  ReadEntries(from + end, maxEntries);
}

void TZipDirectory::Fail(const std::string& reason) const {
  throw EDollFileError(FBytes.FileName(), reason);
}

// The end record is the one whose comment ends the file; where it stands in `tail`.
std::size_t TZipDirectory::FindEnd(const TBytes& tail) const {
  std::vector<std::size_t> ends;
  for (std::size_t at = 0; at + EndBytes <= tail.size(); ++at)
    if (Get32(&tail[at]) == EndSignature && Get16(&tail[at + 20]) == tail.size() - at - EndBytes)
      ends.push_back(at);
  if (ends.empty()) {
    std::uint8_t head[4] = {};
    if (FBytes.Size() >= 4) FBytes.ReadAt(0, head, 4);
    Fail(Get32(head) == LocalSignature ? TArchiveBytes::CutShort()
                                       : Tr("DollFile", "ZIP 書庫ではありません"));
  }
  if (ends.size() > 1) Fail(Tr("DollFile", "終わりのレコードが二つ以上あります"));
  return ends.back();
}

// Some readers search the tail from the end and some from the front, and follow a ZIP64
// locator or record wherever they find one: nothing there but the end record, at `end`, may
// parse as any of them. In the end record's comment, which no reader should look into, not
// even a signature may stand.
void TZipDirectory::CheckTail(const TBytes& tail, std::size_t end) const {
  for (std::size_t at = 0; at + 4 <= tail.size(); ++at) {
    if (at == end) continue;
    const std::uint32_t signature = Get32(&tail[at]);
    const bool inComment = at > end;
    const bool anyRecord = signature == EndSignature || signature == Zip64EndSignature ||
                           signature == Zip64LocatorSignature;
    if (!ParsesAsRecord(&tail[at], tail.size() - at, FBytes.Size()) && !(inComment && anyRecord) &&
        !(signature == Zip64LocatorSignature && at + Zip64LocatorBytes == end))
      continue;
    Fail(signature == EndSignature ? Tr("DollFile", "終わりのレコードが二つ以上あります")
                                   : Zip64Found());
  }
}

void TZipDirectory::ReadEntries(std::uint64_t end, std::size_t maxEntries) {
  std::uint8_t record[EndBytes];
  FBytes.ReadAt(end, record, EndBytes);
  const std::uint32_t count = Get16(record + 10);
  const std::uint64_t directoryBytes = Get32(record + 12);
  const std::uint64_t directory = Get32(record + 16);
  if (count == 0xFFFF || directoryBytes == 0xFFFFFFFF || directory == 0xFFFFFFFF)
    Fail(Zip64Found());
  if (Get16(record + 4) != 0 || Get16(record + 6) != 0 || Get16(record + 8) != count)
    Fail(Tr("DollFile", "複数のディスクに分かれています"));
  if (count > maxEntries)
    Fail(Tr("DollFile", "項目が多すぎます (%1 個、上限は %2 個です)").Arg(count).Arg(maxEntries));
  if (directory + directoryBytes != end || directoryBytes > MaxDirectoryBytes) Fail(Damaged());

  const TBytes central = FBytes.ReadAt(directory, static_cast<std::size_t>(directoryBytes));
  std::size_t at = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + CentralBytes > central.size() || Get32(&central[at]) != CentralSignature)
      Fail(Damaged());
    const std::uint8_t* c = &central[at];
    const std::size_t nameBytes = Get16(c + 28), extraBytes = Get16(c + 30);
    const std::size_t next = at + CentralBytes + nameBytes + extraBytes + Get16(c + 32);
    if (next > central.size()) Fail(Damaged());
    if (Get16(c + 34) != 0) Fail(Tr("DollFile", "複数のディスクに分かれています"));
    TZipEntry entry;
    entry.Name.assign(c + CentralBytes, c + CentralBytes + nameBytes);
    entry.System = Get16(c + 4) >> 8;
    entry.Flags = Get16(c + 8);
    entry.Method = Get16(c + 10);
    entry.Crc = Get32(c + 16);
    entry.PackedSize = Get32(c + 20);
    entry.Size = Get32(c + 24);
    entry.Attributes = Get32(c + 38);
    entry.Start = Get32(c + 42);
    entry.HasExtra = extraBytes != 0;
    if (entry.PackedSize == 0xFFFFFFFF || entry.Size == 0xFFFFFFFF || entry.Start == 0xFFFFFFFF)
      Fail(Zip64Found());
    CheckExtraFields(c + CentralBytes + nameBytes, extraBytes, entry.Name, true);
    CheckVersionNeeded(Get16(c + 6), entry.Name);
    ReadLocalHeader(entry, c, directory);
    FEntries.push_back(std::move(entry));
    at = next;
  }
  if (at != central.size()) Fail(Damaged());
  CheckLayout(directory);
  for (const TZipEntry& entry : FEntries) CheckEntry(entry, FBytes.FileName());
}

// Extra fields, each an id and a length, must fill `bytes` exactly, and each be one that
// ordinary writers emit, well formed.
void TZipDirectory::CheckExtraFields(const std::uint8_t* bytes, std::size_t count,
                                     const std::string& name, bool central) const {
  const std::string shown = QuotedEntryName(name);
  for (std::size_t at = 0; at < count;) {
    if (count - at < 4 || Get16(bytes + at + 2) > count - at - 4)
      Fail(Tr("DollFile", "項目 %1 の拡張フィールドが壊れています").Arg(shown));
    const std::uint32_t id = Get16(bytes + at), length = Get16(bytes + at + 2);
    if (id == 0x0001) Fail(Zip64Found());
    if (id == 0x7075)
      Fail(Tr("DollFile", "項目 %1 に別の名前の拡張フィールドがあります").Arg(shown));
    if (!WellFormedField(id, bytes + at + 4, length, central))
      Fail(Tr("DollFile", "項目 %1 の拡張フィールド 0x%2 (%3 バイト) は使えません")
               .Arg(shown)
               .Arg(QString::number(id, 16).rightJustified(4, '0').toStdString())
               .Arg(length));
    at += 4 + length;
  }
}

// Above version 4.5 lie methods and encryption that a doll file never uses.
void TZipDirectory::CheckVersionNeeded(std::uint32_t version, const std::string& name) const {
  if ((version & 0xFF) > MaxVersionNeeded)
    Fail(Tr("DollFile", "項目 %1 は版 %2.%3 の ZIP を求めています")
             .Arg(QuotedEntryName(name))
             .Arg((version & 0xFF) / 10)
             .Arg((version & 0xFF) % 10));
}

// Reads the entry's local header and the data descriptor after its data, which say where it
// ends; whether they agree with the central entry `central` is judged once every entry's
// place is known.
void TZipDirectory::ReadLocalHeader(TZipEntry& entry, const std::uint8_t* central,
                                    std::uint64_t directory) {
  if (entry.Start + LocalBytes > directory) Fail(Damaged());
  std::uint8_t local[LocalBytes];
  FBytes.ReadAt(entry.Start, local, LocalBytes);
  if (Get32(local) != LocalSignature) Fail(Damaged());
  const std::size_t nameBytes = Get16(local + 26), extraBytes = Get16(local + 28);
  entry.DataStart = entry.Start + LocalBytes + nameBytes + extraBytes;
  if (entry.DataStart > directory) Fail(Damaged());
  const TBytes nameAndExtra = FBytes.ReadAt(entry.Start + LocalBytes, nameBytes + extraBytes);
  CheckExtraFields(nameAndExtra.data() + nameBytes, extraBytes, entry.Name, false);
  CheckVersionNeeded(Get16(local + 4), entry.Name);
  entry.HasExtra = entry.HasExtra || extraBytes != 0;
  entry.End = entry.DataStart + entry.PackedSize;
  if (entry.End > directory) Fail(Damaged());

  bool sizesAgree = true;
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t local32 = Get32(local + 14 + 4 * i);
    // A header that defers to a descriptor may leave them 0.
    const bool deferred = (entry.Flags & ZipDescriptorFlag) != 0 && local32 == 0;
    sizesAgree = sizesAgree && (local32 == Get32(central + 16 + 4 * i) || deferred);
  }
  if ((entry.Flags & ZipDescriptorFlag) != 0) ReadDescriptor(entry, directory);
  entry.LocalAgrees =
      sizesAgree && Get16(local + 6) == entry.Flags && Get16(local + 8) == entry.Method &&
      Get32(local + 10) == Get32(central + 12) &&
      std::string(nameAndExtra.begin(), nameAndExtra.begin() + nameBytes) == entry.Name;
}

// The descriptor after the data, with its signature or without: whichever agrees with the
// central entry. Without, a CRC that reads as the signature would make a reader walking from
// the front take it for one and lose four bytes.
void TZipDirectory::ReadDescriptor(TZipEntry& entry, std::uint64_t directory) const {
  const std::uint32_t recorded[3] = {entry.Crc, static_cast<std::uint32_t>(entry.PackedSize),
                                     static_cast<std::uint32_t>(entry.Size)};
  std::uint8_t descriptor[16] = {};
  const std::uint64_t room = std::min<std::uint64_t>(16, directory - entry.End);
  FBytes.ReadAt(entry.End, descriptor, static_cast<std::size_t>(room));
  const auto agrees = [&](const std::uint8_t* at) {
    return Get32(at) == recorded[0] && Get32(at + 4) == recorded[1] && Get32(at + 8) == recorded[2];
  };
  if (room == 16 && Get32(descriptor) == DescriptorSignature && agrees(descriptor + 4)) {
    entry.End += 16;
  } else if (room >= 12 && agrees(descriptor) && entry.Crc != DescriptorSignature) {
    entry.End += 12;
  } else {
    Fail(Tr("DollFile", "項目 %1 のデータ記述子が中央ディレクトリと食い違っています")
             .Arg(QuotedEntryName(entry.Name)));
  }
}

// The entries must fill the file from its first byte to the directory, each where its central
// entry says, so that no reader can find bytes there that the checks never saw.
void TZipDirectory::CheckLayout(std::uint64_t directory) const {
  std::vector<const TZipEntry*> byStart;
  for (const TZipEntry& entry : FEntries) byStart.push_back(&entry);
  std::sort(byStart.begin(), byStart.end(),
            [](const TZipEntry* a, const TZipEntry* b) { return a->Start < b->Start; });
  for (std::size_t i = 1; i < byStart.size(); ++i)
    if (byStart[i]->Start < byStart[i - 1]->End)
      Fail(Tr("DollFile", "項目 %1 と %2 が重なっています")
               .Arg(QuotedEntryName(byStart[i - 1]->Name))
               .Arg(QuotedEntryName(byStart[i]->Name)));
  for (const TZipEntry& entry : FEntries)
    if (!entry.LocalAgrees)
      Fail(Tr("DollFile", "項目 %1 のローカルヘッダーが中央ディレクトリと食い違っています")
               .Arg(QuotedEntryName(entry.Name)));
  std::uint64_t filled = 0;
  for (const TZipEntry* entry : byStart) {
    if (entry->Start != filled) break;
    filled = entry->End;
  }
  if (filled != directory) Fail(Tr("DollFile", "どの項目にも属さないバイトがあります"));
}
