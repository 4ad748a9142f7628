// The framework's small services: the message box, the default beep, and the application's
// terminate flag that the main loop watches.
#pragma once

#include <string>

class QWidget;

// The application title, the caption of every message box.
inline const char* const ApplicationTitle = "カヴィネル";

// A modal message box owned by the application: the text, the application title as caption,
// one OK button and no icon, over `AOver`'s window, the one whose action it answers (the
// active window unless told). Returns when the user closes it; the window that was active
// before gets its focus back.
void ShowMsg(const std::string& AText, QWidget* AOver = nullptr);

// Shows the busy cursor over the program's windows while it lives: for work such as reading
// a large picture, during which the views stand still.
class TBusyCursor {
 public:
  TBusyCursor();
  ~TBusyCursor();
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// The platform's default beep. Tests may count beeps instead.
void DefaultBeep();
using TBeepHandler = void (*)();
void SetBeepHandler(TBeepHandler handler);  // null restores the real beep

// Set once the main window has been closed; the main loop returns at the end of its pass.
bool ApplicationTerminated();
void SetApplicationTerminated(bool terminated);
