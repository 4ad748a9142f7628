// The scene the main window owns: its start-up and shut-down, the doll's loading, the frame
// tick that runs every 50 ms, and saving the two views.
#pragma once

#include <memory>
#include <string>

#include "DollHistory.h"
#include "doll/SceneState.h"
#include "framework/TavoMidi.h"
#include "framework/TavoPaintBox.h"
#include "framework/TavoTimer.h"

class TTavoForm;

// The texture must cover one full turn (250 columns) of all 200 rows.
inline constexpr int TextureMinWidth = TextureColumns;
inline constexpr int TextureMinHeight = DollRows;
// Milliseconds between frames.
inline constexpr int FrameInterval = 50;
// The back view shows the doll turned by half a turn.
inline constexpr int BackViewTurn = TextureColumns / 2;

extern std::unique_ptr<TTavoMidi> SoundDevice;
extern std::unique_ptr<TTavoTimer> TaskTimer;
// Where the two frames are shown; null when the scene runs without a window.
extern TPaintBox* FrontBox;
extern TPaintBox* BackBox;
// The changes this run made to the doll's files: drops and reshapes, and what undo and redo
// did with them. Emptied when the scene starts.
extern TDollHistory DollHistory;

// Seeds the random generator, opens the sound device, creates the task table for `form`
// (which queues the start of the main loop), creates the bitmaps and loads the doll, and
// registers the frame tick.
void StartScene(TTavoForm& form, TPaintBox* frontBox, TPaintBox* backBox);
// Frees the sound device, the task table and the ten bitmaps, in the order they were made.
// Freeing what was never made does nothing.
void StopScene();

void CreateSceneBitmaps();

// The doll's two pictures, read and checked but not shown yet.
struct DollPictures {
  DollProfile Profile;
  std::unique_ptr<TTavoBitmap> Skin;  // exactly TextureColumns × DollRows
};

// Reads the shape image and the texture image. A picture that cannot be read, or is too
// small, raises an error naming it. Only the top-left 250 × 200 pixels of the texture are
// kept: the doll never reads more, and a photo-sized texture need not stay in memory.
DollPictures ReadDollPictures();

// Makes `doll` the doll at rest: its outline, openability, geometry and skin. An opening
// under way stops.
void ShowDoll(DollPictures doll);

// Reads both pictures again and shows them. Both are read and checked before anything
// changes, so a failure leaves the scene exactly as it was.
void LoadDoll();

// Paints the picture file `fileName` on the half of the skin that starts at texture column
// `firstColumn` (what a view shows: RotationOffset, plus BackViewTurn for the back view),
// keeps the texture image it replaces under a backup name, records the change in
// DollHistory, and shows the doll again as Load
// does. With no texture image in the folder, the skin shown at rest is painted and written.
// A picture that cannot be read, or a folder that cannot be written, raises an error naming
// the picture or the doll's file, and nothing changes.
void DropPicture(const std::string& fileName, int firstColumn);

// Takes back the last change to the doll's files (see TDollHistory::Undo) and reads the doll
// again as Load does. Returns false, changing nothing, when there is none to take back.
bool UndoDollChange();
// Puts back the last change taken back, the same way; false when there is none.
bool RedoDollChange();

// One frame: an opening step if one is under way, both views rendered, the turn, both
// backdrops stepped, the frames composed and shown.
void FrameTick();

// Writes the front and back views side by side into the first free "outNN.bmp", flushed
// with its folder, and returns that name. An existing file is never replaced.
std::string SaveViews();
