#include <gtest/gtest.h>

#include <QtWidgets/QApplication>

// The window-manager tests run on the X server named by $DISPLAY, always
// through Qt's X11 platform; each test builds its own window.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
