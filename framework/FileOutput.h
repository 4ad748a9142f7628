// Writing the program's files: new ones whole or not at all, and the doll's files swapped
// for new ones without ever losing the old, all flushed to the disk before they count.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

// Creates `fileName` so that no existing file (or link, or folder) can ever be replaced,
// writes `size` bytes into it and flushes the file and then its folder. Returns false,
// writing nothing, when the name is taken. A failure removes the file and raises the
// file-create error naming it.
bool WriteNewFile(const std::string& fileName, const void* data, std::size_t size);

// Writes `size` bytes beside `fileName`, as "<fileName>.new" (one left by a crash is replaced),
// flushes them, and gives them the name `fileName` only if no file has it, never replacing
// one; then flushes the folder. Returns false, leaving nothing behind, when the name is taken.
// A failure removes what was written and raises the file-create error naming `fileName`.
bool WriteNewFileBeside(const std::string& fileName, const void* data, std::size_t size);

// Writes `size` bytes as `fileName`, whole: under "<fileName>.new" (one left by a crash is
// replaced), flushed, then renamed over `fileName`, and the folder flushed. Only for the
// program's own files (caches, a picture a caller asked for), never for a person's: it
// replaces what is there. A failure raises the file-create error naming `fileName`.
void WriteWholeFile(const std::string& fileName, const void* data, std::size_t size);

// Gives `from` the name `to` unless anything has that name, never replacing it. Returns 0, or
// the errno of the failure (EEXIST: the name is taken).
int RenameNoReplace(const std::string& from, const std::string& to);

// Which file a name stands for, told apart by its device, inode, size and last change: so
// that a file the program wrote can be told from one put in its place since.
struct TFileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = -1;
  timespec Changed{};
  bool operator==(const TFileIdentity& other) const;
};

// The identity of the file `fileName` names now; an empty one when there is none.
TFileIdentity IdentityOf(const std::string& fileName);

// The identity of the file that ReplaceKeepingOld, PutBackKeepingCurrent or SetAside last left
// under `fileName` (an empty one after SetAside), by its absolute path, so that a watcher can
// tell the program's own writes from another program's; none when they never touched it.
std::optional<TFileIdentity> OwnIdentityOf(const std::string& fileName);

// Writes `size` bytes as `fileName`, keeping the file it replaces under the first free
// backup name, BackupName(fileName, 1), (…, 2), …. The bytes go under "<fileName>.new" (one
// left by a crash is replaced) and are flushed; the old file is linked to its backup name,
// or, where the file system has no hard links, copied to it and flushed; then the new file
// is renamed into place and the folder flushed. So a whole file exists under `fileName` at
// every moment. Returns the backup's name, or "" when there was no file to keep. A failure
// anywhere removes what the swap made, leaves the folder as it was, and raises the
// file-create error naming `fileName`, never a name the person did not ask for.
// With `own`, the identity of the file this routine last wrote there, a file in place that is
// still that one is not kept but replaced, so that the later saves of one piece of work leave
// one backup, the file before it; a file put there since is kept as ever. A failure to flush
// the folder then leaves the new file in place.
std::string ReplaceKeepingOld(const std::string& fileName, const void* data, std::size_t size,
                              const TFileIdentity* own = nullptr);

// Puts the kept file `keptName` (a backup) back in place of `fileName` the same way: the
// kept file gets the second name "<fileName>.new" (linked, or copied where the file system has
// no hard links), is flushed, and is swapped in as above, the file it replaces kept under the
// first free backup name, whose name is returned. The kept file itself stays where it is. A
// missing kept file raises the file-open error naming it, any other failure the file-create
// error naming `fileName`; either way the folder is left as it was.
std::string PutBackKeepingCurrent(const std::string& fileName, const std::string& keptName);

// Takes `fileName` out of the way without losing it: it is kept under its first free backup
// name (linked, or copied where the file system has no hard links), then its own name is
// removed and the folder flushed. Returns the backup's name. A missing file raises the
// file-open error naming it, any other failure the file-create error; either way the folder
// is left as it was.
std::string SetAside(const std::string& fileName);

// Writes all `size` bytes to `fd`. Returns 0, or the errno of the failure.
int WriteAll(int fd, const void* data, std::size_t size);

// Flushes the folder holding `fileName`, so that names made or changed there survive a power
// cut. Returns 0, or the errno of the failure.
int FlushFolder(const std::string& fileName);

// Whether anything has the name `fileName`: a file, a folder, even a link to nothing.
bool NameTaken(const std::string& fileName);

// The n-th backup name of `fileName`: "テクスチャ-01.bmp" for "テクスチャ.bmp" and 1.
std::string BackupName(const std::string& fileName, int n);

// n in decimal, with a leading 0 while shorter than two characters: the number in the names
// of numbered files ("out00.bmp", "テクスチャ-01.bmp").
std::string TwoDigits(int n);

// The system calls that change the disk, replaceable so that tests can make a folder
// read-only, a disk full or a file system without hard links even when they run as root.
// Null restores the real ones.
using TOpenFunction = int (*)(const char* path, int flags, mode_t mode);
using TWriteFunction = ssize_t (*)(int fd, const void* data, std::size_t size);
using TFsyncFunction = int (*)(int fd);
using TLinkFunction = int (*)(const char* from, const char* to);
using TRenameFunction = int (*)(const char* from, const char* to);
void SetFileOutputFunctions(TOpenFunction open, TWriteFunction write,
                            TFsyncFunction fsync = nullptr, TLinkFunction link = nullptr,
                            TRenameFunction rename = nullptr);
