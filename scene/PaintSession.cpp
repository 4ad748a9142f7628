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

TBrush PaintBrush;

namespace {

struct TPainting {
  bool On = false;
  int Level = 1;
  std::unique_ptr<TTavoBitmap> Skin;     // the level's full-size skin, painted
  std::unique_ptr<TTavoBitmap> Start;    // as the painting found it: what the eraser lays
  std::optional<TLevelPictures> Before;  // the level's own pictures then, if it had any
  TStrokeHistory Strokes;
  std::unique_ptr<TTavoBitmap> StrokeStart;  // while a stroke is held: the skin at its press
  TViewPoint Held;                           // where the held brush last touched
  std::unique_ptr<TTavoBitmap> Written;      // the skin as last written, if it was
  TFileIdentity WrittenFile;                 // the file that write made
  bool Unwritten = false;                    // changes since
  std::optional<std::uint32_t> DueFrom;      // when the first of them came
};

TPainting Session;

TPaint Paint() {
  return PaintBrush.Erases ? TPaint{{}, Session.Start.get()} : TPaint{PaintBrush.Colour, nullptr};
}

// The level shows `skin` as its own; its outline, and so the geometry, stay.
void ShowSkin(const TTavoBitmap& skin) {
  Nest[Session.Level].Skin = CopyOfSkin(skin);
  ShowLevelSkin();
}

// Every change is shown at once and written in time.
void Changed() {
  ShowSkin(*Session.Skin);
  Session.Unwritten = true;
  if (!Session.DueFrom) Session.DueFrom = TimeGetTime();
}

// The level as its files hold it: the skin last written, or its pictures before the painting.
void ShowFiles() {
  if (Session.Written) return ShowSkin(*Session.Written);
  if (Session.Before) {
    Nest[Session.Level] = *Session.Before;
  } else {
    Nest.erase(Session.Level);
  }
  ShowLevelSkin();
}

bool SameSkin(const TTavoBitmap& a, const TTavoBitmap& b) {
  return static_cast<const QImage&>(a) == static_cast<const QImage&>(b);
}

// Writes the painted skin in place of the level's skin file; the first write of the painting
// keeps the file it replaces and is the painting's step in the history.
void WriteSkin() {
  const std::string name = LevelSkinName(Session.Level);
  const QByteArray bytes = EncodePicture(*Session.Skin, "bmp", name);
  const std::string kept =
      ReplaceKeepingOld(name, bytes.constData(), static_cast<std::size_t>(bytes.size()),
                        Session.Written ? &Session.WrittenFile : nullptr);
  if (!Session.Written) DollHistory.Record(name, kept, Session.Level >= 2);
  Session.WrittenFile = IdentityOf(name);
  Session.Written = CopyOfSkin(*Session.Skin);
}

}  // namespace

bool PaintingOn() {
  return Session.On;
}

void BeginPainting() {
  if (Session.On || !DollAtRest()) return;
  Session = {};
  Session.On = true;
  Session.Level = DollLevel;
  if (const auto own = Nest.find(DollLevel); own != Nest.end()) Session.Before = own->second;
  Session.Skin = CopyOfSkin(*Nest.at(SkinLevel(DollLevel)).Skin);
  Session.Start = CopyOfSkin(*Session.Skin);
  PaintBrush = {};
}

void EndPainting() {
  if (!Session.On) return;
  EndStroke(true);
  try {
    SavePainting();
  } catch (...) {
    ShowFiles();
    Session = {};
    throw;
  }
  if (!Session.Written) ShowFiles();  // it changed nothing
  Session = {};
}

void SavePainting() {
  if (!Session.On || !Session.Unwritten) return;
  // A painting that is back where it started before it was ever written has nothing to write.
  if (Session.Written || !SameSkin(*Session.Skin, *Session.Start)) WriteSkin();
  Session.Unwritten = false;
  Session.DueFrom.reset();
}

void SavePaintingWhenDue(std::uint32_t now) {
  if (!Session.DueFrom || ElapsedMs(now, *Session.DueFrom) < PaintingSavePause) return;
  Session.DueFrom.reset();  // a write that fails waits for the next change
  SavePainting();
}

void ForgetPainting() {
  Session = {};
}

TViewPoint ViewPoint(QPointF at, bool back) {
  return {at, back, DrawnRotation + (back ? BackViewTurn : 0)};
}

bool BeginStroke(const TViewPoint& at) {
  if (!Session.On || Session.StrokeStart) return false;
  Session.StrokeStart = CopyOfSkin(*Session.Skin);
  Session.Held = at;
  PaintDab(*Session.Skin, at, PaintBrush.Diameter, Paint());
  Changed();
  return true;
}

void StrokeTo(QPointF at) {
  if (!Session.StrokeStart) return;
  PaintLine(*Session.Skin, Session.Held, at, PaintBrush.Diameter, Paint());
  Session.Held.At = at;
  Changed();
}

void TurnHeldBrush(int rotation) {
  const int turned = rotation + (Session.Held.Back ? BackViewTurn : 0);
  if (!Session.StrokeStart || turned == Session.Held.Rotation) return;
  PaintTurn(*Session.Skin, Session.Held, turned, PaintBrush.Diameter, Paint());
  Session.Held.Rotation = turned;
  Changed();
}

void EndStroke(bool keep) {
  if (!Session.StrokeStart) return;
  std::unique_ptr<TTavoBitmap> start = std::move(Session.StrokeStart);
  if (keep) {
    Session.Strokes.Record(*start, *Session.Skin);
    return;
  }
  Session.Skin = std::move(start);
  Changed();
}

bool StrokeUnderWay() {
  return Session.StrokeStart != nullptr;
}

bool UndoStroke() {
  if (!Session.On || Session.StrokeStart || !Session.Strokes.Undo(*Session.Skin)) return false;
  Changed();
  return true;
}

bool RedoStroke() {
  if (!Session.On || Session.StrokeStart || !Session.Strokes.Redo(*Session.Skin)) return false;
  Changed();
  return true;
}

std::size_t StrokesToUndo() {
  return Session.Strokes.UndoCount();
}

std::size_t StrokesToRedo() {
  return Session.Strokes.RedoCount();
}

void StepBrushSize(int by) {
  const auto* sizes = std::begin(BrushDiameters);
  const auto last = static_cast<std::ptrdiff_t>(std::size(BrushDiameters)) - 1;
  const std::ptrdiff_t now =
      std::find(sizes, std::end(BrushDiameters), PaintBrush.Diameter) - sizes;
  PaintBrush.Diameter = sizes[std::clamp<std::ptrdiff_t>(now + by, 0, last)];
}

bool PickColourAt(const TViewPoint& at) {
  const std::optional<Pixel24> colour = SkinColourAt(at);
  if (!colour) return false;
  PaintBrush.Colour = *colour;
  PaintBrush.Erases = false;
  return true;
}
