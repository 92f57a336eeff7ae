// Skyrill: one weather station's hourly observations for one day.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/crash_report_mode.h"
#include "app/shell.h"
#include "app/skyrill_application.h"
#include "cli/option_parser.h"
#include "store/program_paths.h"

int main(int argc, char* argv[]) {
  if (skyrill::isCrashReportInvocation(argc, argv)) return skyrill::runCrashReport(argc, argv);
  // Read before the application starts, so that help, version and a usage
  // error need no display.
  std::string error;
  const auto command =
      skyrill::readCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!command) {
    std::fprintf(stderr, "skyrill: %s\n\n%s", error.c_str(), skyrill::kProgramUsage);
    return skyrill::kUsageStatus;
  }
  if (command->help) {
    std::fputs(skyrill::kProgramUsage, stdout);
    return 0;
  }
  if (command->version) {
    std::puts("skyrill " SKYRILL_VERSION);
    return 0;
  }
  skyrill::SkyrillApplication app(argc, argv);
  skyrill::Shell::Options options;
  options.programFile = skyrill::programFilePath();
  options.dayFile = command->dayFile;
  skyrill::Shell shell(options);
  shell.start();
  return skyrill::SkyrillApplication::exec();
}
