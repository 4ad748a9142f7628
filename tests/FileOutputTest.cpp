// Swapping any of the doll's files for a new one: the old one is kept under the first free
// backup name of its own.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "doll/DollTypes.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"

namespace {

TEST(FileOutput, EachDollFileIsKeptUnderTheFirstFreeBackupNameOfItsOwn) {
  const ScratchFolder scratch;
  const std::string folder = scratch.Path("my.dolls/");  // a dot in the folder's name
  std::filesystem::create_directory(folder);
  const struct {
    std::string File, Taken, Backup;
  } rows[] = {{TextureFileName, "テクスチャ-01.bmp", "テクスチャ-02.bmp"},
              {ShapeFileName, "シェイプ-01.bmp", "シェイプ-02.bmp"}};
  for (const auto& row : rows) {
    WriteBytes(folder + row.File, {'o', 'l', 'd'});
    WriteBytes(folder + row.Taken, {'t'});
    EXPECT_EQ(ReplaceKeepingOld(folder + row.File, "new", 3), folder + row.Backup);
    EXPECT_EQ(ReadBytes(folder + row.File), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(ReadBytes(folder + row.Backup), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(ReadBytes(folder + row.Taken), (Bytes{'t'}));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 6);
}

}  // namespace
