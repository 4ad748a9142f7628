// The main window: the two views of the doll over their backdrops, six buttons to turn,
// save, load, shade and open it, and the views' menu.
#pragma once

#include <QAction>
#include <QFrame>
#include <QMenuBar>
#include <QPoint>
#include <QPushButton>
#include <QShortcut>
#include <memory>
#include <string>
#include <vector>

#include "DollWatcher.h"
#include "PaintTools.h"
#include "Scene.h"
#include "ShelfWindow.h"
#include "doll/Painting.h"
#include "framework/TavoForm.h"
#include "framework/TavoPaintBox.h"

class TFormMain : public TTavoForm {
 public:
  // Every command of the menus, each one action that the menu bar and the views' menu share.
  struct TCommands {
    QAction* PastePicture;
    QAction* PasteClipboard;
    QAction* Paint;
    QAction* CloseNested;
    QAction* Undo;
    QAction* Redo;
    QAction* SaveAnimation;
    QAction* Shelf;
    QAction* NewDoll;
    QAction* OpenDollFile;
    QAction* Export;
    QAction* OpenFolder;
    QAction* Quiet;
    QAction* About;
    QAction* Quit;
  };

  // Loads the stored layout, takes a 500 × 300 client area under the menu bar, centred on the
  // screen, starts the scene and shows the panel under the bar. If the scene cannot start (an
  // image cannot be read), what was made is freed and the error is raised.
  explicit TFormMain(QWidget* AOwner = nullptr);
  ~TFormMain() override;

  QFrame* const PageMain;
  TPaintBox* const PaintBox1;
  TPaintBox* const PaintBox2;
  QPushButton* const BtnTurnLeft;
  QPushButton* const BtnTurnRight;
  QPushButton* const BtnLoad;
  QPushButton* const BtnSave;
  QPushButton* const BtnShade;
  QPushButton* const BtnOpen;
  const TCommands Commands;
  QMenuBar* const MenuBar;
  // The doll shown and all around it; read from the working folder the program starts in.
  const std::unique_ptr<TScene> Scene;
  TPaintTools* const PaintTools;  // shown while painting
  TDollWatcher* const DollWatcher;
  TShelfWindow* Shelf = nullptr;  // made when first opened

  void BtnTurnRightClick();
  void BtnTurnLeftClick();
  void BtnLoadClick();
  void BtnSaveClick();
  void BtnShadeClick();
  void BtnOpenClick();
  // Ctrl+Z and the redo keys: take back or put back a stroke while painting, otherwise a
  // change to the doll's files.
  void UndoKeyPress();
  void RedoKeyPress();
  // The views' menu item that turns painting on and off.
  void PaintClick();
  // Ends a painting, writing it; what comes before anything that shows another doll.
  void StopPainting();
  // The views' menu, from a right click on a view; its picture item acts on the half of the skin
  // that view shows, `turn` columns on from the doll's RotationOffset (the menu bar's, on the
  // front view's).
  void ShowViewMenu(int turn, QPoint at);
  // The front view's menu, from the keyboard: the Menu key or Shift+F10.
  void ShowFrontViewMenu();
  // Lets the person choose a picture and paints it as if it had been dropped on the view.
  void PastePictureOnView(int turn);
  // While painting, floats the picture on the clipboard as a sticker.
  void PasteClipboardClick();
  void SaveAnimationClick();
  // Lets the person choose a doll file and opens it in a folder of its own.
  void OpenDollFileClick();
  // Opens the doll file `fileName` in a folder of its own; a refusal is shown.
  void OpenDollFileNamed(const std::string& fileName);
  // Lets the person name a doll file and writes the doll there.
  void ExportClick();
  void OpenFolderClick();
  // Opens the shelf's window, or brings it to the front.
  void ShelfClick();
  // Makes a new doll as the shelf's New does, and shows it.
  void NewDollClick();
  // Shows the doll of `folder` (see ShowDollFolder); false, with the message shown, when it
  // cannot be read.
  bool ShowDoll(const std::string& folder);
  // The views' menu item that lets the main loop wait between frames, remembered.
  void QuietClick();
  void AboutClick();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  // However the window closes, a painting is written first.
  void closeEvent(QCloseEvent* event) override;

 private:
  // Shows the state the buttons change: the turn buttons' captions from Direction, the shade
  // button's from ShadeLevel, the doll's name in the title, what the commands may do now, and
  // what the views show, told to a screen reader.
  void ShowState();
  // Enables and checks the commands as the doll and the painting stand.
  void ShowCommands();
  TCommands MakeCommands();
  QMenuBar* MakeMenuBar();
  // Tells where an export went, with a way to show it in the file manager.
  void ShowExported(const QString& file);
  // Paints a picture dropped on a view on the half of the skin that view shows, `turn`
  // texture columns on from the doll's RotationOffset, or, while painting, floats it there as a
  // sticker; opens a doll file dropped there.
  void DropOnView(const std::string& fileName, int turn);
  // Floats the picture `read` gives as a sticker under the pointer, or in the middle of the view
  // `turn` names where the pointer is over neither view; a picture refused is told.
  void FloatSticker(const std::function<QImage()>& read, int turn);
  // The view under the pointer, with the point, or else the middle of the view `turn` names.
  TViewPoint PointerOrMiddle(int turn) const;
  // Lets `box` shape the doll by dragging its edge.
  void AcceptReshaping(TPaintBox* box);
  // Ends the drag in a view: writes the new outline, or with `keep` false puts it back.
  void EndReshapeInView(bool keep);
  bool ViewDragging() const;
  // Takes back or puts back: a stroke while painting, otherwise a change to the doll's files.
  void StepHistory(bool (TPaintSession::*stroke)(), bool (TScene::*change)());
  // Lets `box`, the back view or the front, take brush strokes while painting.
  void AcceptStrokes(TPaintBox* box, bool back);
  // A left press on the doll: a floating sticker is placed; otherwise Ctrl picks the colour
  // there, the fill fills, and the brush and the eraser start a stroke (with Shift, a line).
  bool PressBrush(const TViewPoint& at, Qt::KeyboardModifiers keys);
  // The pointer moved to `at` over the view `back` names, or left it: a floating sticker
  // follows it, and the mirror's outline is shown.
  void HoverBrush(std::optional<QPointF> at, bool back);
  // The outline of the brush's mirror image, in the view the pointer is over, on the doll.
  void ShowMirrorOutline();
  // The keys that change the brush or end the painting, in `window`.
  void AddPaintingKeys(QWidget* window);
  // Shows the tool window and the keys as the painting stands.
  void ShowPainting();
  // Keeps the turn and shade of the doll shown for its picture on the shelf: it is being left.
  void KeepPose() const;

  std::vector<QShortcut*> FPaintingKeys;
  int FMenuTurn = 0;                   // the half of the skin the picture command acts on
  std::optional<TViewPoint> FPointer;  // where the pointer is over a view while painting
};

// The refusal shown when Open is pressed on a doll that cannot open.
inline const char* const NotOpenableMessage =
    QT_TRANSLATE_NOOP("Window", "このカヴィネルは開く形をしていません。");
// Said at start-up under the errors of the level pictures that could not be read.
inline const char* const LevelPicturesSetAsideMessage =
    QT_TRANSLATE_NOOP("Window", "これらの中の人形は、外側の人形の絵を使います。");
