#include "TavoPaintBox.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAccessibleWidget>
#include <QDropEvent>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>
#include <cmath>
#include <cstring>

#include "TavoBmp.h"
#include "TavoErrors.h"
#include "TavoUtility.h"
#include "Translation.h"

namespace {

bool IsRegularFile(const struct stat& info) {
  return S_ISREG(info.st_mode);
}

// Whether the regular file at `path` is a picture a reader recognises. Opened without waiting
// and checked again once open, in case something else took the name after it was looked at:
// opening a pipe for reading waits for a writer, for good if none comes.
bool IsPicture(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  QFile file(path);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  struct stat info {};
  return ::fstat(fd, &info) == 0 && IsRegularFile(info) && QImageReader(&file).canRead();
}

// The box pixel under the pointer: its column and row.
QPoint PixelAt(const QMouseEvent* event) {
  const QPointF at = event->position();
  return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

}  // namespace

namespace {

// A screen reader reads a paint box as the picture it is, by the name and description the
// window gives it.
QAccessibleInterface* AccessiblePaintBox(const QString& /*className*/, QObject* object) {
  auto* box = dynamic_cast<TPaintBox*>(object);
  return box ? new QAccessibleWidget(box, QAccessible::Graphic) : nullptr;
}

}  // namespace

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
  [[maybe_unused]] static const bool accessible =
      (QAccessible::installFactory(AccessiblePaintBox), true);
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
  if (FOutline) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2.5));
    painter.drawEllipse(*FOutline);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(*FOutline);
  }
  if (FDropFrame) {
    painter.setPen(QPen(QColor(255, 255, 210), 3));
    painter.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
  }
}

void TPaintBox::AcceptPictureDrops(TPictureDrop onDrop, std::function<bool()> canTake,
                                   QStringList documentSuffixes) {
  FOnDrop = std::move(onDrop);
  FCanTake = std::move(canTake);
  FDocumentSuffixes = std::move(documentSuffixes);
  setAcceptDrops(true);
}

void TPaintBox::DescribeWith(std::function<QString()> describe) {
  FDescribe = std::move(describe);
}

bool TPaintBox::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && FDescribe) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), FDescribe(), this);
    return true;
  }
  return QWidget::event(event);
}

QString TPaintBox::FirstPicture(const QMimeData* data, std::string* notRegular) const {
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    // Looked at before anything opens it.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) continue;
    if (!IsRegularFile(info)) {
      if (notRegular && notRegular->empty())
        *notRegular =
            EFOpenError(path.toStdString(), S_ISDIR(info.st_mode)
                                                ? Tr("Pictures", "フォルダーです")
                                                : Tr("Pictures", "通常のファイルではありません"))
                .what();
      continue;
    }
    for (const QString& suffix : FDocumentSuffixes)
      if (path.endsWith(suffix, Qt::CaseInsensitive)) return path;
    if (IsPicture(path)) return path;
  }
  return {};
}

void TPaintBox::SetDropFrame(bool shown) {
  FDropFrame = shown;
  update();
}

void TPaintBox::dragEnterEvent(QDragEnterEvent* event) {
  FDragHoldsPicture = !FirstPicture(event->mimeData()).isEmpty();
  dragMoveEvent(event);
}

void TPaintBox::dragMoveEvent(QDragMoveEvent* event) {
  // Asked again at every move: the box may take pictures again while one is held over it.
  const bool takes = FDragHoldsPicture && FCanTake();
  if (takes) {
    event->acceptProposedAction();
  } else {
    event->ignore();  // the cursor says no
  }
  if (takes != FDropFrame) SetDropFrame(takes);
}

void TPaintBox::dragLeaveEvent(QDragLeaveEvent* /*event*/) {
  SetDropFrame(false);
}

