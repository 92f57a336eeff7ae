// A program that meets the fault named on its command line after the crash
// hook is installed, holding the text given after it (and the key to keep
// out of the report):
//   crash_child [wait-]segv|abort|throw|qfatal TEXT [KEY]
// With "wait-" it first waits for a line on its standard input, so that a
// test can change its world (move its file) while it runs.
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "app/crash_hook.h"
#include "app/crash_report_mode.h"
#include "app/skyrill_application.h"
#include "store/program_paths.h"

int main(int argc, char* argv[]) {
  if (skyrill::isCrashReportInvocation(argc, argv)) return skyrill::runCrashReport(argc, argv);
  if (argc != 3 && argc != 4) return 2;
  skyrill::SkyrillApplication app(argc, argv);
  static std::string held;
  static std::string key;
  skyrill::installCrashHook(skyrill::programFilePath(), &held, &key);
  held = argv[2];
  if (argc == 4) key = argv[3];
  std::string fault = argv[1];
  if (fault.starts_with("wait-")) {
    fault.erase(0, 5);
    char line[8];
    if (std::fgets(line, sizeof line, stdin) == nullptr) return 3;
  }
  QTimer::singleShot(0, [fault] {
    if (fault == "segv") std::raise(SIGSEGV);
    if (fault == "abort") std::abort();
    if (fault == "throw") throw std::runtime_error("boom");
    if (fault == "qfatal") qFatal("fatal %s", "boom");
  });
  return skyrill::SkyrillApplication::exec();
}
