#include "TavoDesktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace {

QString RealFileDialog(QWidget* parent, const QString& caption, const QString& folder,
                       const QString& filter) {
  return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

bool RealFolderOpener(const QString& folder) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

TFileDialog FileDialog = RealFileDialog;
TFolderOpener FolderOpener = RealFolderOpener;

}  // namespace

QString ChooseFileToOpen(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) {
  return FileDialog(parent, caption, folder, filter);
}

void SetFileDialog(TFileDialog dialog) {
  FileDialog = dialog ? std::move(dialog) : RealFileDialog;
}

bool ShowFolder(const QString& folder) {
  return FolderOpener(folder);
}

void SetFolderOpener(TFolderOpener opener) {
  FolderOpener = opener ? std::move(opener) : RealFolderOpener;
}
