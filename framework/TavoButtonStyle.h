// The buttons' look on the dark panel: the desktop's own style, with a focus frame that can be
// seen there. Qt's default marks the focused button with a one-pixel dark line, which the dark
// panel swallows.
#pragma once

#include <QColor>
#include <QProxyStyle>

class TButtonStyle : public QProxyStyle {
 public:
  // A bright frame, two pixels wide, round the whole button.
  static constexpr QColor FocusColour{255, 200, 0};
  static constexpr int FocusWidth = 2;

  using QProxyStyle::QProxyStyle;

  // Draws a push button as the desktop's style does, and over it the focus frame once the
  // keyboard has moved the focus, as the desktop's style shows its own.
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
};
