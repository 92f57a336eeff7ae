// The main of the GoogleTest programs that need a QApplication: offscreen,
// with the font the program uses.
#include <gtest/gtest.h>
#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
  // Listing the tests at build time runs without the test environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