void TPaintBox::dropEvent(QDropEvent* event) {
  SetDropFrame(false);
  std::string refusal;
  const QString picture = FirstPicture(event->mimeData(), &refusal);
  if (picture.isEmpty() && !refusal.empty()) {
    // Told once the drop has completed, like a picture that is taken.
    QTimer::singleShot(0, this, [refusal] { ShowMsg(refusal); });
    return;
  }
  if (picture.isEmpty() || !FOnDrop) return;
  if (!FCanTake()) {
    DefaultBeep();
    return;
  }
  event->acceptProposedAction();
  QTimer::singleShot(0, this, [this, picture] { FOnDrop(picture.toStdString()); });
}

void TPaintBox::AcceptEdgeDrags(TEdgeDrag handlers) {
  FEdgeDrag = std::move(handlers);
  setMouseTracking(true);  // the cursor changes over the edge without a button held
}

void TPaintBox::AcceptStrokes(TStrokes handlers) {
  FStrokes = std::move(handlers);
  setMouseTracking(true);  // the brush shows without a button held
}

void TPaintBox::RefreshCursor() {
  if (!FDragging && underMouse()) ShowCursorAt(mapFromGlobal(QCursor::pos()).toPointF());
}

void TPaintBox::ShowCursorAt(QPointF at) {
  const std::optional<QCursor> brush = FStrokes.CursorAt ? FStrokes.CursorAt(at) : std::nullopt;
  const QPoint pixel(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())));
  if (brush) {
    setCursor(*brush);
  } else if (FEdgeDrag.CanGrab && FEdgeDrag.CanGrab(pixel.y(), pixel.x())) {
    setCursor(Qt::SizeHorCursor);
  } else {
    unsetCursor();
  }
}

void TPaintBox::ShowOutline(std::optional<QRectF> outline) {
  if (outline == FOutline) return;
  FOutline = outline;
  update();
}

void TPaintBox::leaveEvent(QEvent* event) {
  if (FStrokes.Hover) FStrokes.Hover(std::nullopt);
  QWidget::leaveEvent(event);
}

void TPaintBox::wheelEvent(QWheelEvent* event) {
  FWheelEighths += event->angleDelta().y();
  const int notches = FWheelEighths / 120;  // a notch is 15 degrees
  FWheelEighths -= notches * 120;
  if (!FStrokes.Wheel || !FStrokes.Wheel(notches)) event->ignore();
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
  if (FStrokes.Hover) FStrokes.Hover(event->position());
  if (!FDragging) {
    ShowCursorAt(event->position());
  } else if (FStroking) {
    FStrokes.Move(event->position());
  } else {
    FEdgeDrag.Move(PixelAt(event).x());
  }
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
  if (FDragging || event->button() != Qt::LeftButton) return;
  FStroking = FStrokes.CursorAt && FStrokes.CursorAt(event->position());
  if (!(FStroking ? PressStroke(event) : PressEdge(event))) return;
  FDragging = true;
  grabKeyboard();  // Escape reaches the drag whichever button has the focus
}

bool TPaintBox::PressStroke(const QMouseEvent* event) {
  return FStrokes.Press(event->position(), event->modifiers());
}

bool TPaintBox::PressEdge(const QMouseEvent* event) {
  const QPoint pixel = PixelAt(event);
  if (!FEdgeDrag.Press || !FEdgeDrag.Press(pixel.y(), pixel.x())) return false;
  setCursor(Qt::SizeHorCursor);
  return true;
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
  if (FDragging && event->button() == Qt::LeftButton) EndDrag(true);
}

void TPaintBox::keyPressEvent(QKeyEvent* event) {
  if (FDragging && event->key() == Qt::Key_Escape) {
    EndDrag(false);
    return;
  }
  QWidget::keyPressEvent(event);
}

void TPaintBox::EndDrag(bool keep) {
  FDragging = false;
  releaseKeyboard();
  if (FStroking) return FStrokes.Release(keep);
  unsetCursor();
  FEdgeDrag.Release(keep);
}

void TTavoBitmap::DrawToPaintBox(TPaintBox& paintBox) const {
  paintBox.ShowPicture(*this);
}
