// Writing a file that must not exist yet, whole or not at all.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

// Creates `fileName` so that no existing file (or link, or folder) can ever be replaced,
// and writes `size` bytes into it. Returns false, writing nothing, when the name is taken.
// A failed write removes the partial file and raises the file-create error naming it.
bool WriteNewFile(const std::string& fileName, const void* data, std::size_t size);

// n in decimal, with a leading 0 while shorter than two characters: the number in the names
// of numbered files ("out00.bmp", "テクスチャ-01.bmp").
std::string TwoDigits(int n);

// The system calls WriteNewFile makes, replaceable so that tests can make a folder
// read-only or a disk full even when they run as root. Null restores the real ones.
using TOpenFunction = int (*)(const char* path, int flags, mode_t mode);
using TWriteFunction = ssize_t (*)(int fd, const void* data, std::size_t size);
void SetFileOutputFunctions(TOpenFunction open, TWriteFunction write);
