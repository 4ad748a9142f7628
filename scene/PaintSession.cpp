#include "PaintSession.h"

#include <QByteArray>
#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>

#include "Scene.h"
#include "StrokeHistory.h"
#include "doll/Nest.h"
#include "doll/Opening.h"
#include "framework/FileOutput.h"
#include "framework/TavoClock.h"

TPaint TPaintSession::Paint() const {
  return PaintBrush.Erases ? TPaint{{}, FSession.Start.get()} : TPaint{PaintBrush.Colour, nullptr};
}

// The level shows `skin` as its own; its outline, and so the geometry, stay.
void TPaintSession::ShowSkin(const TTavoBitmap& skin) {
  FScene.Doll.Nest[FSession.Level].Skin = CopyOfSkin(skin);
  ShowLevelSkin(FScene.Doll);
}

// Every change is shown at once and written in time.
void TPaintSession::Changed() {
  ShowSkin(*FSession.Skin);
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

bool TPaintSession::BeginStroke(const TViewPoint& at) {
  if (!FSession.On || FSession.StrokeStart) return false;
  FSession.StrokeStart = CopyOfSkin(*FSession.Skin);
  FSession.Held = at;
  PaintDab(FScene.Doll, *FSession.Skin, at, PaintBrush.Diameter, Paint());
  Changed();
  return true;
}

void TPaintSession::StrokeTo(QPointF at) {
  if (!FSession.StrokeStart) return;
  PaintLine(FScene.Doll, *FSession.Skin, FSession.Held, at, PaintBrush.Diameter, Paint());
  FSession.Held.At = at;
  Changed();
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
  const auto* sizes = std::begin(BrushDiameters);
  const auto last = static_cast<std::ptrdiff_t>(std::size(BrushDiameters)) - 1;
  const std::ptrdiff_t now =
      std::find(sizes, std::end(BrushDiameters), PaintBrush.Diameter) - sizes;
  PaintBrush.Diameter = sizes[std::clamp<std::ptrdiff_t>(now + by, 0, last)];
}

bool TPaintSession::PickColourAt(const TViewPoint& at) {
  const std::optional<Pixel24> colour = SkinColourAt(FScene.Doll, at);
  if (!colour) return false;
  PaintBrush.Colour = *colour;
  PaintBrush.Erases = false;
  return true;
}
