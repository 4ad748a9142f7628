// Test entry for suites that need a QApplication (run with QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  // Headless unless told otherwise; also when ctest lists the tests at build time.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName("カヴィネル");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
