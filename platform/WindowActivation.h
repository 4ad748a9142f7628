// Bringing the window to the front for a start that was handed over: the desktop gave that
// start a startup id (X11) or an activation token (Wayland), which the window now uses as its
// own, so that the window manager lets it take the focus and the launch feedback ends.
#pragma once

#include <QByteArray>

class QWidget;

// Shows `window` unminimised, raised and active, with `startupId` or `token` (either may be
// empty). On X11 the window takes the startup id, is activated at the time of the click the
// id carries ("_TIME<n>", where the window manager's focus rules want a time later than the
// last focus change), and the desktop is told that the start is complete; on Wayland the token
// is left where Qt looks for it when the window asks to be activated.
void BringToFront(QWidget& window, const QByteArray& startupId, const QByteArray& token);
