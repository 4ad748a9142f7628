#include "DollFileReader.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "DollEntryNames.h"
#include "doll/Nest.h"
#include "framework/Translation.h"
#include "pictures/ImageFile.h"

namespace {

constexpr std::uint32_t LocalSignature = 0x04034b50;
constexpr std::uint32_t CentralSignature = 0x02014b50;
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::uint32_t Zip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t DescriptorSignature = 0x08074b50;
constexpr std::size_t LocalBytes = 30;
constexpr std::size_t CentralBytes = 46;
constexpr std::size_t EndBytes = 22;
constexpr std::size_t Zip64LocatorBytes = 20;
constexpr std::size_t MaxCommentBytes = 0xFFFF;
// A doll's directory, of at most DollFileMaxEntries short names, is far smaller.
constexpr std::uint64_t MaxDirectoryBytes = 1 << 20;
constexpr std::uint32_t EncryptedFlags = 1 << 0 | 1 << 6 | 1 << 13;
constexpr std::uint32_t DataDescriptorFlag = 1 << 3;
constexpr std::uint16_t Zip64Field = 0x0001;
constexpr std::uint16_t UnicodePathField = 0x7075;  // a second name, which some readers use
constexpr std::uint32_t Stored = 0;
constexpr std::uint32_t Deflated = 8;
constexpr std::size_t ChunkBytes = 1 << 16;
const std::string MimetypeName = "mimetype";

std::uint32_t Get16(const std::uint8_t* at) {
  return at[0] | at[1] << 8;
}
std::uint32_t Get32(const std::uint8_t* at) {
  return Get16(at) | Get16(at + 2) << 16;
}

bool IsFolder(const std::string& name) {
  return name.ends_with('/');
}

std::string Damaged() {
  return Tr("DollFile", "書庫が壊れています");
}

}  // namespace

// The doll file's bytes, read where they are needed: from the file, or from memory.
class TArchiveBytes {
 public:
  explicit TArchiveBytes(const std::string& fileName)
      : FFileName(fileName), FFile(std::make_unique<ImageFile>(fileName)), FSize(FFile->Size()) {}
  TArchiveBytes(const TBytes& bytes, const std::string& fileName)
      : FFileName(fileName), FMemory(&bytes), FSize(static_cast<std::int64_t>(bytes.size())) {}

  std::uint64_t Size() const { return static_cast<std::uint64_t>(FSize); }

