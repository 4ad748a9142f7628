#include "FuzzTarget.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "doll/Nest.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollUnpack.h"
#include "framework/TavoBmp.h"
#include "pictures/BmpRegion.h"
#include "pictures/ImageInput.h"
#include "pictures/PictureReader.h"

// AddressSanitizer brings a malloc of its own, on which mallopt does nothing; clang 14 tells
// of it only through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define KAVINEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KAVINEL_ASAN 1
#endif
#endif

#ifdef KAVINEL_ASAN
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

namespace {

#ifdef KAVINEL_ASAN
// Only the loading thread's blocks: the fuzzer's own threads allocate too. calloc clears a
// block after this hook only when it is small; the readers make no large one.
thread_local std::uint8_t FreshMemoryByte = 0;

void FillNewBlock(const volatile void* block, std::size_t size) {
  if (FreshMemoryByte != 0) std::memset(const_cast<void*>(block), FreshMemoryByte, size);
}
void IgnoreFree(const volatile void*) {}
#endif

// From now on, blocks this thread allocates start out filled with a pattern of `byte`
// (0: as the allocator leaves them).
void FillFreshMemoryWith(std::uint8_t byte) {
  PrepareFreshMemoryFill();
#ifdef KAVINEL_ASAN
  FreshMemoryByte = byte;
#else
  mallopt(M_PERTURB, byte);  // glibc writes the byte's complement into each new block
#endif
}

template <typename Read>
void OverFilledMemory(std::uint8_t fill, Read read) {
  FillFreshMemoryWith(fill);
  try {
    read();
  } catch (...) {
    FillFreshMemoryWith(0);
    throw;
  }
  FillFreshMemoryWith(0);
}

void LoadOverFilledMemory(TTavoBitmap& bitmap, const std::string& fileName, std::uint8_t fill) {
  OverFilledMemory(fill, [&] { bitmap.LoadFromFileAuto(fileName); });
}

// The text of the program's error that `read` raises, or "" when it reads the file.
template <typename Read>
std::string RefusalOf(Read read) {
  try {
    read();
  } catch (const ETavoError& refusal) {
    return refusal.what();
  }
  return "";
}

// The skin's top-left as the doll reads it must be that of `whole`, the same file loaded
// whole, and be refused exactly when the whole load was, with the same `refusal`.
void CompareSkinRegion(const TTavoBitmap& whole, const std::string& refusal,
                       const std::string& fileName) {
  TBmpRegion region;
  const std::string regionRefusal = RefusalOf([&] {
    OverFilledMemory(0xA5, [&] { region = ReadBmpRegion(fileName, TextureColumns, DollRows); });
  });
  if (regionRefusal != refusal) std::abort();
  if (!refusal.empty()) return;
  const QImage& corner = region.Picture;
  const bool sized = region.Width == whole.width() && region.Height == whole.height() &&
                     corner.format() == QImage::Format_BGR888 &&
                     corner.width() == std::min(whole.width(), TextureColumns) &&
                     corner.height() == std::min(whole.height(), DollRows);
  if (!sized) std::abort();
  const auto rowBytes = static_cast<std::size_t>(3 * corner.width());
  for (int y = 0; y < corner.height(); ++y)
    if (std::memcmp(corner.constScanLine(y), whole.Rows[y].Data(), rowBytes) != 0) std::abort();
}

QImage DropOverFilledMemory(const std::string& fileName, std::uint8_t fill) {
  QImage picture;
  OverFilledMemory(fill, [&] { picture = ReadPicture(fileName); });
  return picture;
}

void ReadDroppedPicture(const std::string& fileName) {
  const QImage picture = DropOverFilledMemory(fileName, 0x5A);
  const bool consistent = picture.format() == QImage::Format_RGB32 &&
                          picture.width() <= MaxImageSide && picture.height() <= MaxImageSide;
  if (!consistent) std::abort();
  const QImage again = DropOverFilledMemory(fileName, 0xA5);
  if (again.size() != picture.size()) std::abort();
  const auto rowBytes = static_cast<std::size_t>(4 * picture.width());
  for (int y = 0; y < picture.height(); ++y)
    if (std::memcmp(picture.constScanLine(y), again.constScanLine(y), rowBytes) != 0) std::abort();
}

// Reads every picture of a doll file as opening it does, from memory: an outer doll within
// its bounds, or one of the program's errors.
void ReadDollFile(const std::string& fileName) {
  TDollFile doll(fileName);
  const TOuterDoll outer = ReadDollPictures(doll);
  for (const int r : outer.Outline)
    if (r < 0 || r > MaxRadius) std::abort();
  if (!outer.Skin || outer.Skin->width() != TextureColumns || outer.Skin->height() != DollRows)
    std::abort();
}

}  // namespace

void PrepareFreshMemoryFill() {
  static const bool prepared = [] {
#ifdef KAVINEL_ASAN
    return __sanitizer_install_malloc_and_free_hooks(FillNewBlock, IgnoreFree) != 0;
#else
    // Every block up to the largest file a reader takes comes from the heap: realloc grows a
    // block of its own mapping with fresh zero pages, which M_PERTURB never fills.
    return mallopt(M_MMAP_THRESHOLD, static_cast<int>(MaxImageFileBytes)) == 1;
#endif
  }();
  if (!prepared) std::abort();  // without the fill, the two loads below prove nothing
}

FuzzReader ReaderOf(std::uint8_t selector) {
  switch (selector % 5) {
    case 0:
      return FuzzReader::Bmp;
    case 1:
      return FuzzReader::Jpeg;
    case 2:
      return FuzzReader::Shape;
    case 3:
      return FuzzReader::Picture;
    default:
      return FuzzReader::Doll;
  }
}

const char* InputName(FuzzReader reader) {
  switch (reader) {
    case FuzzReader::Jpeg:
      return "input.jpg";
    case FuzzReader::Picture:
      return "input.picture";
    case FuzzReader::Doll:
      return "input.kavinel";
    default:
      return "input.bmp";
  }
}

void ReadLikeTheProgram(FuzzReader reader, const std::string& fileName) {
  try {
    if (reader == FuzzReader::Shape) {
      const DollProfile profile = ReadShapeProfile(fileName);
      for (int r : profile)
        if (r < 0 || r > MaxRadius) std::abort();
      return;
    }
    if (reader == FuzzReader::Picture) return ReadDroppedPicture(fileName);
    if (reader == FuzzReader::Doll) return ReadDollFile(fileName);
    TTavoBitmap bitmap;
    const std::string refusal = RefusalOf([&] { LoadOverFilledMemory(bitmap, fileName, 0x5A); });
    if (reader == FuzzReader::Bmp) CompareSkinRegion(bitmap, refusal, fileName);
    if (!refusal.empty()) return;
    const bool consistent = bitmap.format() == QImage::Format_BGR888 &&
                            bitmap.Rows.Count() == bitmap.height() &&
                            bitmap.width() <= MaxImageSide && bitmap.height() <= MaxImageSide;
    if (!consistent) std::abort();
    // The same file must always give the same pixels: a byte the reader never writes keeps
    // the fill, which differs between the two loads.
    TTavoBitmap again;
    LoadOverFilledMemory(again, fileName, 0xA5);
    const auto rowBytes = static_cast<std::size_t>(3 * bitmap.width());
    for (int y = 0; y < bitmap.height(); ++y)
      if (std::memcmp(bitmap.Rows[y].Data(), again.Rows[y].Data(), rowBytes) != 0) std::abort();
  } catch (const ETavoError&) {
    // One of the program's own errors: the reader refused the file, as it should.
  }
}
