#include "TavoForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include "TavoClock.h"
#include "TavoUtility.h"
#include "Translation.h"

namespace {

constexpr int VK_MENU = 18;  // Alt
constexpr int VK_F10 = 121;

bool IsKeyMessage(QEvent::Type type) {
  return type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride;
}

// Where a window of outer size `window` goes to be centred on the screen's own rectangle: the
// primary screen of a desktop need not start at 0, 0 (a panel left of it, say).
QPoint CentredOn(const QScreen& screen, QSize window) {
  const QRect area = screen.geometry();
  return area.topLeft() + TTavoForm::CentredPosition(area.size(), window);
}

}  // namespace

int VirtualKeyOf(int qtKey) {
  if (qtKey == Qt::Key_Alt || qtKey == Qt::Key_AltGr) return VK_MENU;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;  // same codes as ASCII
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
  return 0;
}

TTavoForm::TTavoForm(int ADesignClientWidth, int ADesignClientHeight, TLayoutLoader ALoadLayout,
                     QWidget* AOwner)
    : QWidget(AOwner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      FDesignClientWidth(ADesignClientWidth),
      FDesignClientHeight(ADesignClientHeight),
      FCreateTime(static_cast<std::int32_t>(TimeGetTime() & 0x7FFFFFFFu)) {
  if (ALoadLayout) ALoadLayout(this);
  // The design size replaces whatever the stored layout said; the window is not resizable.
  setFixedSize(FDesignClientWidth, FDesignClientHeight);
  // Not shown yet, the window has no frame: its client area stands for it until it is framed.
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) move(CentredOn(*screen, frameGeometry().size()));
  qApp->installEventFilter(this);
}

TTavoForm::~TTavoForm() {
  qApp->removeEventFilter(this);
}

QPoint TTavoForm::CentredPosition(QSize screen, QSize window) {
  // C++ division truncates toward zero, as the window's position must.
  return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

void TTavoForm::CentreFramedOnce() {
  if (FCentredFramed || !windowHandle()->isExposed()) return;
  FCentredFramed = true;
  // The window system's own margins, read afresh: a window manager publishes them when it
  // frames the window, before it maps it. Without a frame the constructor's position stands.
  const QMargins frame = windowHandle()->frameMargins();
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (frame.isNull() || !screen) return;
  const QPoint outer = CentredOn(*screen, size().grownBy(frame));
  // Placed by its client area, which does not depend on what the widget last learnt of the
  // frame.
  setGeometry(QRect(outer + QPoint(frame.left(), frame.top()), size()));
}

void TTavoForm::StartLoop(TLoopProc AProc) {
  FLoopProc = AProc;
  QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(WM_RUNLOOP)));
}

bool TTavoForm::event(QEvent* e) {
  if (e->type() == static_cast<QEvent::Type>(WM_RUNLOOP)) {
    // The main loop runs inside this call until the application terminates. An error that
    // leaves it is reported; the window goes on answering its controls, without frames.
    if (FLoopProc) ReportErrors(FLoopProc);
    return true;
  }
  return QWidget::event(e);
}

bool TTavoForm::WantChildKey(QWidget* /*Child*/, const TKeyMessage& Message) {
  return Message.WParam == VK_MENU || Message.WParam == VK_F10;
}

bool TTavoForm::eventFilter(QObject* watched, QEvent* e) {
  // The exposure reaches only the window system's window, not the widget.
  if (e->type() == QEvent::Expose && watched == windowHandle()) CentreFramedOnce();
  if (!IsKeyMessage(e->type()) || !watched->isWidgetType()) return false;
  auto* child = static_cast<QWidget*>(watched);
  if (child->window() != this) return false;
  const auto* key = static_cast<QKeyEvent*>(e);
  // One Qt key event stands for both the key message and, with text, its character message.
  const TKeyMessage keyMessage{e->type(), VirtualKeyOf(key->key())};
  if (WantChildKey(child, keyMessage)) return true;
  const QString text = key->text();
  if (text.size() == 1) {
    const TKeyMessage character{e->type(), text.at(0).unicode()};
    if (WantChildKey(child, character)) return true;
  }
  return false;
}

void TTavoForm::closeEvent(QCloseEvent* e) {
  // The one place that sees every way of ending: the main loop returns after this pass.
  SetApplicationTerminated(true);
  QWidget::closeEvent(e);
}

void TTavoForm::PutMenuBar(QWidget* bar) {
  FMenuBarHeight = bar->sizeHint().height();
  bar->setGeometry(0, 0, FDesignClientWidth, FMenuBarHeight);
  setFixedSize(FDesignClientWidth, FDesignClientHeight + FMenuBarHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(CentredOn(*screen, frameGeometry().size()));
}

void TTavoForm::FitPanel(QWidget* APanel, bool AVisible) {
  APanel->setGeometry(0, FMenuBarHeight, width(), height() - FMenuBarHeight);
  APanel->setVisible(AVisible);
}

void TTavoForm::ReportException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    ShowMsg(e.what());
  } catch (...) {
    ShowMsg(Tr("Errors", "不明なエラーが発生しました。"));
  }
}