  // `count` bytes from `at`; a file that ends before them (it shrank) is cut short.
  void ReadAt(std::uint64_t at, std::uint8_t* to, std::size_t count) const {
    if (at > Size() || count > Size() - at) throw EDollFileError(FFileName, CutShort());
    if (FMemory) {
      std::memcpy(to, FMemory->data() + at, count);
      return;
    }
    for (std::size_t done = 0; done < count;) {
      const ssize_t got =
          ::pread(FFile->Descriptor(), to + done, count - done, static_cast<off_t>(at + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) throw EFOpenError(FFileName, std::strerror(errno));
      if (got == 0) throw EDollFileError(FFileName, CutShort());
      done += static_cast<std::size_t>(got);
    }
  }
  TBytes ReadAt(std::uint64_t at, std::size_t count) const {
    TBytes bytes(count);
    ReadAt(at, bytes.data(), count);
    return bytes;
  }

  static std::string CutShort() { return Tr("DollFile", "途中で切れています"); }

 private:
  std::string FFileName;
  std::unique_ptr<ImageFile> FFile;
  const TBytes* FMemory = nullptr;
  std::int64_t FSize;
};

// One entry, as its central entry and its local header tell it.
struct TDollEntry {
  std::string Name;
  std::uint32_t System = 0;  // the high byte of "version made by"
  std::uint32_t Attributes = 0;
  std::uint32_t Flags = 0;
  std::uint32_t Method = 0;
  std::uint32_t Crc = 0;
  std::uint64_t PackedSize = 0;
  std::uint64_t Size = 0;
  bool CentralExtra = false;
  bool LocalExtra = false;
  std::uint64_t Start = 0;      // the local header
  std::uint64_t DataStart = 0;  // the data, after the local header
  std::uint64_t End = 0;        // after the data and its descriptor
  bool LocalAgrees = false;
};

namespace {

// Extra fields, each an id and a length, must fill `bytes` exactly; none may be ZIP64's or
// give the entry another name.
void CheckExtraFields(const std::uint8_t* bytes, std::size_t count, const std::string& name,
                      const std::string& fileName) {
  for (std::size_t at = 0; at < count;) {
    if (count - at < 4 || Get16(bytes + at + 2) > count - at - 4)
      throw EDollFileError(
          fileName,
          Tr("DollFile", "項目 %1 の拡張フィールドが壊れています").Arg(QuotedEntryName(name)));
    const std::uint32_t id = Get16(bytes + at);
    if (id == Zip64Field) throw EDollFileError(fileName, Tr("DollFile", "ZIP64 の記録があります"));
    if (id == UnicodePathField)
      throw EDollFileError(fileName, Tr("DollFile", "項目 %1 に別の名前の拡張フィールドがあります")
                                         .Arg(QuotedEntryName(name)));
    at += 4 + Get16(bytes + at + 2);
  }
}

// Refuses a link, a device or anything else that is not a plain file or, under a folder's
// name, a folder: by the mode a Unix system writes and the folder bit of every system.
void CheckKind(const TDollEntry& entry, const std::string& fileName) {
  constexpr std::uint32_t DosFolder = 0x10, Unix = 3, MacOsX = 19;
  const std::uint32_t type = entry.Attributes >> 16 & S_IFMT;
  const bool unixMode = entry.System == Unix || entry.System == MacOsX;
  const std::string shown = QuotedEntryName(entry.Name);
  if (unixMode && type == S_IFLNK)
    throw EDollFileError(fileName, Tr("DollFile", "項目 %1 はシンボリックリンクです").Arg(shown));
  const bool plain = IsFolder(entry.Name) ? !unixMode || type == 0 || type == S_IFDIR
                                          : (entry.Attributes & DosFolder) == 0 &&
                                                (!unixMode || type == 0 || type == S_IFREG);
  if (!plain)
    throw EDollFileError(fileName,
                         Tr("DollFile", "項目 %1 は通常のファイルではありません").Arg(shown));
}

void CheckEntry(const TDollEntry& entry, const std::string& fileName) {
  CheckKind(entry, fileName);
  const std::string shown = QuotedEntryName(entry.Name);
  if ((entry.Flags & EncryptedFlags) != 0)
    throw EDollFileError(fileName, Tr("DollFile", "項目 %1 は暗号化されています").Arg(shown));
  if (entry.Method != Stored && entry.Method != Deflated)
    throw EDollFileError(
        fileName,
        Tr("DollFile", "項目 %1 の圧縮方式 %2 は使えません").Arg(shown).Arg(entry.Method));
  if (IsFolder(entry.Name) && entry.Size != 0)
    throw EDollFileError(fileName, Tr("DollFile", "フォルダー %1 に中身があります").Arg(shown));
  if (entry.Method == Stored && entry.PackedSize != entry.Size)
    throw EDollFileError(fileName, Tr("DollFile", "項目 %1 の長さが合いません").Arg(shown));
}

// The one place every ZIP reader agrees is the end record: one only, its comment ending the
// file and holding no signature that another reader could take for a second one.
std::uint64_t FindEnd(const TArchiveBytes& bytes, const std::string& fileName) {
  const std::uint64_t size = bytes.Size();
  const std::size_t tailBytes =
      static_cast<std::size_t>(std::min<std::uint64_t>(size, EndBytes + MaxCommentBytes));
  const TBytes tail = bytes.ReadAt(size - tailBytes, tailBytes);
  std::vector<std::size_t> ends;
  for (std::size_t at = 0; at + EndBytes <= tail.size(); ++at)
    if (Get32(&tail[at]) == EndSignature && Get16(&tail[at + 20]) == tail.size() - at - EndBytes)
      ends.push_back(at);
  if (ends.empty()) {
    std::uint8_t head[4] = {};
    if (size >= 4) bytes.ReadAt(0, head, 4);
    throw EDollFileError(fileName, Get32(head) == LocalSignature
                                       ? TArchiveBytes::CutShort()
                                       : Tr("DollFile", "ZIP 書庫ではありません"));
  }
  const std::size_t end = ends.back();
  bool second = ends.size() > 1;
  for (std::size_t at = end + EndBytes; at + 4 <= tail.size(); ++at)
    second = second || Get32(&tail[at]) == EndSignature;
  if (second) throw EDollFileError(fileName, Tr("DollFile", "終わりのレコードが二つ以上あります"));
  return size - tailBytes + end;
}

}  // namespace

TDollFile::TDollFile(const std::string& fileName)
    : FFileName(fileName), FBytes(std::make_unique<TArchiveBytes>(fileName)) {
  if (FBytes->Size() > static_cast<std::uint64_t>(DollFileMaxBytes))
    throw EDollFileError(
        fileName, Tr("DollFile", "大きすぎます (上限は %1 MiB です)").Arg(DollFileMaxBytes >> 20));
  ReadDirectory();
}

TDollFile::TDollFile(const TBytes& bytes, const std::string& fileName)
    : FFileName(fileName), FBytes(std::make_unique<TArchiveBytes>(bytes, fileName)) {
  ReadDirectory();
}

TDollFile::~TDollFile() = default;

void TDollFile::ReadDirectory() {
  const auto fail = [&](const std::string& reason) { return EDollFileError(FFileName, reason); };
  const std::uint64_t end = FindEnd(*FBytes, FFileName);
  std::uint8_t record[EndBytes];
  FBytes->ReadAt(end, record, EndBytes);
  const std::uint32_t count = Get16(record + 10);
  const std::uint64_t directoryBytes = Get32(record + 12);
  const std::uint64_t directory = Get32(record + 16);
  if (count == 0xFFFF || directoryBytes == 0xFFFFFFFF || directory == 0xFFFFFFFF)
    throw fail(Tr("DollFile", "ZIP64 の記録があります"));
  if (end >= Zip64LocatorBytes) {
    std::uint8_t locator[4];
    FBytes->ReadAt(end - Zip64LocatorBytes, locator, 4);
    if (Get32(locator) == Zip64LocatorSignature)
      throw fail(Tr("DollFile", "ZIP64 の記録があります"));
  }
  if (Get16(record + 4) != 0 || Get16(record + 6) != 0 || Get16(record + 8) != count)
    throw fail(Tr("DollFile", "複数のディスクに分かれています"));
  if (count > DollFileMaxEntries)
    throw fail(Tr("DollFile", "項目が多すぎます (%1 個、上限は %2 個です)")
                   .Arg(count)
                   .Arg(DollFileMaxEntries));
  if (directory + directoryBytes != end || directoryBytes > MaxDirectoryBytes)
    throw fail(Damaged());

  const TBytes central = FBytes->ReadAt(directory, static_cast<std::size_t>(directoryBytes));
  std::size_t at = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + CentralBytes > central.size() || Get32(&central[at]) != CentralSignature)
      throw fail(Damaged());
    const std::uint8_t* c = &central[at];
    const std::size_t nameBytes = Get16(c + 28), extraBytes = Get16(c + 30);
    const std::size_t next = at + CentralBytes + nameBytes + extraBytes + Get16(c + 32);
    if (next > central.size()) throw fail(Damaged());
    if (Get16(c + 34) != 0) throw fail(Tr("DollFile", "複数のディスクに分かれています"));
    TDollEntry entry;
    entry.Name.assign(c + CentralBytes, c + CentralBytes + nameBytes);
    entry.System = Get16(c + 4) >> 8;
    entry.Flags = Get16(c + 8);
    entry.Method = Get16(c + 10);
    entry.Crc = Get32(c + 16);
    entry.PackedSize = Get32(c + 20);
    entry.Size = Get32(c + 24);
    entry.Attributes = Get32(c + 38);
    entry.Start = Get32(c + 42);
    entry.CentralExtra = extraBytes != 0;
    if (entry.PackedSize == 0xFFFFFFFF || entry.Size == 0xFFFFFFFF || entry.Start == 0xFFFFFFFF)
      throw fail(Tr("DollFile", "ZIP64 の記録があります"));
    CheckExtraFields(c + CentralBytes + nameBytes, extraBytes, entry.Name, FFileName);
    ReadLocalHeader(entry, directory);
    FEntries.push_back(std::move(entry));
    at = next;
  }
  if (at != central.size()) throw fail(Damaged());
  CheckLayout(directory);

  std::vector<std::string> names;
  for (const TDollEntry& entry : FEntries) names.push_back(entry.Name);
  CheckEntryNames(names, FFileName);
  std::uint64_t recorded = 0;
  for (std::size_t i = 0; i < FEntries.size(); ++i) {
    CheckEntry(FEntries[i], FFileName);
    if (LevelOfFile(FEntries[i].Name) == 0) continue;
    FPictures.push_back(FEntries[i].Name);
    FPictureEntries.push_back(i);
    CheckInflatedSize(FEntries[i].Name, FEntries[i].Size, recorded += FEntries[i].Size);
  }
  CheckType();
}

