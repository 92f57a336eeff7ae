// Fonts need a QGuiApplication; offscreen so that no display is needed, also
// when CTest lists the tests.
#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
