#include "TavoPaintBox.h"

#include <QDropEvent>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <cstring>

#include "TavoBmp.h"

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
  // Every pixel is painted from the picture, so Qt need not clear the area first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::ShowPicture(const QImage& picture) {
  // A copy of the pixels, not a shared reference: the frame bitmap is written through raw
  // row addresses every frame and must never be shared.
  if (FPicture.size() != picture.size() || FPicture.format() != picture.format())
    FPicture = QImage(picture.size(), picture.format());
  const auto bytes = static_cast<std::size_t>(picture.bytesPerLine());
  for (int y = 0; y < picture.height(); ++y)
    std::memcpy(FPicture.scanLine(y), picture.constScanLine(y), bytes);
  update();
}

void TPaintBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (FPicture.isNull()) {
    painter.fillRect(rect(), palette().window());
    return;
  }
  painter.drawImage(0, 0, FPicture);
  if (FDropFrame) {
    painter.setPen(QPen(QColor(255, 255, 210), 3));
    painter.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
  }
}

void TPaintBox::AcceptPictureDrops(TPictureDrop onDrop) {
  FOnDrop = std::move(onDrop);
  setAcceptDrops(true);
}

QString TPaintBox::FirstPicture(const QMimeData* data) {
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (QImageReader(path).canRead()) return path;
  }
  return {};
}

void TPaintBox::SetDropFrame(bool shown) {
  FDropFrame = shown;
  update();
}

void TPaintBox::dragEnterEvent(QDragEnterEvent* event) {
  if (FirstPicture(event->mimeData()).isEmpty()) return;  // ignored: the cursor says no
  event->acceptProposedAction();
  SetDropFrame(true);
}

void TPaintBox::dragMoveEvent(QDragMoveEvent* event) {
  event->acceptProposedAction();
}

void TPaintBox::dragLeaveEvent(QDragLeaveEvent* /*event*/) {
  SetDropFrame(false);
}

void TPaintBox::dropEvent(QDropEvent* event) {
  SetDropFrame(false);
  const QString picture = FirstPicture(event->mimeData());
  if (picture.isEmpty() || !FOnDrop) return;
  event->acceptProposedAction();
  QTimer::singleShot(0, this, [this, picture] { FOnDrop(picture.toStdString()); });
}

void TTavoBitmap::DrawToPaintBox(TPaintBox& paintBox) const {
  paintBox.ShowPicture(*this);
}
