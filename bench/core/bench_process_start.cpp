// Whole processes, from start to exit: skyrill-day on a saved day, beside the
// least process that does the same work and the plain Python peer run once.
// Most of such a run is loading: the program's libraries, or the interpreter
// and its modules.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

extern char** environ;

namespace {

// Runs the command to its end, its standard output thrown away; false when
// it could not start or did not exit with status 0.
bool runToEnd(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return error == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

void wholeProcess(benchmark::State& state, const std::vector<std::string>& command) {
  for (auto _ : state) {
    if (!runToEnd(command)) {
      state.SkipWithError("the process failed");
      break;
    }
  }
}

// The system's Python interpreter, as a plain script finds it; else the
// interpreter behind "python3" (not a launcher such as pyenv's shell script).
std::string pythonInterpreter() {
  if (access("/usr/bin/python3", X_OK) == 0) return "/usr/bin/python3";
  FILE* output = popen("python3 -c 'import sys; print(sys.executable)' 2>/dev/null", "r");
  if (output == nullptr) return "python3";
  char line[4096] = {};
  const bool read = std::fgets(line, sizeof line, output) != nullptr;
  pclose(output);
  std::string path = read ? line : "";
  while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
  return path.empty() ? "python3" : path;
}

void registerProcess(const char* name, const std::vector<std::string>& command) {
  benchmark::RegisterBenchmark(name, wholeProcess, command)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Repetitions(10)
      ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // Nothing is written beside the peer's source: it is compiled at each run,
  // as the script is when run by itself.
  setenv("PYTHONDONTWRITEBYTECODE", "1", 1);
  registerProcess("SkyrillDayOnAFile", {SKYRILL_DAY_PROGRAM, SKYRILL_SAMPLE_DAY});
  registerProcess("FloorProcessOnAFile", {SKYRILL_DAY_FLOOR, SKYRILL_SAMPLE_DAY});
  // The peer needs the standard library alone: without site-packages (-S)
  // Python starts at its fastest, whatever a machine has installed.
  registerProcess("PythonPeerOnAFile",
                  {pythonInterpreter(), "-S", SKYRILL_PYTHON_PEER_ONCE, SKYRILL_SAMPLE_DAY});
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
