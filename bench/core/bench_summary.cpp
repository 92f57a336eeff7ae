// The summary of saved days: ten years of days (two stations, five years
// each, from the sample service's answers) read from a History tree, with
// one thread and with one per core, against a plain Python script doing the
// same summary of the same files.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "archive/day_walk.h"
#include "archive/history_archive.h"
#include "archive/summary_csv.h"
#include "store/observation_files.h"
#include "weather_api.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using std::chrono::sys_days;

constexpr int kYearsPerStation = 5;
constexpr const char* kStations[] = {"50953", "59287"};

// The History tree, written once per run and removed at exit.
class HistoryTree {
 public:
  HistoryTree() {
    std::string pattern = (fs::temp_directory_path() / "skyrill-summary-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern;
    const sample::ServiceConfig config;
    const sys_days first = std::chrono::year(2016) / std::chrono::January / 1;
    for (const char* station : kStations) {
      for (int offset = 0; offset < kYearsPerStation * 365; ++offset) {
        const std::chrono::year_month_day day(first + std::chrono::days(offset));
        QueryRequest request;
        request.stationNumber = station;
        request.year = std::to_string(static_cast<int>(day.year()));
        request.month = std::to_string(static_cast<unsigned>(day.month()));
        request.day = std::to_string(static_cast<unsigned>(day.day()));
        const auto reply = sample::answerWeatherQuery(
            config,
            {station, "history", "demo", request.year + "-" + request.month + "-" + request.day},
            std::chrono::system_clock::now());
        const fs::path folder = root_ / "History" / request.year;
        ensureFolderPath(folder);
        writeDayFile(folder / makeSuggestedFileName(request, {}), reply.body);
        ++days_;
      }
    }
  }
  HistoryTree(const HistoryTree&) = delete;
  HistoryTree& operator=(const HistoryTree&) = delete;
  ~HistoryTree() {
    std::error_code error;
    if (!root_.empty()) fs::remove_all(root_, error);
  }

  const fs::path& root() const { return root_; }
  int days() const { return days_; }

 private:
  fs::path root_;
  int days_ = 0;
};

const HistoryTree& tree() {
  static const HistoryTree history;
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

void countDays(benchmark::State& state) {
  state.counters["days/s"] = benchmark::Counter(static_cast<double>(tree().days()),
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// Threads 0 stands for one per core. Real time: the work is on other threads.
void SummaryOfFolder(benchmark::State& state) {
  const auto threads = static_cast<unsigned>(state.range(0));
  summarise(threads);  // a warm cache
  for (auto _ : state) benchmark::DoNotOptimize(summarise(threads));
  countDays(state);
  state.counters["threads"] =
      threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads;
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
  countDays(state);
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
    FILE* output = popen(command.c_str(), "r");
    if (output == nullptr) {
      state.SkipWithError("python3 did not start");
      return;
    }
    double daysPerSecond = 0;
    const bool read = std::fscanf(output, "days/s %lf", &daysPerSecond) == 1;
    if (pclose(output) != 0 || !read) {
      state.SkipWithError("the peer script failed");
      return;
    }
    state.counters["pythonDays/s"] = daysPerSecond;
    state.counters["timesPython"] = tree().days() / cpp.count() / daysPerSecond;
  }
}

BENCHMARK(SummaryOfFolder)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SummaryOfBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(PythonPeer)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skyrill

BENCHMARK_MAIN();
