#include "MessageBoxWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

SeenMessageBox CloseNextMessageBox(const std::function<void()>& open) {
  SeenMessageBox seen;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    poll.stop();
    seen = {box->windowTitle(),  box->text(),       static_cast<int>(box->buttons().size()),
            box->icon(),         box->textFormat(), true,
            box->frameGeometry()};
    box->button(QMessageBox::Ok)->click();
  });
  poll.start(5);
  open();
  return seen;
}
