// The summary of saved days: ten years of days (two stations, five years
// each, from the sample service's answers) read from a History tree, with
// one thread and with one per core, against its floor (every file found and
// read, and the display path's floor run on it) and a plain Python script
// doing the same summary of the same files.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "archive/day_walk.h"
#include "archive/history_archive.h"
#include "archive/summary_csv.h"
#include "bench/core/display_floor.h"
#include "bench/core/history_tree.h"
#include "store/observation_files.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using std::chrono::sys_days;

constexpr int kYearsPerStation = 5;
constexpr const char* kStations[] = {"50953", "59287"};

// Written once per run and removed at exit.
const bench::HistoryTree& tree() {
  static const bench::HistoryTree history(
      {kStations, kStations + std::size(kStations)},
      std::chrono::sys_days(std::chrono::year(2016) / std::chrono::January / 1),
      kYearsPerStation * 365);
  return history;
}

// The whole summary as the tool makes it: find, read, sum up, and each CSV
// line made as its row comes.
std::size_t summarise(unsigned threads) {
  SummaryOptions options;
  options.threads = threads;
  options.readFile = [](const fs::path& path) { return readDayFile(path); };
  std::size_t csvBytes = summaryCsvHead().size();
  const SummarySink sink{[&csvBytes](SummaryRow&& row) { csvBytes += summaryCsvLine(row).size(); },
                         [](SkippedFile&&) {}};
  streamSummaryTable(walkObservationFiles({tree().root()}).files, options, sink);
  return csvBytes;
}

// Threads 0 stands for one per core. Real time: the work is on other threads.
void SummaryOfFolder(benchmark::State& state) {
  bench::timeFolderRuns(state, tree().days(), summarise);
}

// The days alone, from bytes already in memory: the display path and the
// row of each day, without the file system.
void SummaryOfBytes(benchmark::State& state) {
  std::vector<fs::path> missing;
  std::vector<std::pair<fs::path, std::string>> files;
  for (const fs::path& path : findObservationFiles({tree().root()}, missing))
    files.emplace_back(path, readDayFile(path));
  std::string message;
  for (auto _ : state) {
    for (const auto& [path, bytes] : files)
      benchmark::DoNotOptimize(summariseDay(bytes, path, message));
  }
  bench::countDays(state, tree().days());
}

// The floor of the summary: the files found with a plain walk, each read and
// shown by the display path's floor, on one thread. Checked first to show
// every day as the window's pipeline shows it.
std::vector<fs::path> floorFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(tree().root())) {
    if (entry.is_regular_file() && entry.path().extension() == ".json")
      files.push_back(entry.path());
  }
  return files;
}

void SummaryFloor(benchmark::State& state) {
  bench::DisplayFloor floor;
  for (const fs::path& path : floorFiles()) {
    const std::string bytes = readDayFile(path);
    if (!floor.run(bytes) || !bench::showsAsThePipeline(floor, bytes, path.filename().string())) {
      state.SkipWithError(
          ("the floor does not show " + path.string() + " as the pipeline").c_str());
      return;
    }
  }
  for (auto _ : state) {
    for (const fs::path& path : floorFiles())
      benchmark::DoNotOptimize(floor.run(readDayFile(path)));
  }
  bench::countDays(state, tree().days());
}

// Runs the peer script on the same tree and reports its days per second; the
// C++ summary's single-threaded days per second over the peer's is
// "timesPython". The time of this benchmark means nothing.
void PythonPeer(benchmark::State& state) {
  const std::string command =
      "python3 " SKYRILL_SUMMARY_PEER " " + tree().root().string() + " 2>/dev/null";
  summarise(1);
  const auto start = std::chrono::steady_clock::now();
  summarise(1);
  const std::chrono::duration<double> cpp = std::chrono::steady_clock::now() - start;
  for (auto _ : state) {
    const auto output = bench::peerOutput(state, command);
    double daysPerSecond = 0;
    if (!output) return;
    if (std::sscanf(output->c_str(), "days/s %lf", &daysPerSecond) != 1) {
      state.SkipWithError("the peer script said no speed");
      return;
    }
    state.counters["pythonDays/s"] = daysPerSecond;
    state.counters["timesPython"] = tree().days() / cpp.count() / daysPerSecond;
  }
}

BENCHMARK(SummaryOfFolder)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SummaryOfBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(SummaryFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(PythonPeer)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skyrill

BENCHMARK_MAIN();
