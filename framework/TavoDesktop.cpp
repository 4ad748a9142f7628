#include "TavoDesktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace {

QString RealFileDialog(QWidget* parent, const QString& caption, const QString& folder,
                       const QString& filter) {
  return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString RealSaveDialog(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter, const QString& suffix) {
  QFileDialog dialog(parent, caption, suggested, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(suffix);
  dialog.selectFile(suggested);
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

bool RealFolderOpener(const QString& folder) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

TFileDialog FileDialog = RealFileDialog;
TSaveDialog SaveDialog = RealSaveDialog;
TFolderOpener FolderOpener = RealFolderOpener;

}  // namespace

QString ChooseFileToOpen(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) {
  return FileDialog(parent, caption, folder, filter);
}

void SetFileDialog(TFileDialog dialog) {
  FileDialog = dialog ? std::move(dialog) : RealFileDialog;
}

QString ChooseFileToSave(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter, const QString& suffix) {
  return SaveDialog(parent, caption, suggested, filter, suffix);
}

void SetSaveDialog(TSaveDialog dialog) {
  SaveDialog = dialog ? std::move(dialog) : RealSaveDialog;
}

bool ShowFolder(const QString& folder) {
  return FolderOpener(folder);
}

void SetFolderOpener(TFolderOpener opener) {
  FolderOpener = opener ? std::move(opener) : RealFolderOpener;
}
