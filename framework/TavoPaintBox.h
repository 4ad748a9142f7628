// A paint box: a plain area of the window that shows the last picture drawn into it, and
// shows it again whenever it is uncovered. It can also take pictures dropped on it.
#pragma once

#include <QCursor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QMimeData;

class TPaintBox : public QWidget {
 public:
  using TPictureDrop = std::function<void(const std::string& fileName)>;

  explicit TPaintBox(QWidget* parent = nullptr);

  // Keeps a copy of `picture` and repaints with it, cut off at the box's edges.
  void ShowPicture(const QImage& picture);
  const QImage& Picture() const { return FPicture; }

  // Takes picture files dragged onto the box: while one is over it a light frame shows that
  // it will be taken, and once it is dropped `onDrop` gets the first picture's path (after
  // the drop has completed, so that the program it came from is not kept waiting). Anything
  // that is not a local picture file is refused; only regular files are ever opened, so a
  // pipe or a device never keeps the program waiting. A drop that holds no picture but a
  // local file that is not a regular one (it changed after it was dragged in) is refused
  // with a message. While `canTake` says no, pictures are refused too, and one dropped all
  // the same (the answer changed under the pointer) only beeps. Regular files whose names end
  // in one of `documentSuffixes` (in any case) are taken as pictures are.
  void AcceptPictureDrops(TPictureDrop onDrop, std::function<bool()> canTake,
                          QStringList documentSuffixes = {});
  bool ShowsDropFrame() const { return FDropFrame; }

  // What the box reports of a drag along the doll's edge, in the box's own pixel columns and
  // rows whatever the screen's scale. Over a point where `CanGrab` answers true the pointer
  // is a left-right resize cursor; a left press there calls `Press`, which answers whether a
  // drag starts; the drag reports each `Move`, and ends with `Release(true)` when the button
  // is let go, or `Release(false)` when Escape is pressed first.
  struct TEdgeDrag {
    std::function<bool(int row, int x)> CanGrab;
    std::function<bool(int row, int x)> Press;
    std::function<void(int x)> Move;
    std::function<void(bool keep)> Release;
  };
  void AcceptEdgeDrags(TEdgeDrag handlers);

  // Strokes of a brush, in the box's own coordinates, where a pixel (x, y) covers [x, x + 1) ×
  // [y, y + 1). While `CursorAt` gives a cursor for the point under the pointer, the pointer
  // shows it, strokes are taken in place of edge drags, and a left press calls `Press` with
  // the keys held, which answers whether a stroke starts; the stroke reports each `Move`, and
  // ends with `Release(true)` when the button is let go, or `Release(false)` when Escape is
  // pressed first. `Hover` hears where the pointer is at every move, held or not, and nothing
  // once it leaves the box; `Wheel` hears the wheel turned by whole notches (up positive) and
  // answers whether it took them.
  struct TStrokes {
    std::function<std::optional<QCursor>(QPointF at)> CursorAt;
    std::function<bool(QPointF at, Qt::KeyboardModifiers keys)> Press;
    std::function<void(QPointF at)> Move;
    std::function<void(bool keep)> Release;
    std::function<void(std::optional<QPointF> at)> Hover;
    std::function<bool(int notches)> Wheel;
  };
  void AcceptStrokes(TStrokes handlers);

  // An edge drag or a stroke is under way.
  bool Dragging() const { return FDragging; }
  // Shows the pointer as a move to where it is would, for a change that did not move it.
  void RefreshCursor();

  // Draws the outline of the ellipse `outline` (in the box's pixels) over the picture, as the
  // brush's pointer is drawn; nothing hides it.
  void ShowOutline(std::optional<QRectF> outline);
  std::optional<QRectF> Outline() const { return FOutline; }

  // Where the pointer rests on the box, it shows what `describe` says at that moment.
  void DescribeWith(std::function<QString()> describe);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The first local regular file among the dragged ones that a picture reader recognises, or
  // "". `notRegular`, if given, gets the first local file that is there but is not a regular
  // file, with the reason.
  QString FirstPicture(const QMimeData* data, std::string* notRegular = nullptr) const;
  void SetDropFrame(bool shown);
  void ShowCursorAt(QPointF at);
  // Starts an edge drag or a stroke at a left press; whether one started.
  bool PressEdge(const QMouseEvent* event);
  bool PressStroke(const QMouseEvent* event);
  void EndDrag(bool keep);

  QImage FPicture;
  TPictureDrop FOnDrop;
  std::function<bool()> FCanTake;
  QStringList FDocumentSuffixes;
  bool FDragHoldsPicture = false;
  bool FDropFrame = false;
  std::function<QString()> FDescribe;
  TEdgeDrag FEdgeDrag;
  TStrokes FStrokes;
  bool FDragging = false;
  bool FStroking = false;  // the drag under way is a stroke
  std::optional<QRectF> FOutline;
  int FWheelEighths = 0;  // of a degree turned and not yet a whole notch
};
