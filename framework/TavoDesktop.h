// The desktop's own services the window asks for: a file chosen in the open dialog, and a
// folder shown in the file manager. Tests put stand-ins in their place, so that no dialog
// waits for a person and no file manager starts.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// The open dialog (the desktop's own where the platform offers one, Qt's otherwise), starting
// in `folder` and listing the files `filter` names. Returns the chosen file, or "" when the
// person cancels.
QString ChooseFileToOpen(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter);
using TFileDialog = std::function<QString(QWidget* parent, const QString& caption,
                                          const QString& folder, const QString& filter)>;
void SetFileDialog(TFileDialog dialog);  // empty restores the real dialog

// The save dialog, starting at `suggested` (a folder and a file name) and listing the files
// `filter` names; a name typed without a suffix gets `suffix`. The dialog itself asks before
// a file is replaced. Returns the chosen file, or "" when the person cancels.
QString ChooseFileToSave(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter, const QString& suffix);
using TSaveDialog =
    std::function<QString(QWidget* parent, const QString& caption, const QString& suggested,
                          const QString& filter, const QString& suffix)>;
void SetSaveDialog(TSaveDialog dialog);  // empty restores the real dialog

// Shows `folder` in the desktop's file manager (xdg-open on Linux). Returns false when none
// could be started.
bool ShowFolder(const QString& folder);
using TFolderOpener = std::function<bool(const QString& folder)>;
void SetFolderOpener(TFolderOpener opener);  // empty restores the desktop's
