// Painting the skin of the doll at rest by hand: each stroke is laid on a full-size copy of the
// level's skin, which the level then shows; the painting is written as the level's skin file
// while it goes on and when it ends, and is one change of the doll's history. Widget-free: the
// views report the pointer in their own pixels.
#pragma once

#include <QImage>
#include <QPointF>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "StrokeHistory.h"
#include "doll/Nest.h"
#include "doll/Painting.h"
#include "doll/Sticker.h"
#include "framework/FileOutput.h"

class TScene;

// The widths, in view pixels, a sticker can be laid at; it starts at StickerStartWidth.
inline constexpr int StickerWidths[] = {8, 12, 16, 24, 32, 48, 64, 96, 128, 160, 200};
inline constexpr int StickerStartWidth = 48;

// Changes wait at most this long (ms) to be written while the painting goes on, so that a
// crash loses at most this much work.
inline constexpr std::uint32_t PaintingSavePause = 10000;

class TPaintSession {
 public:
  explicit TPaintSession(TScene& scene) : FScene(scene) {}

  // The brush of the painting; a painting starts with the brush the last one left.
  TBrush PaintBrush;

  bool PaintingOn() const;

  // Starts painting the doll at rest, on its level's own skin, or, where the level uses the skin
  // of one outside it, on a copy of that, which becomes the level's own once painted. Does
  // nothing while the doll opens or closes, or while a painting is on.
  void BeginPainting();

  // Ends the painting, a stroke held included, and writes what is not written yet (see
  // SavePainting); a painting that changed nothing leaves the level as it was. The painting is
  // over whatever happens: a write that fails shows the level as its files hold it again and
  // raises the error naming the skin file.
  void EndPainting();

  // Writes the painted skin, 250 × 200, as the level's skin file, if it changed since it was
  // last written. The first write of a painting keeps the file it replaces under its first free
  // backup name and records the painting in DollHistory; the later ones replace only the file
  // the painting wrote. A failure raises the error naming the skin file.
  void SavePainting();

  // SavePainting, once PaintingSavePause has passed since the first change not yet written, by
  // the clock reading `now`. A write that fails waits for the next change.
  void SavePaintingWhenDue(std::uint32_t now);

  // Drops the painting without writing anything: the scene is going.
  void ForgetPainting();

  // The point `at` of the front or the back view, with the rotation that view was last drawn with.
  TViewPoint ViewPoint(QPointF at, bool back) const;

  // Starts a stroke with a dab at `at`, or, as a `line`, with a line from the painting's last
  // dab in that view (a dab where it has none); false when no painting is on or a stroke is held.
  bool BeginStroke(const TViewPoint& at, bool line = false);
  // The held brush moved to `at` in its view: a line of dabs.
  void StrokeTo(QPointF at);
  // The doll turned to `rotation` (the front view's) under the held brush: the band it leaves.
  void TurnHeldBrush(int rotation);
  // Lets go of the brush: the stroke is kept for undo, or, without `keep`, taken off again.
  void EndStroke(bool keep);
  bool StrokeUnderWay() const;

  // Takes back, or puts back, the last stroke of the painting; false when there is none.
  bool UndoStroke();
  bool RedoStroke();
  std::size_t StrokesToUndo() const;
  std::size_t StrokesToRedo() const;

  // Steps the brush through BrushDiameters by `by`, stopping at either end.
  void StepBrushSize(int by);

  // Makes the colour of the skin under `at` the brush's colour; false off the doll.
  bool PickColourAt(const TViewPoint& at);

  // Fills the field of the skin under `at` (see FillSkin) with the brush's colour, as one
  // stroke; false off the doll or while a stroke is held.
  bool FillAt(const TViewPoint& at);

  // A sticker floats over the doll, shown as it would be painted, until it is placed or dropped:
  // `picture` (Format_ARGB32) centred on `at`, replacing any that floats.
  void FloatSticker(QImage picture, const TViewPoint& at);
  bool StickerFloats() const;
  // The floating sticker moves to `at`, or the doll turned under it to `rotation` (the front
  // view's).
  void MoveSticker(const TViewPoint& at);
  void TurnSticker(int rotation);
  // Steps the floating sticker's width through StickerWidths by `by`, stopping at either end.
  void StepStickerSize(int by);
  // The floating sticker's rectangle, in its view's pixels.
  QRectF StickerRect() const;
  // Lays the floating sticker on the skin (and its mirror image with the mirror on) as one
  // stroke.
  void PlaceSticker();
  // Takes the floating sticker away, painting nothing.
  void DropSticker();

 private:
  TPaint Paint() const;
  void ShowSkin(const TTavoBitmap& skin);
  void ShowPainted();
  void Changed();
  void LayDab(const TViewPoint& at);
  void LaySticker(TTavoBitmap& skin);
  void ShowFiles();
  void WriteSkin();

  struct TPainting {
    bool On = false;
    int Level = 1;
    std::unique_ptr<TTavoBitmap> Skin;     // the level's full-size skin, painted
    std::unique_ptr<TTavoBitmap> Start;    // as the painting found it: what the eraser lays
    std::optional<TLevelPictures> Before;  // the level's own pictures then, if it had any
    TStrokeHistory Strokes;
    std::unique_ptr<TTavoBitmap> StrokeStart;  // while a stroke is held: the skin at its press
    TViewPoint Held;                           // where the held brush last touched
    std::optional<QPointF> LastDab[2];         // the last dab laid in the front, the back view
    std::unique_ptr<TStickerPicture> Sticker;  // the sticker floating, if one does
    TViewPoint StickerAt;                      // its centre
    int StickerWidth = 0;                      // one of StickerWidths
    std::unique_ptr<TTavoBitmap> Written;      // the skin as last written, if it was
    TFileIdentity WrittenFile;                 // the file that write made
    bool Unwritten = false;                    // changes since
    std::optional<std::uint32_t> DueFrom;      // when the first of them came
  };

  TScene& FScene;
  TPainting FSession;
};
