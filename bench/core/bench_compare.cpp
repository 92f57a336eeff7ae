// Four stations compared over ten years (14 600 saved days from the sample
// service's answers): `skyrill-summary --compare tmax` as the tool makes it
// (find, read every day as the summary does, the comparison's CSV), with one
// thread and with one per core, beside a plain Python script making the same
// CSV from the same files.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "archive/station_comparison.h"
#include "bench/core/history_tree.h"
#include "store/observation_files.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using std::chrono::sys_days;

const std::vector<std::string> kStations = {"50953", "54511", "58453", "59287"};

// Written once per run and removed at exit.
const bench::HistoryTree& tree() {
  static const bench::HistoryTree history(
      kStations, sys_days(std::chrono::year(2014) / std::chrono::January / 1), 3652);
  return history;
}

// The comparison's CSV as the tool makes it.
std::string compareFolder(unsigned threads) {
  SummaryOptions options;
  options.filter.stations = kStations;
  options.threads = threads;
  options.readFile = [](const fs::path& path) { return readDayFile(path); };
  ComparisonCollector collector(kStations);
  streamSummaryTable(
      walkObservationFiles({tree().history()}).files, options,
      {[&collector](SummaryRow&& row) { collector.take(std::move(row)); }, [](SkippedFile&&) {}});
  const auto comparison = std::move(collector).finish(0, 0);
  return comparison ? comparisonCsv(*comparison, DailyElement::HighestTemperature) : std::string();
}

// Threads 0 stands for one per core. Real time: the work is on other threads.
void CompareOfFolder(benchmark::State& state) {
  bench::timeFolderRuns(state, tree().days(), compareFolder);
}

// The real and the processor seconds of one comparison.
struct Seconds {
  double real = 0;
  double cpu = 0;
};

Seconds secondsOf(unsigned threads) {
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  benchmark::DoNotOptimize(compareFolder(threads));
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

Seconds fastest(const Seconds& a, const Seconds& b) {
  return {std::min(a.real, b.real), std::min(a.cpu, b.cpu)};
}

// Runs the peer script on the same tree, first checking that it writes the
// program's CSV byte for byte, and reports its days per second; the C++
// comparison's days per second over the peer's is "timesPython" with one
// thread per core, "timesPython1" with one, and "timesPythonCpu" of
// processor time with one (what a busy machine disturbs least). Each C++
// time is the best of the runs just before and just after the peer's. The
// time of this benchmark means nothing.
void PythonPeer(benchmark::State& state) {
  const fs::path written = tree().root() / "peer.csv";
  std::string stations;
  for (const std::string& station : kStations) stations += (stations.empty() ? "" : ",") + station;
  const std::string command = "python3 " SKYRILL_COMPARE_PEER " " + stations + " " +
                              tree().history().string() + " --out " + written.string() +
                              " 2>/dev/null";
  const std::string expected = compareFolder(0);
  Seconds cppOne = secondsOf(1);
  Seconds cppAll = secondsOf(0);
  for (auto _ : state) {
    const auto output = bench::peerOutput(state, command);
    double daysPerSecond = 0;
    double daysPerCpuSecond = 0;
    if (!output) return;
    if (std::sscanf(output->c_str(), "days/s %lf cpu %lf", &daysPerSecond, &daysPerCpuSecond) !=
        2) {
      state.SkipWithError("the peer script said no speed");
      return;
    }
    if (readWholeFile(written).value_or("") != expected) {
      state.SkipWithError("the peer's CSV is not the program's");
      return;
    }
    cppOne = fastest(cppOne, secondsOf(1));
    cppAll = fastest(cppAll, secondsOf(0));
    state.counters["pythonDays/s"] = daysPerSecond;
    state.counters["timesPython1"] = tree().days() / cppOne.real / daysPerSecond;
    state.counters["timesPython"] = tree().days() / cppAll.real / daysPerSecond;
    state.counters["timesPythonCpu"] = tree().days() / cppOne.cpu / daysPerCpuSecond;
  }
}

BENCHMARK(CompareOfFolder)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PythonPeer)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skyrill

BENCHMARK_MAIN();
