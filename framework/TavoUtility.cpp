#include "TavoUtility.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace {

void QtBeep() {
  QApplication::beep();
}

TBeepHandler Beep = QtBeep;
bool Terminated = false;

}  // namespace

void ShowMsg(const std::string& AText, QWidget* AOver) {
  QPointer<QWidget> previous = QApplication::activeWindow();
  QPointer<QWidget> focus = QApplication::focusWidget();
  // Owned by the window it opens over, and gone with it should that window go first.
  const QPointer<QMessageBox> box = new QMessageBox(
      QMessageBox::NoIcon, QString::fromUtf8(ApplicationTitle), QString::fromStdString(AText),
      QMessageBox::Ok, AOver ? AOver->window() : previous.data());
  // File names are shown as typed: a name like "<b>doll</b>.bmp" must not become markup.
  box->setTextFormat(Qt::PlainText);
  box->setWindowModality(Qt::ApplicationModal);
  box->exec();
  delete box.data();
  if (previous) previous->activateWindow();
  if (focus) focus->setFocus();
}

TBusyCursor::TBusyCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

TBusyCursor::~TBusyCursor() {
  QApplication::restoreOverrideCursor();
}

void DefaultBeep() {
  Beep();
}

void SetBeepHandler(TBeepHandler handler) {
  Beep = handler ? handler : QtBeep;
}

bool ApplicationTerminated() {
  return Terminated;
}

void SetApplicationTerminated(bool terminated) {
  Terminated = terminated;
}
