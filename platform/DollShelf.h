// The shelf: every doll in ~/Kavinel, the folder itself first, and what a person does with
// them (a new doll, a duplicate, a rename, the trash and back), and the doll the program shows
// next time. Nothing here ever replaces or deletes a person's file.
#pragma once

#include <ctime>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <QByteArray>

#include "framework/FileOutput.h"

// A doll on the shelf: its folder and its level pictures (regular files only) as they are now.
struct TShelfDoll {
  std::string Folder;
  std::vector<std::pair<std::string, TFileIdentity>> Pictures;
  timespec Changed{};  // the newest change to the folder or a picture
};

// The dolls of `shelf`: `shelf` itself, then each folder directly inside it that holds the outer
// doll's outline or skin, newest change first. Folders whose names start with a dot, files and
// links are not dolls.
std::vector<TShelfDoll> ListShelf(const std::string& shelf);

// Whether `folder` is `shelf` or one of its dolls as ListShelf finds them.
bool OnShelf(const std::string& shelf, const std::string& folder);

// The name the shelf shows for the doll of `folder`: for `shelf` itself "わたしの人形" in the
// language in use, for the others their folder's name, printable.
std::string ShelfName(const std::string& shelf, const std::string& folder);

// Where the program keeps what it can make again (the index, the shelf's pictures), in the
// desktop's cache folder.
std::string CacheFolder();

// The doll the menu entry starts: the one last remembered, where it is still on `shelf`;
// otherwise `shelf`.
std::string RememberedDoll(const std::string& shelf);
// Remembers `folder` when it is on `shelf`, flushed at once so that a crash does not forget it.
void RememberDoll(const std::string& shelf, const std::string& folder);

// New dolls are named so that the shelf shows every name once: the first of NAME, "NAME-2", …
// that no doll shows and no file or folder in `shelf` has.

// A new doll of the sample's pictures from `samples`, named after "人形" in the language in use,
// made in a temporary folder and moved into place. Returns its folder.
std::string NewDoll(const std::string& shelf, const std::string& samples);
// A copy of `folder`'s level pictures, byte for byte, named after the name the shelf shows for
// it.
std::string DuplicateDoll(const std::string& shelf, const std::string& folder);
// Renames `folder` to `name` in its own parent, the shelf, never over anything; a name that a
// doll file's folder could not have, that another doll shows or that a folder has raises an
// error saying why. Returns the new path.
std::string RenameDoll(const std::string& folder, const std::string& name);
// Moves `folder` to the desktop's trash and returns where it went there; raises an error naming
// the folder when the trash cannot take it.
std::string TrashDoll(const std::string& folder);
// Moves `inTrash` back to `folder` (never over anything) and removes its trash entry.
void RestoreFromTrash(const std::string& inTrash, const std::string& folder);
