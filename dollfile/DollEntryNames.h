// The names a doll file's entries may have, checked before anything is read, so that no name
// can climb out of a folder, hide a control character or pass for a doll's picture.
#pragma once

#include <string>
#include <vector>

// A name as messages show it, quoted: control characters, and every byte of a name that is no
// UTF-8, written \xNN; the start only of a long name.
std::string QuotedEntryName(const std::string& name);

// Raises EDollFileError, naming the doll file `fileName`, for the first name that is absolute,
// has an empty, "." or ".." component, holds a NUL, a control character or a backslash, is not
// valid UTF-8 or is over 255 bytes; for two names that are the same, or the same once case and
// Unicode compatibility are folded; and for a name that folds to a picture's name without
// being it; and for a name that another name uses as a folder ("NAME" and "NAME/…").
void CheckEntryNames(const std::vector<std::string>& names, const std::string& fileName);
