// A doll's folder in the making, written picture by picture and moved into place whole: what
// an unpacked doll file and a new doll of the shelf are made in, and how a doll is told by its
// content.
#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

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

// Raises the error that the folder `folder` cannot be made, for the errno `error`.
[[noreturn]] void FailToMakeFolder(const std::string& folder, int error);

// Removes every temporary folder of an unpack in `parent` whose lock can be taken, as its
// owner has ended without removing it, and no other.
void RemoveAbandonedUnpacks(const std::string& parent);
