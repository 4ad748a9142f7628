#include "ShelfWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include "Scene.h"
#include "doll/DollThumbnail.h"
#include "doll/Nest.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollUnpack.h"
#include "framework/TavoErrors.h"
#include "framework/TavoUtility.h"
#include "framework/TavoWindows.h"
#include "framework/Translation.h"
#include "platform/Settings.h"

namespace fs = std::filesystem;

namespace {

constexpr int PictureSize = 96;
const QString SettingsName = QStringLiteral("Shelf");
constexpr int FolderRole = Qt::UserRole;
constexpr int NameRole = Qt::UserRole + 1;
constexpr int PictureRole = Qt::UserRole + 2;  // the cache file of its picture

std::string FolderOf(const QListWidgetItem* item) {
  return item ? item->data(FolderRole).toByteArray().toStdString() : std::string();
}

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code error;
  return !a.empty() && !b.empty() && fs::equivalent(a, b, error);
}

// A doll's picture, the same when chosen: the list's tint would change its colours.
QIcon PictureIcon(const QPixmap& picture) {
  QIcon icon(picture);
  icon.addPixmap(picture, QIcon::Selected);
  return icon;
}

QIcon BlankPicture() {
  QPixmap blank(PictureSize, PictureSize);
  blank.fill(Qt::transparent);
  return PictureIcon(blank);
}

