// Where the program's windows beside the main window open, and what their title bars say.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Where a window of frame size `size` opens beside the main window's frame `mainFrame`: right
// of it, else left of it, else below it, wholly inside the screen's `available` area and never
// over the main window. Null where the screen has no room for it: the window system then
// places it.
QRect PlaceBeside(const QRect& mainFrame, const QSize& size, const QRect& available);

// Moves `window`, about to be shown, where PlaceBeside puts it beside `main`, counting the frame
// it will have as `main`'s; leaves it to the window system where there is no room.
void MoveBeside(QWidget& window, const QWidget& main);

// Hands the shown `window`'s title to the window system as it is. Qt adds the application's
// display name to every title it hands over, which a tool window's short title bar would cut.
void ShowTitleAlone(QWidget& window);
