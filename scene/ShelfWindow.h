// The shelf's window: every doll in ~/Kavinel as a picture of its front with its name, the doll
// shown marked, and what a person does with them: show one, make a new one, duplicate, rename,
// put in the trash, take the shelf's last action back, export and open a doll file.
#pragma once

#include <QAction>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "framework/Translation.h"
#include "platform/DollShelf.h"

class TShelfWindow : public QWidget {
 public:
  // What the main window does for the shelf: show the doll of a folder (false, with the
  // message shown, when it cannot be read), export the doll shown, open a doll file.
  struct TActions {
    std::function<bool(const std::string& folder)> Show;
    std::function<void()> Export;
    std::function<void()> OpenDollFile;
  };

  // The shelf of `shelf`, whose new dolls are copies of the sample in `samples`.
  TShelfWindow(QWidget* owner, std::string shelf, std::string samples, TActions actions);
  ~TShelfWindow() override;

  // Lists the dolls again, with the pictures the cache has, and makes the others after.
  void Refresh();
  // Marks the doll shown, the working folder, and enables what may be done to the one chosen.
  void ShowState();
  // The folder of the doll chosen, or "".
  std::string ChosenFolder() const;
  // Chooses the doll of `folder` in the list.
  void Choose(const std::string& folder);
  // Makes the next missing picture; false when none is left.
  bool MakeNextPicture();

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
  void Trash();
  void Undo();
  // Runs `act`, showing its error; true when it succeeded.
  bool Try(const std::function<void()>& act);
  void Watch(const std::vector<TShelfDoll>& dolls);
  QString PictureFile(const std::string& content) const;
  void SaveSize() const;

  const std::string FShelf;
  const std::string FSamples;
  const TActions FActions;
  TShelfIndex FIndex;
  std::vector<TStep> FSteps;
  std::deque<std::pair<std::string, std::string>> FMissing;  // folder and content
  std::set<std::string> FUnreadable;                         // contents with no picture
  QTimer FPainter;
  QTimer FSoon;
  QFileSystemWatcher FWatcher;
};