// The picture of a doll's front as the shelf shows it.
QImage ShelfPicture(TDollFront& front, const TDollPose& pose) {
  return front.Draw(pose.Rotation, pose.ShadeLevel)
      .scaled(PictureSize, PictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// The front of the outer doll of `folder`, read as Load reads it; raises its errors.
std::shared_ptr<TDollFront> ReadFront(const std::string& folder) {
  return std::make_shared<TDollFront>(ReadShapeProfile(folder + "/" + ShapeFileName),
                                      *ReadSkin(folder + "/" + TextureFileName));
}

}  // namespace

TShelfWindow::TShelfWindow(QWidget* owner, std::string shelf, std::string samples, TActions actions)
    : QWidget(owner, Qt::Window),
      List(new QListWidget(this)),
      ShowAction(AddAction(Tr("Shelf", "見せる(&W)"), "ShowAction", {}, &TShelfWindow::ShowChosen)),
      NewAction(AddAction(Tr("Shelf", "新しい人形(&N)"), "NewAction", QKeySequence::New,
                          &TShelfWindow::MakeNew)),
      DuplicateAction(AddAction(Tr("Shelf", "複製する(&D)"), "DuplicateAction",
                                Qt::CTRL | Qt::Key_D, &TShelfWindow::Duplicate)),
      RenameAction(AddAction(Tr("Shelf", "名前を変える(&R)"), "RenameAction", Qt::Key_F2,
                             &TShelfWindow::StartRename)),
      TrashAction(AddAction(Tr("Shelf", "ごみ箱に移す(&T)"), "TrashAction", Qt::Key_Delete,
                            &TShelfWindow::Trash)),
      UndoAction(AddAction(Tr("Shelf", "棚の操作を元に戻す(&U)"), "UndoAction", QKeySequence::Undo,
                           &TShelfWindow::Undo)),
      // The views' menu's own item, in its words.
      ExportAction(AddAction(Tr("Window", "人形を書き出す(&E)…"), "ExportAction", {}, nullptr)),
      OpenAction(AddAction(Tr("Shelf", "人形ファイルを開く(&F)…"), "OpenAction", {}, nullptr)),
      FShelf(std::move(shelf)),
      FSamples(std::move(samples)),
      FActions(std::move(actions)) {
  setWindowTitle(Tr("Shelf", "人形の棚").ToQString());
  setAccessibleName(windowTitle());
  connect(ExportAction, &QAction::triggered, this, [this] { FActions.Export(); });
  connect(OpenAction, &QAction::triggered, this, [this] { FActions.OpenDollFile(); });
  List->setObjectName("ShelfList");
  List->setAccessibleName(Tr("Shelf", "人形の一覧").ToQString());
  List->setViewMode(QListView::IconMode);
  List->setIconSize({PictureSize, PictureSize});
  List->setGridSize({PictureSize + 40, PictureSize + 44});
  List->setResizeMode(QListView::Adjust);
  List->setMovement(QListView::Static);
  List->setWordWrap(true);
  List->setEditTriggers(QAbstractItemView::NoEditTriggers);
  List->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(List, &QListWidget::itemActivated, this, [this] { ShowChosen(); });
  connect(List, &QListWidget::currentItemChanged, this, [this] {
    ShowState();
    StartTurning();
  });
  // Emitted only by an edit: the shelf's own changes to its items block the list's signals.
  connect(List, &QListWidget::itemChanged, this, &TShelfWindow::Rename);
  connect(List, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
    QMenu menu(this);
    menu.addActions({ShowAction, NewAction, DuplicateAction, RenameAction, TrashAction});
    menu.addSeparator();
    menu.addActions({UndoAction, ExportAction, OpenAction});
    menu.exec(List->viewport()->mapToGlobal(at));
  });
  // The buttons in a column beside the list: in a row they would make the window too wide to
  // open beside the main window.
  auto* buttons = new QVBoxLayout;
  for (QAction* action : QWidget::actions()) {
    auto* button = new QToolButton(this);
    button->setDefaultAction(action);
    button->setAccessibleName(action->iconText());
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(List);
  layout->addLayout(buttons);
  resize(WindowSize(SettingsName, QSize(560, 420)));
  // The pictures the cache lacks are made on threads of their own, leaving one core to the
  // doll on screen.
  FPainters.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
  FTurn.setInterval(FrameInterval);
  connect(&FTurn, &QTimer::timeout, this, &TShelfWindow::TurnChosen);
  // Changes on the disk come in bursts: the list is read again once they settle.
  FSoon.setSingleShot(true);
  FSoon.setInterval(300);
  connect(&FSoon, &QTimer::timeout, this, [this] {
    // Not while a name is typed: its editor is the list's.
    if (const QWidget* focus = QApplication::focusWidget();
        focus && List->viewport()->isAncestorOf(focus))
      return FSoon.start();
    Refresh();
  });
  connect(&FWatcher, &QFileSystemWatcher::directoryChanged, &FSoon, qOverload<>(&QTimer::start));
  connect(&FWatcher, &QFileSystemWatcher::fileChanged, &FSoon, qOverload<>(&QTimer::start));
  Refresh();
}

QAction* TShelfWindow::AddAction(const TText& text, const char* name, QKeySequence key,
                                 void (TShelfWindow::*act)()) {
  auto* action = new QAction(text.ToQString(), this);
  action->setObjectName(name);
  action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  if (act) connect(action, &QAction::triggered, this, act);
  addAction(action);
  return action;
}

void TShelfWindow::Refresh() {
  const std::string chosen = ChosenFolder();
  const std::vector<TShelfDoll> dolls = ListShelf(FShelf);
  FPoses = KeptPoses();
  {
    const QSignalBlocker quiet(List);
    List->clear();
    FTurning.reset();
  }
  for (const TShelfDoll& doll : dolls) {
    const QSignalBlocker quiet(List);
    const bool mine = doll.Folder == FShelf;
    const QString name = QString::fromStdString(ShelfName(FShelf, doll.Folder));
    auto* item = new QListWidgetItem(name, List);
    item->setData(FolderRole, QByteArray::fromStdString(doll.Folder));
    item->setData(NameRole, name);
    if (!mine) item->setFlags(item->flags() | Qt::ItemIsEditable);
    const TDollPose pose = PoseIn(FPoses, doll.Folder);
    const std::string content = FIndex.ContentOf(doll);
    const std::string file = ShelfPictureFile(content, pose);
    item->setData(PictureRole, QByteArray::fromStdString(file));
    const QPixmap cached(QString::fromStdString(file));
    if (FUnreadable.count(content)) {
      item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    } else if (!cached.isNull()) {
      item->setIcon(PictureIcon(cached));
    } else {
      item->setIcon(BlankPicture());
      MakePicture(doll.Folder, content, pose);
    }
  }
  FIndex.Save();
  Choose(!chosen.empty() || !FActions.ShownFolder ? chosen : FActions.ShownFolder());
  Watch(dolls);
  ShowState();
  StartTurning();
}

void TShelfWindow::Watch(const std::vector<TShelfDoll>& dolls) {
  const QStringList watched = FWatcher.files() + FWatcher.directories();
  if (!watched.isEmpty()) FWatcher.removePaths(watched);
  // The pictures as well as their folders: a folder is not told of a file written over.
  QStringList paths;
  for (const TShelfDoll& doll : dolls) {
    paths << QString::fromStdString(doll.Folder);
    for (const auto& [name, identity] : doll.Pictures)
      paths << QString::fromStdString(doll.Folder + "/" + name);
  }
  FWatcher.addPaths(paths);
}

void TShelfWindow::MakePicture(const std::string& folder, const std::string& content,
                               const TDollPose& pose) {
  const std::string file = ShelfPictureFile(content, pose);
  if (!FMaking.insert(file).second) return;
  // The work shares nothing with the window: the picture comes back by a queued call, which
  // is dropped should the window go first (it waits for its threads).
  FPainters.start([this, folder, content, pose, file] {
    QImage picture;
    try {
      picture = ShelfPicture(*ReadFront(folder), pose);
      KeepShelfPicture(picture, file);
    } catch (const std::exception&) {
    }
    QMetaObject::invokeMethod(
        this, [this, content, file, picture] { PictureMade(content, file, picture); },
        Qt::QueuedConnection);
  });
}

void TShelfWindow::PictureMade(const std::string& content, const std::string& file,
                               const QImage& picture) {
  FMaking.erase(file);
  if (picture.isNull()) FUnreadable.insert(content);
  const QIcon icon = picture.isNull() ? style()->standardIcon(QStyle::SP_MessageBoxWarning)
                                      : PictureIcon(QPixmap::fromImage(picture));
  const QSignalBlocker quiet(List);
  for (int row = 0; row < List->count(); ++row)
    if (List->item(row)->data(PictureRole).toByteArray().toStdString() == file &&
        !Editing(List->item(row)))
      List->item(row)->setIcon(icon);
}

bool TShelfWindow::Editing(const QListWidgetItem* item) const {
  return List->indexWidget(List->indexFromItem(item));
}

void TShelfWindow::FinishPictures() {
  FPainters.waitForDone();
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

std::size_t TShelfWindow::PicturesInMaking() const {
  return FMaking.size();
}

void TShelfWindow::StartTurning() {
  const std::string folder = ChosenFolder();
  if (FTurning && FTurningFolder == folder) return;
  FTurn.stop();
  if (FTurning) ShowKeptPicture(FTurningFolder);  // at rest again, as it was left
  FTurning.reset();
  FTurningFolder = folder;
  if (folder.empty()) return;
  FTurningPose = PoseIn(FPoses, folder);
  const int serial = ++FTurningSerial;
  FPainters.start([this, folder, serial] {
    std::shared_ptr<TDollFront> front;
    try {
      front = ReadFront(folder);
    } catch (const std::exception&) {
      return;  // its picture says why
    }
    QMetaObject::invokeMethod(
        this,
        [this, front, serial] {
          if (serial != FTurningSerial) return;  // another doll was chosen since
          FTurning = front;
          FTurn.start();
        },
        Qt::QueuedConnection);
  });
}

void TShelfWindow::ShowKeptPicture(const std::string& folder) {
  const QSignalBlocker quiet(List);
  for (int row = 0; row < List->count(); ++row) {
    QListWidgetItem* item = List->item(row);
    const QPixmap kept(QString::fromUtf8(item->data(PictureRole).toByteArray()));
    if (FolderOf(item) == folder && !kept.isNull()) item->setIcon(PictureIcon(kept));
  }
}

void TShelfWindow::TurnChosen() {
  QListWidgetItem* item = List->currentItem();
  // Still while its name is typed: a change to the item puts its name back in the editor.
  if (!FTurning || !isVisible() || !item || FolderOf(item) != FTurningFolder || Editing(item))
    return;
  // Clockwise, as the doll on screen starts.
  FTurningPose.Rotation = (FTurningPose.Rotation + TextureColumns - TurnStep) % TextureColumns;
  const QSignalBlocker quiet(List);
  item->setIcon(PictureIcon(QPixmap::fromImage(ShelfPicture(*FTurning, FTurningPose))));
}

std::string TShelfWindow::ChosenFolder() const {
  return FolderOf(List->currentItem());
}

void TShelfWindow::Choose(const std::string& folder) {
  for (int row = 0; row < List->count(); ++row)
    if (SameFolder(FolderOf(List->item(row)), folder)) return List->setCurrentRow(row);
  if (List->count() > 0 && !List->currentItem()) List->setCurrentRow(0);
}

void TShelfWindow::ShowState() {
  {
    const QSignalBlocker quiet(List);
    for (int row = 0; row < List->count(); ++row) {
      QListWidgetItem* item = List->item(row);
      const bool shown = Shown(FolderOf(item));
      QFont font = List->font();
      font.setBold(shown);
      item->setFont(font);
      const QString mark = shown ? Tr("Shelf", "表示中の人形").ToQString() : QString();
      item->setToolTip(mark);
      item->setData(Qt::AccessibleDescriptionRole, mark);
    }
  }
  const std::string chosen = ChosenFolder();
  const bool doll = !chosen.empty();
  const bool mine = chosen == FShelf;
  ShowAction->setEnabled(doll);
  DuplicateAction->setEnabled(doll);
  RenameAction->setEnabled(doll && !mine);
  const bool shown = Shown(chosen);
  TrashAction->setEnabled(doll && !mine && !shown);
  TrashAction->setToolTip(
      mine    ? Tr("Shelf", "わたしの人形は ~/Kavinel そのものなので、ごみ箱に移せません").ToQString()
      : shown ? Tr("Shelf", "表示中の人形はごみ箱に移せません").ToQString()
              : Tr("Shelf", "人形のフォルダーをデスクトップのごみ箱に移します").ToQString());
  UndoAction->setEnabled(!FSteps.empty());
}

void TShelfWindow::ShowChosen() {
  const std::string folder = ChosenFolder();
  if (!folder.empty() && FActions.Show(folder)) ShowState();
}

bool TShelfWindow::Shown(const std::string& folder) const {
  return FActions.ShownFolder && SameFolder(folder, FActions.ShownFolder());
}

void TShelfWindow::Renamed(const std::string& folder) {
  if (FActions.ShownRenamed) FActions.ShownRenamed(folder);
  RememberDoll(FShelf, folder);  // the doll shown has a new name
}

bool TShelfWindow::Try(const std::function<void()>& act) {
  try {
    const TBusyCursor busy;
    act();
    return true;
  } catch (const std::exception& e) {
    ShowMsg(e.what(), this);
    return false;
  }
}

void TShelfWindow::MakeNew() {
  std::string made;
  if (!Try([&] { made = NewDoll(FShelf, FSamples); })) return;
  FSteps.push_back({TStep::Made, made, FActions.ShownFolder ? FActions.ShownFolder() : ""});
  Refresh();
  Choose(made);
  FActions.Show(made);
  ShowState();
}

void TShelfWindow::Duplicate() {
  const std::string folder = ChosenFolder();
  std::string made;
  if (folder.empty() || !Try([&] { made = DuplicateDoll(FShelf, folder); })) return;
  FSteps.push_back({TStep::Made, made, {}});
  Refresh();
  Choose(made);
}

void TShelfWindow::StartRename() {
  if (QListWidgetItem* item = List->currentItem(); item && RenameAction->isEnabled())
    List->editItem(item);
}

void TShelfWindow::Rename(QListWidgetItem* item) {
  const std::string folder = FolderOf(item);
  const std::string name = item->text().toStdString();
  if (name == item->data(NameRole).toString().toStdString()) return;
  std::string renamed;
  const bool shown = Shown(folder);
  if (!Try([&] { renamed = RenameDoll(folder, name); })) {
    // The name typed stays in the editor to be put right; the item keeps the folder's.
    const QSignalBlocker quiet(List);
    item->setText(item->data(NameRole).toString());
    return QTimer::singleShot(0, this, [this, folder, typed = QString::fromStdString(name)] {
      EditAgain(folder, typed);
    });
  }
  FSteps.push_back({TStep::Renamed, folder, renamed});
  if (shown) Renamed(renamed);
  // Told once the editor is gone: the list is made again, under the name the folder has.
  QTimer::singleShot(0, this, [this, renamed] {
    Refresh();
    Choose(renamed);
  });
}

void TShelfWindow::EditAgain(const std::string& folder, const QString& typed) {
  Choose(folder);
  QListWidgetItem* item = List->currentItem();
  if (!item || FolderOf(item) != folder) return;
  List->editItem(item);
  if (auto* editor = qobject_cast<QLineEdit*>(List->indexWidget(List->indexFromItem(item))))
    editor->setText(typed);
}

void TShelfWindow::Trash() {
  const std::string folder = ChosenFolder();
  if (!TrashAction->isEnabled() || folder.empty()) return;
  std::string inTrash;
  if (!Try([&] { inTrash = TrashDoll(folder); })) return;
  FSteps.push_back({TStep::Trashed, folder, inTrash});
  Refresh();
}

void TShelfWindow::Undo() {
  if (FSteps.empty()) return;
  const TStep step = FSteps.back();
  const bool undone = Try([&] {
    switch (step.Kind) {
      case TStep::Trashed:
        RestoreFromTrash(step.Other, step.Folder);
        break;
      case TStep::Renamed: {
        const bool shown = Shown(step.Other);
        RenameDoll(step.Other, fs::path(step.Folder).filename().string());
        if (shown) Renamed(step.Folder);
        break;
      }
      case TStep::Made:
        // A new doll shown gives way to the doll shown before it.
        if (Shown(step.Folder) && !FActions.Show(step.Other)) return;
        TrashDoll(step.Folder);
        break;
    }
  });
  // A step that cannot be taken back (its trash emptied, its name taken) is told and dropped.
  FSteps.pop_back();
  if (!undone) return;
  Refresh();
  Choose(step.Folder);
}

void TShelfWindow::DropTyping() {
  if (QWidget* editor = List->indexWidget(List->currentIndex()))
    emit List->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

TShelfWindow::~TShelfWindow() {
  DropTyping();
  FPainters.clear();  // the pictures not begun are not waited for
  SaveSize();         // the program may end with the shelf open
}

void TShelfWindow::SaveSize() const {
  KeepWindowSize(SettingsName, size());
}

void TShelfWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Opened anew, beside the main window, clear of its views.
  if (!event->spontaneous() && parentWidget()) MoveBeside(*this, *parentWidget());
}

void TShelfWindow::keyPressEvent(QKeyEvent* event) {
  // Reaches the window only when no control takes it: a name's editor takes its own Escape.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
    close();
  else
    QWidget::keyPressEvent(event);
}

void TShelfWindow::closeEvent(QCloseEvent* event) {
  DropTyping();
  SaveSize();
  FTurn.stop();
  QWidget::closeEvent(event);
}
