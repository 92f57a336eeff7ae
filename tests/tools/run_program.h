#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "store/whole_file.h"

namespace skyrill::testing {

// What a program run left: its exit status (-1 when it did not exit) and
// what it wrote on standard output and standard error.
struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the program with the arguments through the shell.
inline Outcome runProgram(const std::string& program, const std::string& args) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("skyrill-run-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string command =
      program + " " + args + " > " + (dir / "out").string() + " 2> " + (dir / "err").string();
  Outcome outcome;
  const int raw = std::system(command.c_str());
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  outcome.out = readWholeFile(dir / "out").value_or("");
  outcome.err = readWholeFile(dir / "err").value_or("");
  fs::remove_all(dir);
  return outcome;
}

// Runs the program with the arguments through the shell, its standard output
// a pipe whose reading end is closed, as when the program it was piped into
// has ended.
inline Outcome runProgramIntoClosedPipe(const std::string& program, const std::string& args) {
  int ends[2];
  if (::pipe(ends) != 0) return {};
  ::close(ends[0]);
  // The braces let the program's own redirection stand.
  Outcome outcome = runProgram("{ " + program, args + " >&" + std::to_string(ends[1]) + "; }");
  ::close(ends[1]);
  return outcome;
}

}  // namespace skyrill::testing
