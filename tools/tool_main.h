#pragma once

#include <iostream>
#include <string>
#include <vector>

// What every command-line tool of Skyrill does before its own work: the
// arguments parsed, a usage error, --help and --version answered.
namespace skyrill {

// `parse(args, error)` gives an optional command with `help` and `version`
// flags; `run(command)` gives the exit status.
template <typename Parse, typename Run>
int runTool(int argc, char** argv, const char* name, const char* usage, int usageStatus,
            Parse parse, Run run) {
  std::string error;
  const auto command = parse(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!command) {
    std::cerr << name << ": " << error << "\n\n" << usage;
    return usageStatus;
  }
  if (command->help) {
    std::cout << usage;
    return 0;
  }
  if (command->version) {
    std::cout << name << " " SKYRILL_VERSION "\n";
    return 0;
  }
  return run(*command);
}

}  // namespace skyrill
