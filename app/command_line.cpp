#include "app/command_line.h"

namespace skyrill {

const char* const kProgramUsage =
    "Usage: skyrill [FILE]\n"
    "       skyrill --help | --version\n"
    "\n"
    "Shows one weather station's hourly observations for one day in a window.\n"
    "\n"
    "  FILE        a saved day (.json) to show at start, opened as if it had been\n"
    "              dropped on the window\n"
    "  --help      show this text\n"
    "  --version   show the program's version\n"
    "\n"
    "Exit status: 0 the window was closed or the program was ended by SIGTERM,\n"
    "SIGINT or SIGHUP, 1 usage error, 255 a fatal error (after the question that\n"
    "offers to save the crash report).\n";

std::optional<CommandLine> readCommandLine(const std::vector<std::string>& args,
                                           std::string& error) {
  CommandLine line;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return std::nullopt;
    } else if (!line.dayFile.empty()) {
      error = "only one FILE may be given";
      return std::nullopt;
    } else {
      line.dayFile = arg;
    }
  }
  return line;
}

}  // namespace skyrill