// Reads the entry's local header and the data descriptor after its data, which say where it
// ends; whether they agree with the central entry is judged once every entry's place is known.
void TDollFile::ReadLocalHeader(TDollEntry& entry, std::uint64_t directory) {
  const auto damaged = [&] { return EDollFileError(FFileName, Damaged()); };
  if (entry.Start + LocalBytes > directory) throw damaged();
  std::uint8_t local[LocalBytes];
  FBytes->ReadAt(entry.Start, local, LocalBytes);
  if (Get32(local) != LocalSignature) throw damaged();
  const std::size_t nameBytes = Get16(local + 26), extraBytes = Get16(local + 28);
  entry.DataStart = entry.Start + LocalBytes + nameBytes + extraBytes;
  if (entry.DataStart > directory) throw damaged();
  const TBytes nameAndExtra = FBytes->ReadAt(entry.Start + LocalBytes, nameBytes + extraBytes);
  CheckExtraFields(nameAndExtra.data() + nameBytes, extraBytes, entry.Name, FFileName);
  entry.LocalExtra = extraBytes != 0;
  entry.End = entry.DataStart + entry.PackedSize;
  if (entry.End > directory) throw damaged();

  const std::uint32_t recorded[3] = {entry.Crc, static_cast<std::uint32_t>(entry.PackedSize),
                                     static_cast<std::uint32_t>(entry.Size)};
  bool sizesAgree = true;
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t local32 = Get32(local + 14 + 4 * i);
    // A header that defers to a descriptor may leave them 0.
    const bool deferred = (entry.Flags & DataDescriptorFlag) != 0 && local32 == 0;
    sizesAgree = sizesAgree && (local32 == recorded[i] || deferred);
  }
  if ((entry.Flags & DataDescriptorFlag) != 0) {
    // With its signature or without: whichever agrees with the central entry.
    std::uint8_t descriptor[16] = {};
    const std::uint64_t room = std::min<std::uint64_t>(16, directory - entry.End);
    FBytes->ReadAt(entry.End, descriptor, static_cast<std::size_t>(room));
    const auto agrees = [&](const std::uint8_t* at) {
      return Get32(at) == recorded[0] && Get32(at + 4) == recorded[1] &&
             Get32(at + 8) == recorded[2];
    };
    if (room == 16 && Get32(descriptor) == DescriptorSignature && agrees(descriptor + 4)) {
      entry.End += 16;
    } else if (room >= 12 && agrees(descriptor)) {
      entry.End += 12;
    } else {
      throw EDollFileError(
          FFileName, Tr("DollFile", "項目 %1 のデータ記述子が中央ディレクトリと食い違っています")
                         .Arg(QuotedEntryName(entry.Name)));
    }
  }
  entry.LocalAgrees =
      sizesAgree && Get16(local + 6) == entry.Flags && Get16(local + 8) == entry.Method &&
      std::string(nameAndExtra.begin(), nameAndExtra.begin() + nameBytes) == entry.Name;
}

