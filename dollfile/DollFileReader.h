// Reading a doll file: its directory checked whole, then only the pictures it keeps, each
// inflated with zlib as it is read, straight from the entries that were checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DollArchive.h"
#include "pictures/ByteStream.h"

class TArchiveBytes;
class TPictureStream;
struct TDollEntry;

// A doll file opened for reading: its end record and central directory read and checked whole,
// its pictures read only when asked for, straight from the entries that were checked. Every
// ZIP reader must see the same archive in it, or it is refused whole with EDollFileError:
// - one end record, whose comment ends the file and holds no end record's signature; no ZIP64
//   record of any kind; one disk; at most DollFileMaxEntries entries;
// - the entries, local header to data descriptor, fill the file from its first byte to the
//   central directory, with no byte between them and none shared;
// - the first entry, in the directory and in the file, is "mimetype": stored, without extra
//   field or data descriptor, holding exactly DollFileType;
// - each local header agrees with its central entry in name, flags, method, CRC and sizes (or
//   defers them to a data descriptor, which agrees in turn); no entry is encrypted, or neither
//   stored nor deflated; no extra field is malformed or gives another name;
// - a name is not absolute, has no empty, "." or ".." component, no NUL, control character or
//   backslash, is valid UTF-8 and at most 255 bytes (shown escaped in the message); no entry
//   is a link, a folder holding data, or anything but a plain file; no two names are the same
//   once case and Unicode compatibility are folded, nor does a name fold to a picture's name
//   without being it.
// The pictures are the entries whose names are a doll's pictures ("シェイプ.bmp",
// "テクスチャ.bmp", "シェイプn.bmp", "テクスチャn.bmp", n ≥ 2 without leading zeros, in NFC),
// in the archive's order; every other entry is skipped unread.
class TDollFile {
 public:
  // The doll file `fileName`: only a regular file, opened without waiting on it, at most
  // DollFileMaxBytes; its first bytes, its end and its directory are read, nothing else.
  // Raises the file-open error, or EDollFileError.
  explicit TDollFile(const std::string& fileName);
  // The same over the bytes of a doll file, which must outlive the object.
  TDollFile(const TBytes& bytes, const std::string& fileName);
  ~TDollFile();
  TDollFile(const TDollFile&) = delete;
  TDollFile& operator=(const TDollFile&) = delete;

  const std::string& FileName() const { return FFileName; }
  const std::vector<std::string>& Pictures() const { return FPictures; }

  // The bytes of picture `index` of Pictures(), inflated as they are read. Its end is checked
  // where it is reached: the data ends exactly at the entry's recorded lengths and the CRC
  // matches. Past DollFilePictureMaxBytes in the picture, or DollFileMaxUnpackedBytes in all
  // pictures read from this file, it raises EDollFileError.
  std::unique_ptr<TPictureStream> OpenPicture(std::size_t index);

 private:
  friend class TPictureStream;
  void ReadDirectory();
  void ReadLocalHeader(TDollEntry& entry, std::uint64_t directory);
  void CheckLayout(std::uint64_t directory) const;
  void CheckType();
  void CheckInflatedSize(const std::string& name, std::uint64_t size, std::uint64_t total) const;

  std::string FFileName;
  std::unique_ptr<TArchiveBytes> FBytes;
  std::vector<TDollEntry> FEntries;
  std::vector<std::string> FPictures;
  std::vector<std::size_t> FPictureEntries;
  std::uint64_t FInflated = 0;  // by every picture read so far
};

// A picture of a doll file, as its bytes are inflated.
class TPictureStream : public TByteStream {
 public:
  using TCopy = std::function<void(const std::uint8_t* bytes, std::size_t count)>;
  ~TPictureStream() override;
  std::int64_t Size() const override;
  std::size_t Read(std::uint8_t* to, std::size_t count) override;
  // Every byte inflated from now on, a chunk at a time, is handed to `copy` too.
  void CopyTo(TCopy copy) { FCopy = std::move(copy); }
  // Reads what is left, and checks the end.
  void Finish();

 private:
  friend class TDollFile;
  struct TState;
  explicit TPictureStream(std::unique_ptr<TState> state);
  std::unique_ptr<TState> FState;
  TCopy FCopy;
};
