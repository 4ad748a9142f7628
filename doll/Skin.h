// A skin as the renderer reads it: the picture, and beside it the running sums of each row
// that the renderer's fast path reads, worked out again only for a row whose bytes changed.
#pragma once

#include <memory>

#include "framework/TavoBmp.h"

struct TextureRowSums;

class TSkin : public TTavoBitmap {
 public:
  TSkin();
  ~TSkin();
  // A copy holds the same pixels and works out its own sums.
  TSkin(const TSkin& other);
  TSkin& operator=(const TSkin& other);

  // The sums of row y as its bytes are now. The skin must be at least TextureColumns wide.
  // Not to be called from two threads at once on one skin.
  const TextureRowSums& RowSums(int y) const;

 private:
  struct TRowSumsCache;
  mutable std::unique_ptr<TRowSumsCache> FSums;
};
