#include "PaintSession.h"

#include <QByteArray>
#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>

#include "Scene.h"
#include "StrokeHistory.h"
#include "doll/Fill.h"
#include "doll/Nest.h"
#include "doll/Opening.h"
#include "framework/FileOutput.h"
#include "framework/TavoClock.h"

TPaint TPaintSession::Paint() const {
  const bool erases = PaintBrush.Tool == TBrushTool::Eraser;
  return {PaintBrush.Colour, erases ? FSession.Start.get() : nullptr, PaintBrush.Mirror};
}

// The level shows `skin` as its own; its outline, and so the geometry, stay.
void TPaintSession::ShowSkin(const TTavoBitmap& skin) {
  FScene.Doll.Nest[FSession.Level].Skin = CopyOfSkin(skin);
  ShowLevelSkin(FScene.Doll);
}

// The painted skin, with the sticker that floats laid on a copy of it.
void TPaintSession::ShowPainted() {
  if (!FSession.Sticker) return ShowSkin(*FSession.Skin);
  const std::unique_ptr<TTavoBitmap> shown = CopyOfSkin(*FSession.Skin);
  LaySticker(*shown);
  ShowSkin(*shown);
}

// Every change is shown at once and written in time.
void TPaintSession::Changed() {
  ShowPainted();
  FSession.Unwritten = true;
  if (!FSession.DueFrom) FSession.DueFrom = TimeGetTime();
}

// The level as its files hold it: the skin last written, or its pictures before the painting.
void TPaintSession::ShowFiles() {
  if (FSession.Written) return ShowSkin(*FSession.Written);
  TNest& nest = FScene.Doll.Nest;
  if (FSession.Before) {
    nest[FSession.Level] = *FSession.Before;
  } else {
    nest.erase(FSession.Level);
  }
  ShowLevelSkin(FScene.Doll);
}

namespace {

bool SameSkin(const TTavoBitmap& a, const TTavoBitmap& b) {
  return static_cast<const QImage&>(a) == static_cast<const QImage&>(b);
}

// The size `by` steps from `now` through `sizes`, stopping at either end.
template <std::size_t N>
int StepThrough(const int (&sizes)[N], int now, int by) {
  const std::ptrdiff_t at = std::find(sizes, sizes + N, now) - sizes;
  return sizes[std::clamp<std::ptrdiff_t>(at + by, 0, static_cast<std::ptrdiff_t>(N) - 1)];
}

}  // namespace

// Writes the painted skin in place of the level's skin file; the first write of the painting
// keeps the file it replaces and is the painting's step in the history.
void TPaintSession::WriteSkin() {
  const std::string path = FScene.PathOf(LevelSkinName(FSession.Level));
  const QByteArray bytes = EncodePicture(*FSession.Skin, "bmp", path);
  const std::string kept =
      ReplaceKeepingOld(path, bytes.constData(), static_cast<std::size_t>(bytes.size()),
                        FSession.Written ? &FSession.WrittenFile : nullptr);
  if (!FSession.Written) FScene.DollHistory.Record(path, kept, FSession.Level >= 2);
  FSession.WrittenFile = IdentityOf(path);
  FSession.Written = CopyOfSkin(*FSession.Skin);
}

bool TPaintSession::PaintingOn() const {
  return FSession.On;
}

void TPaintSession::BeginPainting() {
  const TDoll& doll = FScene.Doll;
  if (FSession.On || !DollAtRest(doll)) return;
  FSession = {};
  FSession.On = true;
  FSession.Level = doll.DollLevel;
  if (const auto own = doll.Nest.find(doll.DollLevel); own != doll.Nest.end())
    FSession.Before = own->second;
  FSession.Skin = CopyOfSkin(*doll.Nest.at(SkinLevel(doll.Nest, doll.DollLevel)).Skin);
  FSession.Start = CopyOfSkin(*FSession.Skin);
}

void TPaintSession::EndPainting() {
  if (!FSession.On) return;
  EndStroke(true);
  DropSticker();
  try {
    SavePainting();
  } catch (...) {
    ShowFiles();
    FSession = {};
    throw;
  }
  if (!FSession.Written) ShowFiles();  // it changed nothing
  FSession = {};
}

void TPaintSession::SavePainting() {
  if (!FSession.On || !FSession.Unwritten) return;
  // A painting that is back where it started before it was ever written has nothing to write.
  if (FSession.Written || !SameSkin(*FSession.Skin, *FSession.Start)) WriteSkin();
  FSession.Unwritten = false;
  FSession.DueFrom.reset();
}

void TPaintSession::SavePaintingWhenDue(std::uint32_t now) {
  if (!FSession.DueFrom || ElapsedMs(now, *FSession.DueFrom) < PaintingSavePause) return;
  FSession.DueFrom.reset();  // a write that fails waits for the next change
  SavePainting();
}

void TPaintSession::ForgetPainting() {
  FSession = {};
}

TViewPoint TPaintSession::ViewPoint(QPointF at, bool back) const {
  return {at, back, FScene.DrawnRotation + (back ? BackViewTurn : 0)};
}

// A line from the held brush to `at`, which it then holds; the view's last dab.
void TPaintSession::LayDab(const TViewPoint& at) {
  PaintLine(FScene.Doll, *FSession.Skin, FSession.Held, at.At, PaintBrush.Diameter, Paint());
  FSession.Held = at;
  FSession.LastDab[at.Back] = at.At;
  Changed();
}

