// A stand-in for a file manager in the end-to-end tests: a small window that, when the mouse
// is pressed on it, starts dragging the file named on its command line, as a file manager
// drags a file's address. It prints what the drop target did with it.
// Usage: drag_source FILE
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(const QString& file) : FFile(file) {
    setWindowTitle("drag source");
    resize(100, 100);
  }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(FFile)});
    // Kept alive with the window, as a file manager keeps it: the target asks for the
    // file's address again when it drops, after exec() here may already have returned.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction done = drag->exec(Qt::CopyAction);
    std::printf("drop: %s\n", done == Qt::CopyAction ? "copied" : "refused");
    std::fflush(stdout);
  }

 private:
  QString FFile;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: drag_source FILE\n");
    return 2;
  }
  DragSource source(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
  source.show();
  return QApplication::exec();
}
