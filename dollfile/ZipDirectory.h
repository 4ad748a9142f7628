// The second layer of the doll-file reader: a ZIP archive's directory, read and checked whole
// so that every common ZIP reader, from the end or walking from the front, sees in it the same
// entries with the same data, or the archive is refused with EDollFileError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DollArchive.h"

class TArchiveBytes;

// One entry, as its central entry and its local header tell it.
struct TZipEntry {
  std::string Name;
  std::uint32_t System = 0;  // the high byte of "version made by"
  std::uint32_t Attributes = 0;
  std::uint32_t Flags = 0;
  std::uint32_t Method = 0;
  std::uint32_t Crc = 0;
  std::uint64_t PackedSize = 0;
  std::uint64_t Size = 0;
  bool HasExtra = false;        // in its central entry or local header
  std::uint64_t Start = 0;      // the local header
  std::uint64_t DataStart = 0;  // the data, after the local header
  std::uint64_t End = 0;        // after the data and its descriptor
  bool LocalAgrees = false;
};

inline constexpr std::uint32_t ZipStored = 0;
inline constexpr std::uint32_t ZipDeflated = 8;
inline constexpr std::uint32_t ZipDescriptorFlag = 1 << 3;
inline constexpr std::uint32_t ZipFromDos = 0, ZipFromHpfs = 6;  // "made by" systems

// The directory of the archive in `bytes`, which must outlive it:
// - one end record, whose comment ends the file; nothing else in the file's last 64 KiB + 22
//   bytes parses as an end record, a ZIP64 end record or a ZIP64 locator (a directory, or a
//   record, within the file); no ZIP64 at all; one disk; at most `maxEntries` entries;
// - the entries, local header to data descriptor, fill the file from its first byte to the
//   central directory, with no byte between them and none shared;
// - each local header agrees with its central entry in name, flags, method, time, CRC and
//   sizes (or defers them to a data descriptor, which agrees in turn); data descriptors only
//   on deflated entries, and none whose unsigned CRC reads as a descriptor's signature;
// - only what the format's version 4.5 needs: stored or deflated, no encryption, flags only
//   for compression options, descriptors and UTF-8 names; extra fields only extended time,
//   Info-ZIP Unix uid/gid and NTFS times, each well formed;
// - every entry says "file" (or, under a folder's name, "folder") to every tool: the high half
//   of its attributes, read as a Unix mode whatever system made it, is a plain file's or none,
//   and no DOS or Amiga folder bit marks a file; a folder holds nothing.
// Names are checked by the layer above; the entries' data by TZipEntryStream.
class TZipDirectory {
 public:
  TZipDirectory(const TArchiveBytes& bytes, std::size_t maxEntries);

  const std::vector<TZipEntry>& Entries() const { return FEntries; }

 private:
  std::size_t FindEnd(const TBytes& tail) const;
  void CheckTail(const TBytes& tail, std::size_t end) const;
  void ReadEntries(std::uint64_t end, std::size_t maxEntries);
  void ReadLocalHeader(TZipEntry& entry, const std::uint8_t* central, std::uint64_t directory);
  void ReadDescriptor(TZipEntry& entry, std::uint64_t directory) const;
  void CheckExtraFields(const std::uint8_t* bytes, std::size_t count, const std::string& name,
                        bool central) const;
  void CheckVersionNeeded(std::uint32_t version, const std::string& name) const;
  void CheckLayout(std::uint64_t directory) const;
  [[noreturn]] void Fail(const std::string& reason) const;

  const TArchiveBytes& FBytes;
  std::vector<TZipEntry> FEntries;
};
