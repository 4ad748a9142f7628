// A paint box: a plain area of the window that shows the last picture drawn into it, and
// shows it again whenever it is uncovered.
#pragma once

#include <QImage>
#include <QWidget>

class TPaintBox : public QWidget {
 public:
  explicit TPaintBox(QWidget* parent = nullptr);

  // Keeps a copy of `picture` and repaints with it, cut off at the box's edges.
  void ShowPicture(const QImage& picture);
  const QImage& Picture() const { return FPicture; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage FPicture;
};
