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

// Reads the arguments after the program name, once Qt has taken its own
// options out; an error text on failure.
std::optional<CommandLine> readCommandLine(const std::vector<std::string>& args,
                                           std::string& error);

extern const char* const kProgramUsage;

}  // namespace skyrill
