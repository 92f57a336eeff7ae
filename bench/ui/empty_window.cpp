// The yardsticks of the window's start: the least Qt Widgets program that
// maps a window, an empty one of the main window's size; with the argument
// "field", the same window with one text field, whose text is laid out as it
// is made, so that the font database is read before the window maps.
#include <QApplication>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(632, 560);
  if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("field")) {
    (new QLineEdit(QStringLiteral("58453"), &window))->setGeometry(416, 0, 56, 25);
  }
  window.show();
  return QApplication::exec();
}
