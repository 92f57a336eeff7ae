// Skyrill: one weather station's hourly observations for one day.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/crash_report_mode.h"
#include "app/shell.h"
#include "app/skyrill_application.h"
#include "store/program_paths.h"

int main(int argc, char* argv[]) {
  if (skyrill::isCrashReportInvocation(argc, argv)) return skyrill::runCrashReport(argc, argv);
  // Help and version need no display; Qt's own options are taken out by the
  // application, so the rest is read again after it.
  std::string error;
  const auto early =
      skyrill::readCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
  if (early && early->help) {
    std::fputs(skyrill::kProgramUsage, stdout);
    return 0;
  }
  if (early && early->version) {
    std::puts("skyrill " SKYRILL_VERSION);
    return 0;
  }
  skyrill::SkyrillApplication app(argc, argv);
  const auto command =
      skyrill::readCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!command) {
    std::fprintf(stderr, "skyrill: %s\n\n%s", error.c_str(), skyrill::kProgramUsage);
    return 1;
  }
  skyrill::Shell::Options options;
  options.programFile = skyrill::programFilePath();
  options.dayFile = command->dayFile;
  skyrill::Shell shell(options);
  shell.start();
  return skyrill::SkyrillApplication::exec();
}
