// The scene the main window owns: the doll shown and the folder it is read from, the
// backdrops and frames around it, the changes made to its files, the frame tick that runs
// every 50 ms, and saving the two views.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DollHistory.h"
#include "PaintSession.h"
#include "Reshape.h"
#include "StreakBackdrop.h"
#include "doll/Doll.h"
#include "framework/TavoMidi.h"
#include "framework/TavoPaintBox.h"
#include "framework/TavoTimer.h"

class TTavoForm;

// Milliseconds between frames.
inline constexpr int FrameInterval = 50;

// Reads the pictures `level` has of its own in `folder`: for the outer doll both, which must
// be there; for a level inside it those that are there. Only the top-left 250 × 200 pixels of
// a skin are kept: the doll never reads more, and a photo-sized skin need not stay in memory.
// A picture that cannot be read, or is too small, raises an error naming it, or, for a level
// inside with `setAside` given, adds the error there and is left out.
TLevelPictures ReadLevel(const std::string& folder, int level,
                         std::vector<std::string>* setAside = nullptr);

// Reads the pictures of every level in `folder` (see ReadLevel).
TNest ReadNest(const std::string& folder, std::vector<std::string>* setAside = nullptr);

class TScene {
 public:
  // Makes the bitmaps and shows the doll of `folder` as LoadDoll does at start-up (see
  // LeftOutAtStart); raises the error of a picture of the outer doll that cannot be read.
  explicit TScene(const std::string& folder);
  ~TScene();
  TScene(const TScene&) = delete;
  TScene& operator=(const TScene&) = delete;

  // Seeds the random generator and the streaks, opens the sound device, creates the task table
  // for `form` (which queues the start of the main loop), registers the frame tick, and shows
  // the frames in the two boxes from then on (either may be null).
  void Start(TTavoForm& form, TPaintBox* frontBox, TPaintBox* backBox);
  // Drops a painting under way, then frees the sound device and the task table; the doll stays.
  void Stop();

  // The errors of the level pictures left out when the scene was made.
  const std::vector<std::string>& LeftOutAtStart() const { return FLeftOutAtStart; }

  // The doll's folder, absolute.
  const std::string& Folder() const { return FFolder; }
  // The folder the doll's files are named in, in every file operation and so in every message:
  // "", the working folder, while the doll is the one in the folder the program started in,
  // so that a file is named as it always was; otherwise the doll's folder.
  const std::string& FilesFolder() const { return FFilesFolder; }
  // The doll's file `name`, as FilesFolder names it.
  std::string PathOf(const std::string& name) const;

  // Makes `nest` the pictures of the nest and shows its outer doll at rest.
  void ShowNest(TNest nest);

  // Reads the pictures `level` has of its own again and shows it.
  void ReloadLevel(int level);

  // Reads the pictures of every level again and shows the outer doll. Every picture is read
  // and checked before anything changes, so a failure leaves the scene exactly as it was;
  // with `setAside`, as at start-up, a level picture that cannot be read is left out instead
  // and its error added there.
  void LoadDoll(std::vector<std::string>* setAside = nullptr);

  // Reads the pictures of every level again, as LoadDoll does, and shows the doll at rest at
  // the level shown, or the outer doll where that level had pictures of its own and has none
  // now.
  void ReloadDoll();

  // Paints the picture file `fileName` on the half of the skin of the doll at rest that starts
  // at texture column `firstColumn` (what a view shows: RotationOffset, plus BackViewTurn for
  // the back view), writes that level's skin (the one it replaces kept under a backup name),
  // records the change in DollHistory, and shows the level again. The skin painted is the
  // level's own as its file holds it, or else the one it uses. A picture that cannot be read,
  // or a folder that cannot be written, raises an error naming the picture or the doll's
  // file, and nothing changes.
  void DropPicture(const std::string& fileName, int firstColumn);

  // Works in `folder` from then on: its doll is read and shown as Load does, all or nothing (a
  // failure raises Load's error and leaves the scene as it was), the history of changes starts
  // afresh, and a doll of the shelf is remembered for the next start.
  void ShowDollFolder(const std::string& folder);

  // The doll's folder has been renamed to `folder`: the scene works there from then on, its
  // history of changes with it.
  void FolderRenamed(const std::string& folder);

  // Unpacks the doll file `fileName` into a new folder in ~/Kavinel (see UnpackDollFile), or,
  // where a doll of the shelf holds the very same pictures, takes that one, and shows it (see
  // ShowDollFolder). A file that is refused raises an error naming it and changes nothing.
  void OpenDollFile(const std::string& fileName);

  // What the views show: which doll of the nest, and the files a change to it writes, with
  // those it uses from a doll outside it while it has none of its own.
  std::string DescribeDollAtRest() const;

  // Takes back the last change to the doll's files (see TDollHistory::Undo), reads the
  // pictures of the level whose file changed again and shows it. Returns false, changing
  // nothing, when there is none to take back.
  bool UndoDollChange();
  // Puts back the last change taken back, the same way; false when there is none.
  bool RedoDollChange();

  // One frame: an opening step if one is under way, what turned under a brush held down
  // painted, both views rendered, the turn, both backdrops stepped, the frames composed and
  // shown, and a painting written when it is due (a failure reported).
  void FrameTick();

  // Writes the front and back views side by side into the first free "outNN.bmp" of the doll's
  // folder, flushed with its folder, and returns that name. An existing file is never
  // replaced.
  std::string SaveViews();

  TDoll Doll;
  // The changes this scene made to the doll's files: drops, reshapes and paintings, and what
  // undo and redo did with them. Emptied when another doll is shown.
  TDollHistory DollHistory;
  TPaintSession Painting{*this};
  TReshape Reshape{*this};
  // The RotationOffset the views were last drawn with: what a brush on them touches.
  std::int32_t DrawnRotation = 0;

  StreakSet StreaksLeft{};
  StreakSet StreaksRight{};
  TTavoBitmap BackdropLeft;
  TTavoBitmap BackdropRight;
  TTavoBitmap FrameLeft;
  TTavoBitmap FrameRight;
  TTavoBitmap SaveSheet;

 private:
  // Works in `folder` from then on.
  void SetFolder(const std::string& folder);

  std::string FFolder;
  std::string FFilesFolder;
  std::vector<std::string> FLeftOutAtStart;
  std::unique_ptr<TTavoMidi> FSoundDevice;
  std::unique_ptr<TTavoTimer> FTaskTimer;
  TPaintBox* FFrontBox = nullptr;  // where the two frames are shown; null without a window
  TPaintBox* FBackBox = nullptr;
};