// The entries must fill the file from its first byte to the directory, each where its central
// entry says, so that no reader can find bytes there that the checks never saw.
void TDollFile::CheckLayout(std::uint64_t directory) const {
  std::vector<const TDollEntry*> byStart;
  for (const TDollEntry& entry : FEntries) byStart.push_back(&entry);
  std::sort(byStart.begin(), byStart.end(),
            [](const TDollEntry* a, const TDollEntry* b) { return a->Start < b->Start; });
  for (std::size_t i = 1; i < byStart.size(); ++i)
    if (byStart[i]->Start < byStart[i - 1]->End)
      throw EDollFileError(FFileName, Tr("DollFile", "項目 %1 と %2 が重なっています")
                                          .Arg(QuotedEntryName(byStart[i - 1]->Name))
                                          .Arg(QuotedEntryName(byStart[i]->Name)));
  for (const TDollEntry& entry : FEntries)
    if (!entry.LocalAgrees)
      throw EDollFileError(
          FFileName,
          Tr("DollFile", "項目 %1 のローカルヘッダーが中央ディレクトリと食い違っています")
              .Arg(QuotedEntryName(entry.Name)));
  std::uint64_t filled = 0;
  for (const TDollEntry* entry : byStart) {
    if (entry->Start != filled) break;
    filled = entry->End;
  }
  if (filled != directory)
    throw EDollFileError(FFileName, Tr("DollFile", "どの項目にも属さないバイトがあります"));
}

