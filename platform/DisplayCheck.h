// Whether the window can be shown at all, asked before anything is made: Qt aborts the
// program when it cannot reach a display, and a start that cannot show a window should leave
// nothing behind.
#pragma once

#include <string>

// "" when a display is named and, for X, takes a connection (tried with libxcb, as Qt would);
// otherwise the line that says why, in the desktop's language. A platform chosen with
// QT_QPA_PLATFORM, or a Wayland display named, is taken at its word.
std::string DisplayUnreachable();
