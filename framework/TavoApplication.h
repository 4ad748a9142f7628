// The application's identity, set up once a QApplication exists: its name and version, the title
// that captions every message box, the window icon and the Japanese user-interface font; and the
// ending asked for by a signal.
#pragma once

class QWidget;

// The program's version: the project's, as the build gives it.
const char* ApplicationVersion();

// Sets the application's language, name, version, title, icon and font substitution.
void InitApplication();

// Closes `window` when the program is asked to end by SIGTERM, SIGINT or SIGHUP (a session
// that ends, a terminal's Ctrl+C or hang-up): the program then ends as when its window is
// closed by the user, with status 0.
void CloseOnTerminationSignals(QWidget& window);
