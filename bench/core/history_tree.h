#pragma once

#include <stdlib.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "archive/archive_names.h"
#include "store/observation_files.h"
#include "weather_api.h"

namespace skyrill::bench {

// A History tree of the sample service's past days, written at once into a
// folder of its own and removed with it.
class HistoryTree {
 public:
  HistoryTree(const std::vector<std::string>& stations, std::chrono::sys_days first, int days) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "skyrill-bench-history-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern;
    const sample::ServiceConfig config;
    for (const std::string& station : stations) {
      for (int offset = 0; offset < days; ++offset) {
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
        const std::filesystem::path folder = history() / request.year;
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
    if (!root_.empty()) std::filesystem::remove_all(root_, error);
  }

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path history() const { return root_ / "History"; }
  int days() const { return days_; }

 private:
  std::filesystem::path root_;
  int days_ = 0;
};

// Days per second over the state's iterations, each over `days` days.
inline void countDays(benchmark::State& state, int days) {
  state.counters["days/s"] =
      benchmark::Counter(static_cast<double>(days), benchmark::Counter::kIsIterationInvariantRate);
}

// The threads a run asked for as a counter, 0 standing for one per core.
inline void countThreads(benchmark::State& state, unsigned asked) {
  state.counters["threads"] =
      asked == 0 ? std::max(1u, std::thread::hardware_concurrency()) : asked;
}

// Times `work(threads)`, a run over the `days` days of a folder, with the
// threads of range(0) (0 for one per core), after one run that warms the
// cache.
template <typename Work>
void timeFolderRuns(benchmark::State& state, int days, Work work) {
  const auto threads = static_cast<unsigned>(state.range(0));
  work(threads);
  for (auto _ : state) benchmark::DoNotOptimize(work(threads));
  countDays(state, days);
  countThreads(state, threads);
}

// What a peer script wrote on standard output; nothing, with the state's
// error, when it did not start or failed.
inline std::optional<std::string> peerOutput(benchmark::State& state, const std::string& command) {
  FILE* output = popen(command.c_str(), "r");
  if (output == nullptr) {
    state.SkipWithError("python3 did not start");
    return std::nullopt;
  }
  std::string text;
  char chunk[256];
  for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, output)) > 0;)
    text.append(chunk, count);
  if (pclose(output) != 0) {
    state.SkipWithError("the peer script failed");
    return std::nullopt;
  }
  return text;
}

}  // namespace skyrill::bench
