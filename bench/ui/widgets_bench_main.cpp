// The main of the benchmark programs that need a QApplication: offscreen,
// with the font the program uses.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
