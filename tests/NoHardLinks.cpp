// link() and linkat() failing as they do on a file system without hard links (FAT, exFAT),
// for a test program started with this library in LD_PRELOAD.
#include <cerrno>

extern "C" int link(const char*, const char*) {
  errno = EPERM;
  return -1;
}

extern "C" int linkat(int, const char*, int, const char*, int) {
  errno = EPERM;
  return -1;
}
