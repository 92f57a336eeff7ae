// A year of one station's past days fetched into an empty History folder from
// the local sample service, four requests in flight, each as a whole process
// from start to exit: skyrill-fetch beside the least process doing the same
// checks and syncs (range_fetch_floor) and a plain Python thread pool
// (range_fetch_peer.py). The three run in turn, round after round, in an
// order that rotates, so that each round's runs meet the same load; the
// ratios are taken within each round. Before any timing, each side's files
// are checked to be skyrill-fetch's, name for name and byte for byte.
//
// SKYRILL_FETCH_BEFORE=/path/to/another/skyrill-fetch adds that build as a
// fourth side ("before"), to compare two builds under the same load.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "range_bench_parts.h"

extern char** environ;

namespace skyrill {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStation = "54511";
constexpr const char* kYear = "2023";

using bench::ScratchFolder;
using bench::serviceBase;

struct Side {
  std::string name;
  std::vector<std::string> command;  // the folder to fill goes last
};

// The system's Python, as a plain script finds it.
std::string pythonInterpreter() {
  return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

std::vector<Side> sides() {
  const std::string base = serviceBase();
  const auto fetchCommand = [&](const std::string& program) {
    return std::vector<std::string>{program, "--station",  kStation, "--from", "2023-01-01",
                                    "--to",  "2023-12-31", "--key",  "demo",   "--server",
                                    base,    "--proxy=",   "--rate", "0",      "--jobs",
                                    "4",     "--into"};
  };
  std::vector<Side> list = {
      {"skyrill-fetch", fetchCommand(SKYRILL_FETCH_PROGRAM)},
      {"floor", {SKYRILL_FETCH_FLOOR, base, kStation, kYear}},
      {"python", {pythonInterpreter(), SKYRILL_RANGE_FETCH_PEER, base, kStation, kYear}},
  };
  if (const char* before = std::getenv("SKYRILL_FETCH_BEFORE")) {
    list.push_back({"before", fetchCommand(before)});
  }
  return list;
}

// What one run of a side took: seconds from start to exit, and of processor
// time (user and system); negative when it failed.
struct Took {
  double seconds = -1;
  double cpuSeconds = -1;
};

double secondsOf(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Runs the side into the folder, its output thrown away.
Took runSide(const Side& side, const fs::path& folder) {
  std::vector<std::string> words = side.command;
  words.push_back(folder.string());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  const bool ok = error == 0 && wait4(child, &status, 0, &usage) == child && WIFEXITED(status) &&
                  WEXITSTATUS(status) == 0;
  if (!ok) return {};
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime)};
}

// The files below a folder, "year/name" with their bytes.
std::map<std::string, std::string> filesBelow(const fs::path& folder) {
  std::map<std::string, std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator entry(folder, error);
       !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
    if (!entry->is_regular_file()) continue;
    std::ifstream in(entry->path(), std::ios::binary);
    files[fs::relative(entry->path(), folder).string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Manual time: the iteration's time is skyrill-fetch's. The counters give
// each side's median in milliseconds, from start to exit and of processor
// time, and, over the rounds, how many times
// faster than the Python peer skyrill-fetch was (lowest and median) and how
// many times the floor's time it took (median and highest).
void FetchYearProcesses(benchmark::State& state) {
  ScratchFolder scratch;
  const std::vector<Side> all = sides();
  const auto reference = [&] {
    const fs::path folder = scratch.fresh("check-" + all.front().name);
    return runSide(all.front(), folder).seconds > 0 ? filesBelow(folder)
                                                    : std::map<std::string, std::string>();
  }();
  if (reference.size() != 365) {
    state.SkipWithError("skyrill-fetch did not fetch the year");
    return;
  }
  for (const Side& side : all) {
    const fs::path folder = scratch.fresh("check-" + side.name);
    if (runSide(side, folder).seconds < 0 || filesBelow(folder) != reference) {
      state.SkipWithError(("the files of " + side.name + " are not skyrill-fetch's").c_str());
      return;
    }
  }

  std::map<std::string, std::vector<double>> seconds, cpuSeconds;
  std::vector<double> timesPython, overFloor, beforeOverAfter;
  std::size_t round = 0;
  for (auto _ : state) {
    std::map<std::string, double> took;
    for (std::size_t i = 0; i < all.size(); ++i) {
      const Side& side = all[(round + i) % all.size()];
      const Took time = runSide(side, scratch.fresh(side.name));
      if (time.seconds < 0) {
        state.SkipWithError((side.name + " failed").c_str());
        return;
      }
      took[side.name] = time.seconds;
      seconds[side.name].push_back(time.seconds);
      cpuSeconds[side.name].push_back(time.cpuSeconds);
    }
    ++round;
    const double own = took["skyrill-fetch"];
    state.SetIterationTime(own);
    timesPython.push_back(took["python"] / own);
    overFloor.push_back(own / took["floor"]);
    if (took.count("before")) beforeOverAfter.push_back(took["before"] / own);
  }
  for (const auto& [name, times] : seconds) state.counters[name + "_ms"] = median(times) * 1000;
  for (const auto& [name, times] : cpuSeconds)
    state.counters[name + "_cpu_ms"] = median(times) * 1000;
  state.counters["timesPythonMin"] = *std::min_element(timesPython.begin(), timesPython.end());
  state.counters["timesPythonMedian"] = median(timesPython);
  state.counters["overFloorMedian"] = median(overFloor);
  state.counters["overFloorMax"] = *std::max_element(overFloor.begin(), overFloor.end());
  if (!beforeOverAfter.empty()) state.counters["beforeOverAfterMedian"] = median(beforeOverAfter);
}

BENCHMARK(FetchYearProcesses)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

}  // namespace
}  // namespace skyrill

BENCHMARK_MAIN();
