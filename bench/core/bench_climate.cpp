// The climate of one station over thirty years (1991 to 2020, about 11 000
// saved days from the sample service's answers): the climate table as
// `skyrill-summary --climate` makes it, with one thread and with one per
// core, beside a plain Python script making the same table from the same
// files; the climate of one day (F3) read from the files around its date;
// and the band of normals and the record days over the thirty years.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "archive/climate_days.h"
#include "archive/climate_table.h"
#include "archive/daily_normals.h"
#include "bench/core/history_tree.h"
#include "store/observation_files.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using std::chrono::sys_days;

constexpr const char* kStation = "50953";
constexpr int kDay = 20200705;  // the day of the climate view

// Written once per run and removed at exit.
const bench::HistoryTree& tree() {
  static const bench::HistoryTree history(
      {kStation}, sys_days(std::chrono::year(1991) / std::chrono::January / 1),
      static_cast<int>((sys_days(std::chrono::year(2021) / std::chrono::January / 1) -
                        sys_days(std::chrono::year(1991) / std::chrono::January / 1))
                           .count()));
  return history;
}

// The station's days as the tool reads them: find and read.
StationDays treeDays(unsigned threads) {
  SummaryOptions options;
  options.filter.station = kStation;
  options.threads = threads;
  options.readFile = [](const fs::path& path) { return readDayFile(path); };
  return walkStationDays(walkObservationFiles({tree().history()}).files, options,
                         [](SkippedFile&&) {});
}

// The climate table as the tool makes it: the days, the rules, the CSV.
std::string climateOfFolder(unsigned threads) {
  return climateCsv(climateTable(treeDays(threads)));
}

// Threads 0 stands for one per core. Real time: the work is on other threads.
void ClimateTableOfFolder(benchmark::State& state) {
  bench::timeFolderRuns(state, tree().days(), climateOfFolder);
}

// The rules alone, over the days already read.
void ClimateRules(benchmark::State& state) {
  const StationDays days = treeDays(0);
  for (auto _ : state) benchmark::DoNotOptimize(climateCsv(climateTable(days)));
  bench::countDays(state, tree().days());
}

// The real and the processor seconds of one table.
struct Seconds {
  double real = 0;
  double cpu = 0;
};

Seconds secondsOf(unsigned threads) {
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  benchmark::DoNotOptimize(climateOfFolder(threads));
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

Seconds fastest(const Seconds& a, const Seconds& b) {
  return {std::min(a.real, b.real), std::min(a.cpu, b.cpu)};
}

// Runs the peer script on the same tree, first checking that it writes the
// program's CSV byte for byte, and reports its days per second; the C++
// table's days per second over the peer's is "timesPython" with one thread
// per core, "timesPython1" with one, and "timesPythonCpu" of processor time
// with one (what a busy machine disturbs least). The time of this benchmark
// means nothing.
void PythonPeer(benchmark::State& state) {
  const fs::path written = tree().root() / "peer.csv";
  const std::string command = "python3 " SKYRILL_CLIMATE_PEER " " + std::string(kStation) + " " +
                              tree().history().string() + " --out " + written.string() +
                              " 2>/dev/null";
  const std::string expected = climateOfFolder(0);
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
      state.SkipWithError("the peer's table is not the program's");
      return;
    }
    // Timed again right after the peer, to pair the runs.
    cppOne = fastest(cppOne, secondsOf(1));
    cppAll = fastest(cppAll, secondsOf(0));
    state.counters["pythonDays/s"] = daysPerSecond;
    state.counters["timesPython1"] = tree().days() / cppOne.real / daysPerSecond;
    state.counters["timesPython"] = tree().days() / cppAll.real / daysPerSecond;
    state.counters["timesPythonCpu"] = tree().days() / cppOne.cpu / daysPerCpuSecond;
  }
}

// The climate of one day with thirty saved years: the files within seven
// days of its date in every year found and read, then its normals, ranks
// and records. Real time, as the window waits for it.
void DayInClimateThirtyYears(benchmark::State& state) {
  const HistoryArchive archive = HistoryArchive::inFolder(tree().history());
  std::size_t files = 0;
  for (auto _ : state) {
    const StationDays days = readDaysAround(archive, kStation, kDay, {});
    files = days.all().size();
    benchmark::DoNotOptimize(dayInClimate(days, kDay));
  }
  state.counters["files"] = static_cast<double>(files);
}

// Of that, finding the files around the date by their names alone.
void FilesAroundADayThirtyYears(benchmark::State& state) {
  const HistoryArchive archive = HistoryArchive::inFolder(tree().history());
  for (auto _ : state) {
    benchmark::DoNotOptimize(archive.daysWhere(
        kStation, [](int date) { return date % 10000 >= 628 && date % 10000 <= 712; }));
  }
}

// The band of normals and the record days of thirty years, from the days
// read: what the overview adds to a thirty-year chart.
void NormalsAndRecordsThirtyYears(benchmark::State& state) {
  const StationDays days =
      readStationDays(HistoryArchive::inFolder(tree().history()), kStation, {});
  const Period period{19910101, 20201231};
  for (auto _ : state) {
    benchmark::DoNotOptimize(normalBand(days, period));
    benchmark::DoNotOptimize(recordDays(days, period));
  }
}

BENCHMARK(ClimateTableOfFolder)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ClimateRules)->Unit(benchmark::kMillisecond);
BENCHMARK(PythonPeer)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(DayInClimateThirtyYears)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FilesAroundADayThirtyYears)->Unit(benchmark::kMillisecond);
BENCHMARK(NormalsAndRecordsThirtyYears)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skyrill

BENCHMARK_MAIN();
