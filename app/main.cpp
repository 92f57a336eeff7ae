// Skyrill: one weather station's hourly observations for one day.
#include "app/crash_report_mode.h"
#include "app/shell.h"
#include "app/skyrill_application.h"
#include "store/program_paths.h"

int main(int argc, char* argv[]) {
  if (skyrill::isCrashReportInvocation(argc, argv)) return skyrill::runCrashReport(argc, argv);
  skyrill::SkyrillApplication app(argc, argv);
  skyrill::Shell::Options options;
  options.programFile = skyrill::programFilePath();
  skyrill::Shell shell(options);
  shell.start();
  return skyrill::SkyrillApplication::exec();
}
