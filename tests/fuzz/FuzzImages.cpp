// Fuzzing the picture readers and the doll file's unpacking. The first byte of an input, by
// its remainder by five, chooses what reads the rest: 0 the BMP reader, 1 the JPEG reader (by
// the file name's ending, as the program does), 2 the shape-profile reading, 3 the reader of
// dropped pictures (PNG, GIF, WebP, TIFF, BMP, JPEG and whatever else it takes, by their
// contents), 4 the unpacking of a doll file. Every input must end in a picture (or a doll's
// pictures) or one of the program's own errors; anything else (a crash, another exception, a
// hang, a huge allocation) is a finding. With KAVINEL_FUZZ_DOLL_FILES set, only the inputs
// that choose a doll file are read, so that a run can hold doll files to tighter memory limits
// than pictures, and its findings replay as they were found.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "FuzzTarget.h"

namespace {

std::string ScratchFolder() {
  std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
  pattern += "/kavinel-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) std::abort();
  return pattern;
}

}  // namespace

// Before the fuzzer starts threads of its own.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  PrepareFreshMemoryFill();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = ScratchFolder();
  if (size < 1) return 0;
  static const bool dollFiles = std::getenv("KAVINEL_FUZZ_DOLL_FILES") != nullptr;
  const FuzzReader reader = ReaderOf(data[0]);
  if (dollFiles && reader != FuzzReader::Doll) return 0;
  const std::string name = folder + "/" + InputName(reader);
  {
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  ReadLikeTheProgram(reader, name);
  return 0;
}
