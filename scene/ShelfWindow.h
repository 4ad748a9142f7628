// The shelf's window: every doll in ~/Kavinel as a picture of its front with its name, the doll
// shown marked, and what a person does with them: show one, make a new one, duplicate, rename,
// put in the trash, take the shelf's last action back, export and open a doll file.
#pragma once

#include <QAction>
#include <QFileSystemWatcher>
#include <QImage>
#include <QListWidget>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "doll/DollThumbnail.h"
#include "framework/Translation.h"
#include "platform/DollShelf.h"
#include "platform/ShelfIndex.h"

class TShelfWindow : public QWidget {
 public:
  // What the main window does for the shelf: show the doll of a folder (false, with the
  // message shown, when it cannot be read), export the doll shown, open a doll file; and
  // what it tells: the folder of the doll shown, and that folder renamed.
  struct TActions {
    std::function<bool(const std::string& folder)> Show;
    std::function<void()> Export;
    std::function<void()> OpenDollFile;
    std::function<std::string()> ShownFolder;
    std::function<void(const std::string& folder)> ShownRenamed;
  };

  // The shelf of `shelf`, whose new dolls are copies of the sample in `samples`.
  TShelfWindow(QWidget* owner, std::string shelf, std::string samples, TActions actions);
  ~TShelfWindow() override;

  // Lists the dolls again, with the pictures the cache has, and makes the others on threads of
  // their own; the doll chosen turns.
  void Refresh();
  // Marks the doll shown and enables what may be done to the one chosen.
  void ShowState();
  // The folder of the doll chosen, or "".
  std::string ChosenFolder() const;
  // Chooses the doll of `folder` in the list.
  void Choose(const std::string& folder);
  // Waits for the pictures in making and shows them.
  void FinishPictures();
  // How many pictures are in making.
  std::size_t PicturesInMaking() const;

  QListWidget* const List;
  QAction* const ShowAction;
  QAction* const NewAction;
  QAction* const DuplicateAction;
  QAction* const RenameAction;
  QAction* const TrashAction;
  QAction* const UndoAction;
  QAction* const ExportAction;
  QAction* const OpenAction;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // A shelf action that Undo takes back.
  struct TStep {
    enum { Trashed, Renamed, Made } Kind;
    std::string Folder;  // where the doll was (Trashed, Renamed) or is (Made)
    std::string
        Other;  // in the trash (Trashed), its new name (Renamed), the doll shown before (Made)
  };

  QAction* AddAction(const TText& text, const char* name, QKeySequence key,
                     void (TShelfWindow::*act)());
  void ShowChosen();
  void MakeNew();
  void Duplicate();
  void StartRename();
  void Rename(QListWidgetItem* item);
  // Opens the editor of the doll of `folder` again, holding `typed`.
  void EditAgain(const std::string& folder, const QString& typed);
  // Whether the name of `item` is being typed.
  bool Editing(const QListWidgetItem* item) const;
  // Gives up a name being typed, as Escape does: a window that goes renames nothing.
  void DropTyping();
  void Trash();
  void Undo();
  // Whether `folder` holds the doll shown.
  bool Shown(const std::string& folder) const;
  // The doll shown now lives in `folder`, renamed.
  void Renamed(const std::string& folder);
  // Runs `act`, showing its error; true when it succeeded.
  bool Try(const std::function<void()>& act);
  void Watch(const std::vector<TShelfDoll>& dolls);
  // Makes the picture of the doll of `folder` and `content` at `pose` away from the window's
  // thread, kept in the cache and shown when done.
  void MakePicture(const std::string& folder, const std::string& content, const TDollPose& pose);
  // What MakePicture made: the picture, null where the doll could not be read.
  void PictureMade(const std::string& content, const std::string& file, const QImage& picture);
  // Starts the doll chosen turning from where it was last left, its front read away from the
  // window's thread.
  void StartTurning();
  // One frame of the doll chosen.
  void TurnChosen();
  // Shows the kept picture of the doll of `folder` again.
  void ShowKeptPicture(const std::string& folder);
  void SaveSize() const;

  const std::string FShelf;
  const std::string FSamples;
  const TActions FActions;
  TShelfIndex FIndex;
  std::vector<TStep> FSteps;
  std::set<std::string> FMaking;         // the cache files of the pictures in making
  std::set<std::string> FUnreadable;     // contents with no picture
  TDollPoses FPoses;                     // the poses kept when the dolls were last listed
  std::shared_ptr<TDollFront> FTurning;  // the doll chosen, once read
  std::string FTurningFolder;
  TDollPose FTurningPose;
  int FTurningSerial = 0;  // which choice the front being read is for
  QTimer FTurn;
  QTimer FSoon;
  QFileSystemWatcher FWatcher;
  QThreadPool FPainters;  // last: its threads end before anything they call back is gone
};
