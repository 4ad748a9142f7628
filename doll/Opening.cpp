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
void ShiftRows(const TDoll& doll, MoveUp moveUp, MoveDown moveDown, Reveal reveal) {
  const int split = doll.SplitRow;
  const int moved = doll.OpenProgress;
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

void OpenDoll(TDoll& doll) {
  MakeLevelAtRest(doll, doll.DollLevel + 1, doll.DollLevel);
  ++doll.DollLevel;
  doll.OpenProgress = 0;
  doll.CloseProgress = OpenProgressAtRest;
}

bool DollAtRest(const TDoll& doll) {
  return doll.OpenProgress == OpenProgressAtRest && doll.CloseProgress == OpenProgressAtRest;
}

void AdvanceOpening(TDoll& doll) {
  ShiftProfileRows(doll);
  doll.View.RefreshGeometry();
  ShiftTextureRows(doll);
  doll.OpenProgress = std::min(doll.OpenProgress + Step, OpenProgressAtRest);
}

bool CanCloseDoll(const TDoll& doll) {
  return DollAtRest(doll) && doll.DollLevel >= 2;
}

void CloseDoll(TDoll& doll) {
  const int outer = doll.DollLevel - 1;
  MakeLevelAtRest(doll, outer, 0);
  const DollProfile rest = doll.CurrentProfile;
  const std::unique_ptr<TTavoBitmap> restSkin = CopyOfSkin(doll.TextureCopy);
  MakeLevelAtRest(doll, doll.DollLevel, outer);  // what the opening of `outer` reveals
  SetCurrentProfile(doll, rest);
  DrawOnTextureCopy(doll, *restSkin);
  doll.DollLevel = outer;
  doll.CloseProgress = 0;
}

void AdvanceClosing(TDoll& doll) {
  doll.CloseProgress = std::min(doll.CloseProgress + Step, OpenProgressAtRest);
  ShowOpenedBy(doll, OpenProgressAtRest - doll.CloseProgress);
}

void ShowOpenedBy(TDoll& doll, int apart) {
  // The halves of the doll at rest, `apart` rows from where they were, and the nested doll
  // between them; row SplitRow is in both halves.
  const auto restRow = [apart, split = doll.SplitRow](int i) {
    if (i <= split - apart) return i + apart;
    if (i >= split + apart) return i - apart;
    return -1;
  };
  for (int i = 0; i < DollRows; ++i)
    doll.View.DisplayedProfile[i] =
        restRow(i) < 0 ? doll.InnerProfile[i] : doll.CurrentProfile[restRow(i)];
  doll.View.RefreshGeometry();
  TTavoBitmap& t = doll.Texture;
  if (t.width() < TextureColumns) throw ERangeError();
  for (int i = 0; i < DollRows; ++i) {
    if (restRow(i) < 0) {
      CopyTextureRow(doll.InnerTexture, i, t, i);
    } else {
      CopyTextureRow(doll.TextureCopy, restRow(i), t, i);
    }
  }
}

void MakeInnerProfile(TDoll& doll) {
  doll.InnerProfile = NestedProfile(doll.CurrentProfile, doll.SplitRow);
}

void MakeInnerTexture(TDoll& doll) {
  NestSkin(doll.TextureCopy, doll.InnerTexture, doll.SplitRow);
}

void ShiftProfileRows(TDoll& doll) {
  DollProfile& p = doll.View.DisplayedProfile;
  ShiftRows(
      doll, [&](int i) { p[i] = p[i + Step]; }, [&](int i) { p[i] = p[i - Step]; },
      [&](int i) { p[i] = doll.InnerProfile[i]; });
}

void ShiftTextureRows(TDoll& doll) {
  TTavoBitmap& t = doll.Texture;
  if (t.width() < TextureColumns) throw ERangeError();
  ShiftRows(
      doll, [&](int i) { CopyTextureRow(t, i + Step, t, i); },
      [&](int i) { CopyTextureRow(t, i - Step, t, i); },
      [&](int i) { CopyTextureRow(doll.InnerTexture, i, t, i); });
}

void DrawOnTextureCopy(TDoll& doll, const TTavoBitmap& bitmap) {
  bitmap.DrawOn(doll.TextureCopy, 0, 0);
}
