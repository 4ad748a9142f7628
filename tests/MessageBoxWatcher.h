// Closing the message box that an action opens, and telling what it showed.
#pragma once

#include <QMessageBox>
#include <QRect>
#include <QString>
#include <functional>

struct SeenMessageBox {
  QString Title;
  QString Text;
  int Buttons = -1;
  QMessageBox::Icon Icon = QMessageBox::Warning;
  Qt::TextFormat Format = Qt::AutoText;
  bool Shown = false;
  QRect Frame;  // where it was shown, its frame included
};

// Runs `open`; a message box it shows is read and closed with its OK button.
SeenMessageBox CloseNextMessageBox(const std::function<void()>& open);
