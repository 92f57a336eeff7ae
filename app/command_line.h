#pragma once

#include <optional>
#include <string>
#include <vector>

namespace skyrill {

// What the command line of the skyrill program asks for (the crash-report
// mode aside, which the crash hook alone uses).
struct CommandLine {
  bool help = false;
  bool version = false;
  std::string dayFile;  // a saved day to show at start; empty for none
};

// Reads the arguments after the program name, the toolkit's own options
// passed over; an error text on failure. Needs no display.
std::optional<CommandLine> readCommandLine(const std::vector<std::string>& args,
                                           std::string& error);

// The arguments without the toolkit's own options (-platform NAME,
// -style=NAME, -reverse, ...), which the application takes itself.
std::vector<std::string> withoutToolkitOptions(const std::vector<std::string>& args);

extern const char* const kProgramUsage;

}  // namespace skyrill
