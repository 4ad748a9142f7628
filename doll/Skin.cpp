#include "Skin.h"

#include <cstring>

#include "ResamplerTables.h"

namespace {
constexpr int RowBytes = 3 * TextureColumns;
}  // namespace

// Each row's bytes as its sums were worked out from, so that a row written through the row
// table since is known by its bytes alone.
struct TSkin::TRowSumsCache {
  std::uint8_t Copy[DollRows][RowBytes];
  bool Known[DollRows] = {};
  TextureRowSums Sums[DollRows];
};

TSkin::TSkin() = default;
TSkin::~TSkin() = default;

TSkin::TSkin(const TSkin& other) : TTavoBitmap(other) {}

TSkin& TSkin::operator=(const TSkin& other) {
  TTavoBitmap::operator=(other);
  FSums.reset();
  return *this;
}

const TextureRowSums& TSkin::RowSums(int y) const {
  CheckIndex(y, DollRows);
  if (!FSums) FSums = std::make_unique<TRowSumsCache>();
  const Pixel24* row = Rows[y].Data();
  if (!FSums->Known[y] || std::memcmp(FSums->Copy[y], row, RowBytes) != 0) {
    std::memcpy(FSums->Copy[y], row, RowBytes);
    BuildRowSums(row, FSums->Sums[y]);
    FSums->Known[y] = true;
  }
  return FSums->Sums[y];
}
