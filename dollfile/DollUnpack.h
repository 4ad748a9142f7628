// Opening a doll file: its pictures, checked as Load reads them, unpacked into a folder of
// their own that did not exist before, so that nothing is ever replaced or merged.
#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DollFileReader.h"
#include "doll/SceneState.h"

// `name` with each control, bidirectional or invalid character made "_".
std::string PrintableName(const std::string& name);

// The name of the folder a doll file unpacks into: the file's name without a final
// ".kavinel" (in any case), with control, bidirectional and invalid characters made "_",
// leading dots and dashes dropped, at most 200 bytes; "人形" when nothing is left, and "-人形"
// added to a name ending in ".bmp" or ".new", so that it can never name the folder it lies
// in, that folder's parent, or a doll's file.
std::string DollFolderName(const std::string& fileName);

// The outer doll of a doll file, read as Load reads it.
struct TOuterDoll {
  DollProfile Outline{};
  std::shared_ptr<const TTavoBitmap> Skin;
};

// Where a doll file's pictures go as they are read: each picture is begun, written chunk by
// chunk and ended, in the file's order.
class TPictureSink {
 public:
  virtual ~TPictureSink() = default;
  virtual void Begin(const std::string& name) = 0;
  virtual void Write(const std::uint8_t* bytes, std::size_t count) = 0;
  virtual void End() = 0;
};

// A doll told by its content: a digest of its pictures' names and the `pictureDigests`
// of their bytes, so that two dolls whose pictures are the same names with the same bytes, no
// more and no fewer, and no other two, have the same content.
std::string DollContent(const std::map<std::string, QByteArray>& pictureDigests);
// The hash of a picture's bytes and of a doll's content: BLAKE2b of 256 bits, as strong as
// SHA-256 against a doll file made to pass for another, and several times as fast.
inline constexpr QCryptographicHash::Algorithm ContentHash = QCryptographicHash::Blake2b_256;

// A doll's folder in the making: a fresh folder ".kavinel-XXXXXX" in `parent`, locked while
// it is written, its pictures each created anew (never through a link), flushed, and digested,
// then moved into place under a free name. Unless moved, it is removed with what was written
// into it. `between` is called between chunks and may raise to stop the work. A failure raises
// an error naming the folder or the file.
class TNewDollFolder : public TPictureSink {
 public:
  TNewDollFolder(const std::string& parent, const std::function<void()>& between = {});
  ~TNewDollFolder() override;
  TNewDollFolder(const TNewDollFolder&) = delete;
  TNewDollFolder& operator=(const TNewDollFolder&) = delete;

  void Begin(const std::string& name) override;
  void Write(const std::uint8_t* bytes, std::size_t count) override;
  void End() override;
  // The DollContent of the pictures written.
  std::string Content() const;
  // Flushes the folder, unlocked, then gives it the first free name of `name`, `name`-2, … in
  // `parent`, which is flushed too, never replacing anything; returns the folder's path there.
  std::string MoveTo(const std::string& parent, const std::string& name);

 private:
  std::string Path(const std::string& name) const { return FPath + "/" + name; }
  void Between() const;
  void Remove();
  void Close();

  std::function<void()> FBetween;
  std::string FPath;
  int FFd = -1;
  int FLock = -1;
  int FFile = -1;
  std::vector<std::string> FWritten;
  QCryptographicHash FHash{ContentHash};
  std::map<std::string, QByteArray> FDigests;
  bool FKept = false;
};

// Reads every picture of `doll` as Load reads it, from the bytes as they are inflated (an error
// names the picture within the doll file), and to its end, where its length and CRC are
// checked; hands each picture's bytes to `sink` on the way. Raises EDollFileError when the
// outer doll's outline or skin is missing. Returns the outer doll.
TOuterDoll ReadDollPictures(TDollFile& doll, TPictureSink* sink = nullptr);

// Unpacks the doll file `fileName` into a new folder in `parent` (made, with its missing
// parents, when missing), named DollFolderName, or that name with "-2", "-3", … when it is
// taken, and returns the folder's path. The pictures are written into a fresh temporary folder
// ".kavinel-XXXXXX" in `parent`, which holds a lock while it is written, under their own names
// only, each created anew, checked by Load's readers and flushed with the folder, which is
// then moved into place without replacing anything. `between` is called between chunks and
// may raise to stop the unpack. Where `findCopy`, given the DollContent of the pictures read,
// names a folder, that folder is returned and the unpack dropped. A file that is refused or
// stopped, for any reason, raises an error naming it and leaves nothing behind, not even the
// folders made for it.
std::string UnpackDollFile(const std::string& fileName, const std::string& parent,
                           const std::function<void()>& between = {},
                           const std::function<std::string(const std::string&)>& findCopy = {});

// Removes every temporary folder of an unpack in `parent` whose lock can be taken, as its
// owner has ended without removing it, and no other.
void RemoveAbandonedUnpacks(const std::string& parent);
