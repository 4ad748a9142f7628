#include "Opening.h"

#include <cmath>
#include <cstring>

#include "Geometry.h"
#include "Nest.h"
#include "ShapeProfile.h"

namespace {

constexpr int Step = 10;  // rows each half moves per frame

// Runs the three passes of one step over rows 0..199: `moveUp(i)` copies row i + 10 into
// row i (ascending), `moveDown(i)` row i − 10 into row i (descending), `reveal(i)` the nested
// doll's row i into row i. Rows of a range outside 0..199 are skipped.
template <class MoveUp, class MoveDown, class Reveal>
void ShiftRows(MoveUp moveUp, MoveDown moveDown, Reveal reveal) {
  const int split = SplitRow;
  const int moved = OpenProgress;
  for (int i = 0; i <= split - moved - Step; ++i)
    if (i >= 0 && i < DollRows) moveUp(i);
  for (int i = DollRows - 1; i >= split + moved + Step; --i)
    if (i >= 0 && i < DollRows) moveDown(i);
  for (int i = split - moved - Step + 1; i <= split + moved + Step - 1; ++i)
    if (i >= 0 && i < DollRows) reveal(i);
}

void CopyTextureRow(const TTavoBitmap& from, int fromRow, TTavoBitmap& to, int toRow) {
  std::memcpy(to.Rows[toRow].Data(), from.Rows[fromRow].Data(), TextureColumns * sizeof(Pixel24));
}

}  // namespace

void OpenDoll() {
  MakeLevelAtRest(DollLevel + 1, DollLevel);
  ++DollLevel;
  OpenProgress = 0;
  CloseProgress = OpenProgressAtRest;
}

bool DollAtRest() {
  return OpenProgress == OpenProgressAtRest && CloseProgress == OpenProgressAtRest;
}

void AdvanceOpening() {
  ShiftProfileRows();
  RefreshGeometry();
  ShiftTextureRows();
  OpenProgress = std::min(OpenProgress + Step, OpenProgressAtRest);
}

bool CanCloseDoll() {
  return DollAtRest() && DollLevel >= 2;
}

void CloseDoll() {
  const int outer = DollLevel - 1;
  MakeLevelAtRest(outer, 0);
  const DollProfile rest = CurrentProfile;
  const std::unique_ptr<TTavoBitmap> restSkin = CopyOfSkin(*TextureCopy);
  MakeLevelAtRest(DollLevel, outer);  // what the opening of `outer` reveals
  SetCurrentProfile(rest);
  DrawOnTextureCopy(*restSkin);
  DollLevel = outer;
  CloseProgress = 0;
}

void AdvanceClosing() {
  CloseProgress = std::min(CloseProgress + Step, OpenProgressAtRest);
  ShowOpenedBy(OpenProgressAtRest - CloseProgress);
}

void ShowOpenedBy(int apart) {
  // The halves of the doll at rest, `apart` rows from where they were, and the nested doll
  // between them; row SplitRow is in both halves.
  const auto restRow = [apart, split = SplitRow](int i) {
    if (i <= split - apart) return i + apart;
    if (i >= split + apart) return i - apart;
    return -1;
  };
  for (int i = 0; i < DollRows; ++i)
    DisplayedProfile[i] = restRow(i) < 0 ? InnerProfile[i] : CurrentProfile[restRow(i)];
  RefreshGeometry();
  TTavoBitmap& t = *Texture;
  if (t.width() < TextureColumns) throw ERangeError();
  for (int i = 0; i < DollRows; ++i) {
    if (restRow(i) < 0) {
      CopyTextureRow(*InnerTexture, i, t, i);
    } else {
      CopyTextureRow(*TextureCopy, restRow(i), t, i);
    }
  }
}

void MakeInnerProfile() {
  InnerProfile = NestedProfile(CurrentProfile, SplitRow);
}

void MakeInnerTexture() {
  NestSkin(*TextureCopy, *InnerTexture, SplitRow);
}

void ShiftProfileRows() {
  DollProfile& p = DisplayedProfile;
  ShiftRows([&](int i) { p[i] = p[i + Step]; }, [&](int i) { p[i] = p[i - Step]; },
            [&](int i) { p[i] = InnerProfile[i]; });
}

void ShiftTextureRows() {
  TTavoBitmap& t = *Texture;
  if (t.width() < TextureColumns) throw ERangeError();
  ShiftRows([&](int i) { CopyTextureRow(t, i + Step, t, i); },
            [&](int i) { CopyTextureRow(t, i - Step, t, i); },
            [&](int i) { CopyTextureRow(*InnerTexture, i, t, i); });
}

void DrawOnTextureCopy(const TTavoBitmap& bitmap) {
  bitmap.DrawOn(*TextureCopy, 0, 0);
}