bool TPaintSession::BeginStroke(const TViewPoint& at, bool line) {
  if (!FSession.On || FSession.StrokeStart) return false;
  FSession.StrokeStart = CopyOfSkin(*FSession.Skin);
  FSession.Held = at;  // a line of no length: one dab
  if (const std::optional<QPointF> last = FSession.LastDab[at.Back]; line && last)
    FSession.Held.At = *last;
  LayDab(at);
  return true;
}

void TPaintSession::StrokeTo(QPointF at) {
  if (!FSession.StrokeStart) return;
  TViewPoint to = FSession.Held;
  to.At = at;
  LayDab(to);
}

void TPaintSession::TurnHeldBrush(int rotation) {
  const int turned = rotation + (FSession.Held.Back ? BackViewTurn : 0);
  if (!FSession.StrokeStart || turned == FSession.Held.Rotation) return;
  PaintTurn(FScene.Doll, *FSession.Skin, FSession.Held, turned, PaintBrush.Diameter, Paint());
  FSession.Held.Rotation = turned;
  Changed();
}

void TPaintSession::EndStroke(bool keep) {
  if (!FSession.StrokeStart) return;
  std::unique_ptr<TTavoBitmap> start = std::move(FSession.StrokeStart);
  if (keep) {
    FSession.Strokes.Record(*start, *FSession.Skin);
    return;
  }
  FSession.Skin = std::move(start);
  Changed();
}

bool TPaintSession::StrokeUnderWay() const {
  return FSession.StrokeStart != nullptr;
}

bool TPaintSession::UndoStroke() {
  if (!FSession.On || FSession.StrokeStart || !FSession.Strokes.Undo(*FSession.Skin)) return false;
  Changed();
  return true;
}

bool TPaintSession::RedoStroke() {
  if (!FSession.On || FSession.StrokeStart || !FSession.Strokes.Redo(*FSession.Skin)) return false;
  Changed();
  return true;
}

std::size_t TPaintSession::StrokesToUndo() const {
  return FSession.Strokes.UndoCount();
}

std::size_t TPaintSession::StrokesToRedo() const {
  return FSession.Strokes.RedoCount();
}

void TPaintSession::StepBrushSize(int by) {
  PaintBrush.Diameter = StepThrough(BrushDiameters, PaintBrush.Diameter, by);
}

bool TPaintSession::PickColourAt(const TViewPoint& at) {
  const std::optional<Pixel24> colour = SkinColourAt(FScene.Doll, at);
  if (!colour) return false;
  PaintBrush.Colour = *colour;
  if (PaintBrush.Tool == TBrushTool::Eraser) PaintBrush.Tool = TBrushTool::Brush;
  return true;
}

bool TPaintSession::FillAt(const TViewPoint& at) {
  const std::optional<QPoint> seed = SkinTexelAt(FScene.Doll, at);
  if (!FSession.On || FSession.StrokeStart || !seed) return false;
  const std::unique_ptr<TTavoBitmap> before = CopyOfSkin(*FSession.Skin);
  FillSkin(*FSession.Skin, *seed, PaintBrush.Tolerance, {PaintBrush.Colour});
  FSession.Strokes.Record(*before, *FSession.Skin);
  Changed();
  return true;
}

void TPaintSession::FloatSticker(QImage picture, const TViewPoint& at) {
  if (!FSession.On) return;
  FSession.Sticker = std::make_unique<TStickerPicture>(std::move(picture));
  FSession.StickerAt = at;
  FSession.StickerWidth = StickerStartWidth;
  ShowPainted();
}

bool TPaintSession::StickerFloats() const {
  return FSession.Sticker != nullptr;
}

void TPaintSession::MoveSticker(const TViewPoint& at) {
  if (!FSession.Sticker) return;
  FSession.StickerAt = at;
  ShowPainted();
}

void TPaintSession::TurnSticker(int rotation) {
  const int turned = rotation + (FSession.StickerAt.Back ? BackViewTurn : 0);
  if (!FSession.Sticker || turned == FSession.StickerAt.Rotation) return;
  FSession.StickerAt.Rotation = turned;
  ShowPainted();
}

void TPaintSession::StepStickerSize(int by) {
  if (!FSession.Sticker) return;
  FSession.StickerWidth = StepThrough(StickerWidths, FSession.StickerWidth, by);
  ShowPainted();
}

QRectF TPaintSession::StickerRect() const {
  if (!FSession.Sticker) return {};
  const QSizeF size = FSession.Sticker->SizeAt(FSession.StickerWidth);
  return {FSession.StickerAt.At - QPointF(size.width(), size.height()) / 2, size};
}

// The floating sticker on `skin`, and its mirror image where the mirror is on.
void TPaintSession::LaySticker(TTavoBitmap& skin) {
  const QSize size = FSession.Sticker->SizeAt(FSession.StickerWidth);
  const QImage& picture = FSession.Sticker->ShrunkTo(size);
  ::PlaceSticker(FScene.Doll, skin, FSession.StickerAt, size, picture, false);
  if (PaintBrush.Mirror)
    ::PlaceSticker(FScene.Doll, skin, Mirrored(FSession.StickerAt), size, picture, true);
}

void TPaintSession::PlaceSticker() {
  if (!FSession.Sticker || FSession.StrokeStart) return;
  const std::unique_ptr<TTavoBitmap> before = CopyOfSkin(*FSession.Skin);
  LaySticker(*FSession.Skin);
  FSession.Sticker.reset();
  FSession.Strokes.Record(*before, *FSession.Skin);
  Changed();
}

void TPaintSession::DropSticker() {
  if (!FSession.Sticker) return;
  FSession.Sticker.reset();
  ShowPainted();
}