// The type's magic rests on a bare, stored "mimetype" at the very start of the file.
void TDollFile::CheckType() {
  if (FEntries.empty() || FEntries[0].Name != MimetypeName || FEntries[0].Start != 0)
    throw EDollFileError(FFileName, Tr("DollFile", "先頭の項目が mimetype ではありません"));
  const TDollEntry& entry = FEntries[0];
  if (entry.Method != Stored)
    throw EDollFileError(FFileName, Tr("DollFile", "mimetype が無圧縮ではありません"));
  if (entry.CentralExtra || entry.LocalExtra || (entry.Flags & DataDescriptorFlag) != 0)
    throw EDollFileError(FFileName,
                         Tr("DollFile", "mimetype に拡張フィールドかデータ記述子があります"));
  const std::size_t shown = static_cast<std::size_t>(std::min<std::uint64_t>(entry.Size, 64));
  const TBytes bytes = FBytes->ReadAt(entry.DataStart, shown);
  const std::string type(bytes.begin(), bytes.end());
  if (type != DollFileType || entry.Size != DollFileType.size())
    throw EDollFileError(
        FFileName,
        Tr("DollFile", "種類が %1 です (%2 のはず)").Arg(QuotedEntryName(type)).Arg(DollFileType));
  if (crc32(0, bytes.data(), static_cast<uInt>(bytes.size())) != entry.Crc)
    throw EDollFileError(
        FFileName,
        Tr("DollFile", "項目 %1 の CRC が合いません").Arg(QuotedEntryName(MimetypeName)));
}

// Refuses a picture of more than DollFilePictureMaxBytes, or pictures of more than
// DollFileMaxUnpackedBytes in all: what the headers say, and again what inflates.
void TDollFile::CheckInflatedSize(const std::string& name, std::uint64_t size,
                                  std::uint64_t total) const {
  if (size > static_cast<std::uint64_t>(DollFilePictureMaxBytes))
    throw EDollFileError(FFileName, Tr("DollFile", "絵 %1 が大きすぎます (上限は %2 MiB です)")
                                        .Arg(QuotedEntryName(name))
                                        .Arg(DollFilePictureMaxBytes >> 20));
  if (total > static_cast<std::uint64_t>(DollFileMaxUnpackedBytes))
    throw EDollFileError(FFileName, Tr("DollFile", "展開すると大きすぎます (上限は %1 MiB です)")
                                        .Arg(DollFileMaxUnpackedBytes >> 20));
}

// What a picture's stream needs while it is read.
struct TPictureStream::TState {
  TState(const TDollFile& file, const TArchiveBytes& bytes, const TDollEntry& entry,
         std::uint64_t& inflated)
      : File(file),
        Bytes(bytes),
        Entry(entry),
        Inflated(inflated),
        At(entry.DataStart),
        PackedLeft(entry.PackedSize) {}

  const TDollFile& File;
  const TArchiveBytes& Bytes;
  const TDollEntry& Entry;
  std::uint64_t& Inflated;  // by every picture of the file
  std::uint64_t At;         // the next packed byte
  std::uint64_t PackedLeft;
  std::uint64_t Produced = 0;
  uLong Crc = crc32(0, nullptr, 0);
  z_stream Inflater{};
  bool InflaterOpen = false;
  bool Ended = false;
  bool Checked = false;
  TBytes Input;
  TBytes Output = TBytes(ChunkBytes);  // inflated a chunk at a time, and read from here
  std::size_t OutputAt = 0;
  std::size_t OutputEnd = 0;

  [[noreturn]] void Fail(const std::string& reason) const {
    throw EDollFileError(File.FileName(), reason);
  }
  std::string Shown() const { return QuotedEntryName(Entry.Name); }
  void Refill(const TPictureStream::TCopy& copy);
  std::size_t ReadStored(std::uint8_t* to, std::size_t count);
  std::size_t Inflate(std::uint8_t* to, std::size_t count);
  void Count(const std::uint8_t* bytes, std::size_t count);
  void CheckEnd();
};

