#pragma once

#include <csignal>
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/option_parser.h"

// What every command-line tool of Skyrill does before its own work: the
// arguments parsed, a usage error, --help and --version answered; and how
// every one of them ends when memory runs out.
namespace skyrill {

// The exit status of every tool that ran out of memory.
inline constexpr int kOutOfMemoryStatus = 3;

// `parse(args, error)` gives an optional command with `help` and `version`
// flags; `run(command)` gives the exit status. A usage error prints the
// usage on standard error and ends with kUsageStatus. Running out of memory ends
// the tool with one line on standard error and kOutOfMemoryStatus, never an
// abort.
template <typename Parse, typename Run>
int runTool(int argc, char** argv, const char* name, const char* usage, Parse parse, Run run) {
  // A pipe nobody reads fails the write, which the tool then reports, rather
  // than ending it unseen.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    std::string error;
    const auto command = parse(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!command) {
      std::cerr << name << ": " << error << "\n\n" << usage;
      return kUsageStatus;
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
  } catch (const std::bad_alloc&) {
    // Nothing allocated on the way out: the line goes out as it stands.
    std::fflush(stdout);
    std::fputs(name, stderr);
    std::fputs(": out of memory\n", stderr);
    return kOutOfMemoryStatus;
  }
}

}  // namespace skyrill
