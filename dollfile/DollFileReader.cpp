#include "DollFileReader.h"

#include "ArchiveBytes.h"
#include "DollEntryNames.h"
#include "ZipDirectory.h"
#include "doll/LevelNames.h"
#include "framework/Translation.h"

namespace {

const std::string MimetypeName = "mimetype";

}  // namespace

TDollFile::TDollFile(const std::string& fileName)
    : FFileName(fileName), FBytes(std::make_unique<TArchiveBytes>(fileName)) {
  if (FBytes->Size() > static_cast<std::uint64_t>(DollFileMaxBytes))
    throw EDollFileError(
        fileName, Tr("DollFile", "大きすぎます (上限は %1 MiB です)").Arg(DollFileMaxBytes >> 20));
  Read();
}

TDollFile::TDollFile(const TBytes& bytes, const std::string& fileName)
    : FFileName(fileName), FBytes(std::make_unique<TArchiveBytes>(bytes, fileName)) {
  Read();
}

TDollFile::~TDollFile() = default;

void TDollFile::Read() {
  FDirectory = std::make_unique<TZipDirectory>(*FBytes, DollFileMaxEntries);
  const std::vector<TZipEntry>& entries = FDirectory->Entries();
  std::vector<std::string> names;
  for (const TZipEntry& entry : entries) names.push_back(entry.Name);
  CheckEntryNames(names, FFileName);
  std::uint64_t recorded = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TZipEntry& entry = entries[i];
    CheckUnpackedSize(entry.Name, entry.Size, recorded += entry.Size);
    if (LevelOfFile(entry.Name) == 0) continue;
    if (entry.System == ZipFromDos || entry.System == ZipFromHpfs)
      throw EDollFileError(
          FFileName,
          Tr("DollFile", "絵 %1 の名前が MS-DOS の書き方です").Arg(QuotedEntryName(entry.Name)));
    FPictures.push_back(entry.Name);
    FPictureEntries.push_back(i);
  }
  CheckType();
  // What Kavinel does not unpack is checked all the same, so that no reader finds in it
  // another stream than the one the directory describes.
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (LevelOfFile(entries[i].Name) == 0) OpenEntry(i)->Finish();
}

// The type's magic rests on a bare, stored "mimetype" at the very start of the file.
void TDollFile::CheckType() const {
  const std::vector<TZipEntry>& entries = FDirectory->Entries();
  if (entries.empty() || entries[0].Name != MimetypeName || entries[0].Start != 0)
    throw EDollFileError(FFileName, Tr("DollFile", "先頭の項目が mimetype ではありません"));
  const TZipEntry& entry = entries[0];
  if (entry.Method != ZipStored)
    throw EDollFileError(FFileName, Tr("DollFile", "mimetype が無圧縮ではありません"));
  if (entry.HasExtra || (entry.Flags & ZipDescriptorFlag) != 0)
    throw EDollFileError(FFileName,
                         Tr("DollFile", "mimetype に拡張フィールドかデータ記述子があります"));
  const std::size_t shown = static_cast<std::size_t>(std::min<std::uint64_t>(entry.Size, 64));
  const TBytes bytes = FBytes->ReadAt(entry.DataStart, shown);
  const std::string type(bytes.begin(), bytes.end());
  if (type != DollFileType || entry.Size != DollFileType.size())
    throw EDollFileError(
        FFileName,
        Tr("DollFile", "種類が %1 です (%2 のはず)").Arg(QuotedEntryName(type)).Arg(DollFileType));
}

// Refuses an entry of more than DollFilePictureMaxBytes, or entries of more than
// DollFileMaxUnpackedBytes in all: what the headers say, and again what inflates.
void TDollFile::CheckUnpackedSize(const std::string& name, std::uint64_t size,
                                  std::uint64_t total) const {
  if (size > static_cast<std::uint64_t>(DollFilePictureMaxBytes))
    throw EDollFileError(FFileName, Tr("DollFile", "項目 %1 が大きすぎます (上限は %2 MiB です)")
                                        .Arg(QuotedEntryName(name))
                                        .Arg(DollFilePictureMaxBytes >> 20));
  if (total > static_cast<std::uint64_t>(DollFileMaxUnpackedBytes))
    throw EDollFileError(FFileName, Tr("DollFile", "展開すると大きすぎます (上限は %1 MiB です)")
                                        .Arg(DollFileMaxUnpackedBytes >> 20));
}

std::unique_ptr<TZipEntryStream> TDollFile::OpenPicture(std::size_t index) {
  return OpenEntry(FPictureEntries.at(index));
}

std::unique_ptr<TZipEntryStream> TDollFile::OpenEntry(std::size_t index) {
  const TZipEntry& entry = FDirectory->Entries().at(index);
  return std::make_unique<TZipEntryStream>(
      *FBytes, entry, [this, &entry](std::size_t chunk, std::uint64_t produced) {
        CheckUnpackedSize(entry.Name, produced, FInflated += chunk);
      });
}