std::unique_ptr<TPictureStream> TDollFile::OpenPicture(std::size_t index) {
  const TDollEntry& entry = FEntries.at(FPictureEntries.at(index));
  auto state = std::make_unique<TPictureStream::TState>(*this, *FBytes, entry, FInflated);
  if (entry.Method == Deflated) {
    if (inflateInit2(&state->Inflater, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
    state->InflaterOpen = true;
    state->Input.resize(ChunkBytes);
  }
  return std::unique_ptr<TPictureStream>(new TPictureStream(std::move(state)));
}

TPictureStream::TPictureStream(std::unique_ptr<TState> state) : FState(std::move(state)) {}

TPictureStream::~TPictureStream() {
  if (FState->InflaterOpen) inflateEnd(&FState->Inflater);
}

std::int64_t TPictureStream::Size() const {
  return static_cast<std::int64_t>(FState->Entry.Size);
}

std::size_t TPictureStream::Read(std::uint8_t* to, std::size_t count) {
  TState& s = *FState;
  std::size_t done = 0;
  while (done < count) {
    if (s.OutputAt == s.OutputEnd) {
      if (s.Ended) break;
      s.Refill(FCopy);
      continue;
    }
    const std::size_t got = std::min(count - done, s.OutputEnd - s.OutputAt);
    std::memcpy(to + done, s.Output.data() + s.OutputAt, got);
    s.OutputAt += got;
    done += got;
  }
  return done;
}

void TPictureStream::Finish() {
  std::vector<std::uint8_t> scratch(ChunkBytes);
  while (Read(scratch.data(), scratch.size()) > 0) {
  }
}

// The next chunk, counted and checked as it comes, and its end checked where it ends.
void TPictureStream::TState::Refill(const TPictureStream::TCopy& copy) {
  const std::size_t got = InflaterOpen ? Inflate(Output.data(), Output.size())
                                       : ReadStored(Output.data(), Output.size());
  Count(Output.data(), got);
  if (copy && got > 0) copy(Output.data(), got);
  OutputAt = 0;
  OutputEnd = got;
  if (Ended && !Checked) CheckEnd();
}

std::size_t TPictureStream::TState::ReadStored(std::uint8_t* to, std::size_t count) {
  const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(count, PackedLeft));
  Bytes.ReadAt(At, to, got);
  At += got;
  PackedLeft -= got;
  Ended = PackedLeft == 0;
  return got;
}

std::size_t TPictureStream::TState::Inflate(std::uint8_t* to, std::size_t count) {
  if (Inflater.avail_in == 0 && PackedLeft > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(Input.size(), PackedLeft));
    Bytes.ReadAt(At, Input.data(), chunk);
    At += chunk;
    PackedLeft -= chunk;
    Inflater.next_in = Input.data();
    Inflater.avail_in = static_cast<uInt>(chunk);
  }
  Inflater.next_out = to;
  Inflater.avail_out = static_cast<uInt>(count);
  const uInt room = Inflater.avail_out;
  const int status = inflate(&Inflater, Z_NO_FLUSH);
  const std::size_t got = room - Inflater.avail_out;
  if (status == Z_STREAM_END) {
    Ended = true;
  } else if (status == Z_BUF_ERROR && Inflater.avail_in == 0 && PackedLeft == 0) {
    // The packed bytes ended before the stream did.
    Fail(Tr("DollFile", "項目 %1 の長さが合いません").Arg(Shown()));
  } else if (status != Z_OK && status != Z_BUF_ERROR) {
    Fail(Tr("DollFile", "項目 %1 の圧縮データが壊れています").Arg(Shown()));
  }
  return got;
}

// Counts what was inflated, never trusting a header: past the recorded length, the picture
// limit or the file's limit, reading stops.
void TPictureStream::TState::Count(const std::uint8_t* bytes, std::size_t count) {
  Produced += count;
  Inflated += count;
  if (Produced > Entry.Size) Fail(Tr("DollFile", "項目 %1 の長さが合いません").Arg(Shown()));
  File.CheckInflatedSize(Entry.Name, Produced, Inflated);
  Crc = crc32(Crc, bytes, static_cast<uInt>(count));
}

void TPictureStream::TState::CheckEnd() {
  Checked = true;
  const bool packedUsed = Inflater.avail_in == 0 && PackedLeft == 0;
  if (!packedUsed || Produced != Entry.Size)
    Fail(Tr("DollFile", "項目 %1 の長さが合いません").Arg(Shown()));
  if (Crc != Entry.Crc) Fail(Tr("DollFile", "項目 %1 の CRC が合いません").Arg(Shown()));
}
