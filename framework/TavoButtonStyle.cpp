#include "TavoButtonStyle.h"

#include <QPainter>
#include <QStyleOption>

void TButtonStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  // Over the button as the desktop's style drew it, whatever that style does for the focus.
  // A click with the mouse shows no frame: the person knows where they clicked.
  const State focus = State_HasFocus | State_KeyboardFocusChange;
  if (element != CE_PushButton || (option->state & focus) != focus) return;
  const QRect r = option->rect;
  const int w = FocusWidth;
  for (const QRect band :
       {QRect(r.left(), r.top(), r.width(), w), QRect(r.left(), r.bottom() - w + 1, r.width(), w),
        QRect(r.left(), r.top() + w, w, r.height() - 2 * w),
        QRect(r.right() - w + 1, r.top() + w, w, r.height() - 2 * w)})
    painter->fillRect(band, FocusColour);
}
