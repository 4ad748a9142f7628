// Reading a doll file: the top layer of the reader, holding the doll's own rules over the
// archive's bytes (ArchiveBytes.h), its checked directory (ZipDirectory.h) and its entries'
// streams (ZipEntryStream.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DollArchive.h"
#include "ZipEntryStream.h"

class TArchiveBytes;
class TZipDirectory;

// A doll file opened for reading. Every ZIP reader must see the same doll in it, or it is
// refused whole with EDollFileError. Besides what TZipDirectory checks:
// - the first entry, in the directory and in the file, is "mimetype": stored, without extra
//   field or data descriptor, holding exactly DollFileType;
// - the names pass CheckEntryNames; a picture's name, never plain ASCII, is not in an entry
//   that MS-DOS or HPFS made, whose names other readers take in a DOS code page. Names are
//   read as UTF-8, whether their entry says so or not, as Info-ZIP writes them;
// - every entry but the pictures has its data checked whole here: its stream ends exactly at
//   its packed size, with its length and CRC;
// - no entry inflates to more than DollFilePictureMaxBytes, nor all of them together to
//   more than DollFileMaxUnpackedBytes: by what the headers say, and again while inflating.
// The pictures are the entries whose names are a doll's pictures ("シェイプ.bmp",
// "テクスチャ.bmp", "シェイプn.bmp", "テクスチャn.bmp", n ≥ 2 without leading zeros, in NFC),
// in the archive's order, each checked as it is read.
class TDollFile {
 public:
  // The doll file `fileName`: only a regular file, opened without waiting on it, at most
  // DollFileMaxBytes. Raises the file-open error, or EDollFileError.
  explicit TDollFile(const std::string& fileName);
  // The same over the bytes of a doll file, which must outlive the object.
  TDollFile(const TBytes& bytes, const std::string& fileName);
  ~TDollFile();
  TDollFile(const TDollFile&) = delete;
  TDollFile& operator=(const TDollFile&) = delete;

  const std::string& FileName() const { return FFileName; }
  const std::vector<std::string>& Pictures() const { return FPictures; }

  // The bytes of picture `index` of Pictures(), inflated as they are read and counted
  // against the limits with every entry read from this file.
  std::unique_ptr<TZipEntryStream> OpenPicture(std::size_t index);

 private:
  void Read();
  void CheckType() const;
  void CheckUnpackedSize(const std::string& name, std::uint64_t size, std::uint64_t total) const;
  std::unique_ptr<TZipEntryStream> OpenEntry(std::size_t index);

  std::string FFileName;
  std::unique_ptr<TArchiveBytes> FBytes;
  std::unique_ptr<TZipDirectory> FDirectory;
  std::vector<std::string> FPictures;
  std::vector<std::size_t> FPictureEntries;
  std::uint64_t FInflated = 0;  // by every entry read so far
};
