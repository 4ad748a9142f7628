// The scene the main window owns: its start-up and shut-down, the doll's loading, the frame
// tick that runs every 50 ms, and saving the two views.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DollHistory.h"
#include "doll/Nest.h"
#include "doll/SceneState.h"
#include "framework/TavoMidi.h"
#include "framework/TavoPaintBox.h"
#include "framework/TavoTimer.h"

class TTavoForm;

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
// The RotationOffset the views were last drawn with: what a brush on them touches.
extern std::int32_t DrawnRotation;

// Seeds the random generator, opens the sound device, creates the task table for `form`
// (which queues the start of the main loop), creates the bitmaps and loads the doll, and
// registers the frame tick. Returns the errors of the level pictures left out (see LoadDoll).
std::vector<std::string> StartScene(TTavoForm& form, TPaintBox* frontBox, TPaintBox* backBox);
// Drops a painting under way, then frees the sound device, the task table and the ten
// bitmaps, in the order they were made. Freeing what was never made does nothing.
void StopScene();

void CreateSceneBitmaps(std::vector<std::string>* setAside = nullptr);

// Reads the pictures `level` has of its own in the working folder: for the outer doll both,
// which must be there; for a level inside it those that are there. Only the top-left 250 ×
// 200 pixels of a skin are kept: the doll never reads more, and a photo-sized skin need not
// stay in memory. A picture that cannot be read, or is too small, raises an error naming
// it, or, for a level inside with `setAside` given, adds the error there and is left out.
TLevelPictures ReadLevel(int level, std::vector<std::string>* setAside = nullptr);

// Reads the pictures of every level (see ReadLevel).
TNest ReadNest(std::vector<std::string>* setAside = nullptr);

// Makes `nest` the pictures of the nest and shows its outer doll at rest.
void ShowNest(TNest nest);

// Makes the doll of `level`, from the nest's pictures as they are now, the doll at rest:
// its outline (and, for the outer doll, the openability it decides), geometry and skin. An
// opening or a close under way stops.
void ShowLevel(int level);

// Shows the skin of the doll at rest again from the nest's pictures, after only its skin
// changed: its outline and so its geometry stand as they are.
void ShowLevelSkin();

// Reads the pictures `level` has of its own again and shows it.
void ReloadLevel(int level);

// Reads the pictures of every level again and shows the outer doll. Every picture is read
// and checked before anything changes, so a failure leaves the scene exactly as it was;
// with `setAside`, as at start-up, a level picture that cannot be read is left out instead
// and its error added there.
void LoadDoll(std::vector<std::string>* setAside = nullptr);

// Reads the pictures of every level again, as LoadDoll does, and shows the doll at rest at the
// level shown, or the outer doll where that level had pictures of its own and has none now.
void ReloadDoll();

// Paints the picture file `fileName` on the half of the skin of the doll at rest that starts
// at texture column `firstColumn` (what a view shows: RotationOffset, plus BackViewTurn for
// the back view), writes that level's skin (the one it replaces kept under a backup name),
// records the change in DollHistory, and shows the level again. The skin painted is the
// level's own as its file holds it, or else the one it uses. A picture that cannot be read,
// or a folder that cannot be written, raises an error naming the picture or the doll's file,
// and nothing changes.
void DropPicture(const std::string& fileName, int firstColumn);

// Works in `folder` from then on: its doll is read and shown as Load does, all or nothing (a
// failure raises Load's error and leaves the scene and the working folder as they were), the
// history of changes starts afresh, and a doll of the shelf is remembered for the next start.
void ShowDollFolder(const std::string& folder);

// Unpacks the doll file `fileName` into a new folder in ~/Kavinel (see UnpackDollFile), or,
// where a doll of the shelf holds the very same pictures, takes that one, and shows it (see
// ShowDollFolder). A file that is refused raises an error naming it and changes nothing.
void OpenDollFile(const std::string& fileName);

// What the views show: which doll of the nest, and the files a change to it writes, with
// those it uses from a doll outside it while it has none of its own.
std::string DescribeDollAtRest();

// Takes back the last change to the doll's files (see TDollHistory::Undo), reads the pictures
// of the level whose file changed again and shows it. Returns false, changing nothing, when
// there is none to take back.
bool UndoDollChange();
// Puts back the last change taken back, the same way; false when there is none.
bool RedoDollChange();

// One frame: an opening step if one is under way, what turned under a brush held down
// painted, both views rendered, the turn, both backdrops stepped, the frames composed and
// shown, and a painting written when it is due (a failure reported).
void FrameTick();

// Writes the front and back views side by side into the first free "outNN.bmp", flushed
// with its folder, and returns that name. An existing file is never replaced.
std::string SaveViews();
