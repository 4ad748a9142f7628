#include "TavoPaintBox.h"

#include <QPainter>
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
}

void TTavoBitmap::DrawToPaintBox(TPaintBox& paintBox) const {
  paintBox.ShowPicture(*this);
}
