#include "TavoWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

QRect PlaceBeside(const QRect& mainFrame, const QSize& size, const QRect& available) {
  constexpr int Gap = 8;
  // Level with the main window's top beside it and with its left below it, slid inside.
  const int top =
      std::max(available.top(), std::min(mainFrame.top(), available.bottom() + 1 - size.height()));
  const int left =
      std::max(available.left(), std::min(mainFrame.left(), available.right() + 1 - size.width()));
  const QRect sides[] = {
      {{mainFrame.right() + 1 + Gap, top}, size},
      {{mainFrame.left() - Gap - size.width(), top}, size},
      {{left, mainFrame.bottom() + 1 + Gap}, size},
  };
  for (const QRect& side : sides)
    if (available.contains(side)) return side;
  return {};
}

void MoveBeside(QWidget& window, const QWidget& main) {
  const QRect frame = main.frameGeometry();
  const QRect client = main.geometry();
  // A window not shown yet has no frame: it is counted as the main window's.
  const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
  const QRect place =
      PlaceBeside(frame, window.size().grownBy(margins), main.screen()->availableGeometry());
  if (!place.isNull()) window.move(place.topLeft());
}

void ShowTitleAlone(QWidget& window) {
  QWindow* handle = window.windowHandle();
  if (!handle) return;
  // Qt adds no display name to a title that already ends with it.
  const QString displayName = QGuiApplication::applicationDisplayName();
  QGuiApplication::setApplicationDisplayName(window.windowTitle());
  handle->setTitle(window.windowTitle());
  QGuiApplication::setApplicationDisplayName(displayName);
}
