// The base window on a desktop whose primary screen does not start at 0, 0: a laptop panel
// of 1366 × 768 at 0, 0 and, right of it, the primary monitor of 1920 × 1080 at 1366, 0. Run on
// the offscreen platform with TwoScreens.json (the platform makes the screen whose name sorts
// first the primary one).
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include "framework/TavoForm.h"

namespace {

TEST(TavoFormOnTwoScreens, TheWindowIsCentredWithItsFrameOnThePrimaryScreen) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(1366, 0, 1920, 1080));
  TTavoForm form(500, 300, nullptr);
  // Not shown yet, without a frame: the client area is centred.
  EXPECT_EQ(form.frameGeometry(), QRect(1366 + 710, 390, 500, 300));
  // Shown, with the offscreen platform's frame of 2 pixels on every side.
  form.show();
  for (int pass = 0; pass < 100 && !form.windowHandle()->isExposed(); ++pass)
    QCoreApplication::processEvents();
  ASSERT_TRUE(form.windowHandle()->isExposed());
  QCoreApplication::processEvents();
  EXPECT_EQ(form.frameGeometry(), QRect(1366 + 708, 388, 504, 304));
}

}  // namespace
