// Inputs the image fuzzer once found troublesome, read again as the fuzzer reads them: each
// must end in a picture or one of the program's own errors.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "fuzz/FuzzTarget.h"

namespace {

TEST(FuzzRegressions, EveryRecordedInputEndsInAPictureOrAnError) {
  ScratchFolder folder;
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KAVINEL_FUZZ_REGRESSIONS)) {
    const Bytes input = ReadBytes(entry.path().string());
    if (input.empty() || entry.path().extension() == ".md") continue;
    const FuzzReader reader = ReaderOf(input[0]);
    const std::string name = folder.Path(InputName(reader));
    WriteBytes(name, Bytes(input.begin() + 1, input.end()));
    EXPECT_NO_THROW(ReadLikeTheProgram(reader, name)) << entry.path();
    ++replayed;
  }
  RecordProperty("replayed", replayed);
  EXPECT_GT(replayed, 0) << "nothing to replay in " << KAVINEL_FUZZ_REGRESSIONS;
}

}  // namespace
