// The framework's base window: a fixed client size chosen by the derived window and a
// position centred with the window's frame, the hand-over of the cooperative main loop
// through a private event, a keyboard filter that drops Alt and F10 for the window and all
// its controls, and the framework's error reports at its own boundaries.
#pragma once

#include <QAbstractButton>
#include <QEvent>
#include <QPoint>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <exception>

// The private event that starts the main loop: the first user message number plus 10.
inline constexpr int WM_RUNLOOP = 1034;

// A keyboard message as the filter sees it: its kind and its word parameter (the virtual key
// code of a key message, the character code of a character message).
struct TKeyMessage {
  QEvent::Type Msg;
  int WParam;
};

class TTavoForm : public QWidget {
 public:
  using TLoopProc = void (*)();
  // Applies the window's stored layout (uic's setupUi) to the form.
  using TLayoutLoader = void (*)(QWidget* form);

  // In this order: reads the clock, loads the stored layout, replaces its client size by the
  // design size, and centres the window on the primary screen's own rectangle. A window has no
  // frame before it is shown; at its first exposure, when the window system has framed it, the
  // window is centred again with its frame, once.
  TTavoForm(int ADesignClientWidth, int ADesignClientHeight, TLayoutLoader ALoadLayout,
            QWidget* AOwner = nullptr);
  ~TTavoForm() override;

  // Stores the loop and posts WM_RUNLOOP to this window once; returns at once.
  void StartLoop(TLoopProc AProc);

  // True exactly for the key codes of Alt (18) and F10 (121): such messages are dropped for
  // the form and every control on it.
  virtual bool WantChildKey(QWidget* Child, const TKeyMessage& Message);

  // Puts `bar` along the top of the window, which grows by the bar's height so that the design
  // client area stays whole beneath it, and centres the window again.
  void PutMenuBar(QWidget* bar);

  // Puts the panel over the whole client area under the menu bar, and shows or hides it.
  void FitPanel(QWidget* APanel, bool AVisible);

  // Connects a button to a handler of the derived form; an exception leaving the handler is
  // reported in a message box and the program goes on.
  template <class Form>
  void ConnectClick(QAbstractButton* button, void (Form::*handler)()) {
    Form* form = static_cast<Form*>(this);
    QObject::connect(button, &QAbstractButton::clicked, this,
                     [form, handler] { ReportErrors([&] { (form->*handler)(); }); });
  }

  // Runs `action`, reporting any exception that leaves it in a message box. Nothing may
  // unwind through the toolkit's own frames.
  template <class Action>
  static void ReportErrors(Action&& action) {
    try {
      action();
    } catch (...) {
      ReportException(std::current_exception());
    }
  }

  std::int32_t CreateTime() const { return FCreateTime; }
  QSize DesignClientSize() const { return {FDesignClientWidth, FDesignClientHeight}; }

  // Left and top that centre a window of outer size `window` on a screen of size `screen`,
  // counted from the screen's own top left, each an integer division truncating toward zero.
  static QPoint CentredPosition(QSize screen, QSize window);

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  static void ReportException(std::exception_ptr error);
  // The first exposure of the shown window: centres it with the frame the window system put
  // round it. Later exposures leave the window where it is, wherever the user has moved it.
  void CentreFramedOnce();

  int FDesignClientWidth;
  int FDesignClientHeight;
  TLoopProc FLoopProc = nullptr;
  std::int32_t FCreateTime;
  bool FCentredFramed = false;
  int FMenuBarHeight = 0;
};

// The key code a key event carries on the platform the program was written for: 18 for Alt,
// 112.. for F1.., 65..90 for letters, 48..57 for digits; 0 for keys the program never asks
// about.
int VirtualKeyOf(int qtKey);
