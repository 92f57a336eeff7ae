// A year of one station's past days fetched into an empty History folder
// from the local sample service, four requests in flight and no rate bound,
// against a plain Python script fetching the same days from the same service.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/history_archive.h"
#include "fetch/range_fetcher.h"
#include "range_bench_parts.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStation = "54511";
constexpr int kYear = 2023;
constexpr int kDays = 365;

using bench::ScratchFolder;
using bench::serviceBase;

ScratchFolder& scratch() {
  static ScratchFolder folder;
  return folder;
}

RangeReport fetchYear(const fs::path& folder) {
  RangeRequest request;
  request.stations = {kStation};
  request.firstDay = kYear * 10000 + 101;
  request.lastDay = kYear * 10000 + 1231;
  request.apiKey = "demo";
  request.server = serviceBase();
  request.jobs = 4;
  request.rate = 0;
  const HistoryArchive archive = HistoryArchive::inFolder(folder);
  return RangeFetcher(request, archive).run();
}

// The files below a folder as "year/name", sorted.
std::vector<std::string> filesBelow(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::recursive_directory_iterator entry(folder, error);
       !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
    if (entry->is_regular_file()) names.push_back(fs::relative(entry->path(), folder).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void countDays(benchmark::State& state) {
  state.counters["days/s"] =
      benchmark::Counter(kDays, benchmark::Counter::kIsIterationInvariantRate);
}

// Real time: the requests run on the fetcher's threads.
void RangeFetchYear(benchmark::State& state) {
  serviceBase();
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path folder = scratch().fresh("cpp");
    state.ResumeTiming();
    const RangeReport report = fetchYear(folder);
    if (report.counts.fetched != kDays) {
      state.SkipWithError("not every day was fetched");
      return;
    }
  }
  countDays(state);
}

struct PeerRun {
  double daysPerSecond = 0;
  int files = 0;
  int failed = 0;
};

// The peer times itself from its first request to its last file, so the
// interpreter's start is not counted; its figure is taken as it reports it.
bool runPeer(const fs::path& folder, PeerRun& run) {
  const std::string command = "python3 " SKYRILL_RANGE_FETCH_PEER " " + serviceBase() + " " +
                              kStation + " " + std::to_string(kYear) + " " + folder.string() +
                              " 2>/dev/null";
  FILE* output = popen(command.c_str(), "r");
  if (output == nullptr) return false;
  const bool read = std::fscanf(output, "days/s %lf files %d failed %d", &run.daysPerSecond,
                                &run.files, &run.failed) == 3;
  return pclose(output) == 0 && read && run.daysPerSecond > 0;
}

// Manual time: each iteration counts the seconds the peer reports, so its
// days/s reads like the C++ one. "timesPython" is the C++ days/s over the
// peer's, from a C++ fetch just before each peer run; "files" is how many the
// C++ fetch wrote and "sameFiles" is 1 when the peer wrote the same names in
// the same year folders, and nothing else.
void RangeFetchYearPython(benchmark::State& state) {
  serviceBase();
  double cppSeconds = 0;
  double peerSeconds = 0;
  bool sameFiles = true;
  std::size_t files = 0;
  for (auto _ : state) {
    const fs::path cppFolder = scratch().fresh("cpp");
    const auto start = std::chrono::steady_clock::now();
    const RangeReport report = fetchYear(cppFolder);
    cppSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const fs::path peerFolder = scratch().fresh("python");
    PeerRun run;
    if (!runPeer(peerFolder, run)) {
      state.SkipWithError("the peer script failed");
      return;
    }
    if (report.counts.fetched != kDays || run.files != kDays) {
      state.SkipWithError("not every day was fetched");
      return;
    }
    const auto cppFiles = filesBelow(cppFolder);
    files = cppFiles.size();
    sameFiles = sameFiles && files == kDays && cppFiles == filesBelow(peerFolder);
    state.SetIterationTime(run.files / run.daysPerSecond);
    peerSeconds += run.files / run.daysPerSecond;
  }
  countDays(state);
  state.counters["timesPython"] = peerSeconds / cppSeconds;
  state.counters["files"] = static_cast<double>(files);
  state.counters["sameFiles"] = sameFiles ? 1 : 0;
}

BENCHMARK(RangeFetchYear)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(RangeFetchYearPython)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
}  // namespace skyrill

BENCHMARK_MAIN();
