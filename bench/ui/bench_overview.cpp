// The period overview opened over a History tree of ten years a station
// (3 650 days, from the sample service's answers): the time from opening the
// window to its first paint, and to the first paint of the chart, and the
// longest the GUI thread stayed away from its event loop meanwhile. With one
// station the archive holds 3 650 files, with eleven 40 150.

#include <benchmark/benchmark.h>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/history_archive.h"
#include "bench/core/history_tree.h"
#include "bench/ui/event_loop_gaps.h"
#include "ui/overview_window.h"

namespace skyrill {
namespace {

using bench::milliseconds;
using bench::waitFor;
using std::chrono::sys_days;

constexpr int kDays = 3650;
constexpr const char* kStations[] = {"50953", "54511", "57083", "58453", "59287", "56294",
                                     "52889", "55591", "51463", "53698", "57494"};
const sys_days kFirstDay = std::chrono::year(2014) / std::chrono::January / 1;

int dateOf(sys_days day) {
  const std::chrono::year_month_day date(day);
  return static_cast<int>(date.year()) * 10000 +
         static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
         static_cast<int>(static_cast<unsigned>(date.day()));
}

const Period kTenYears{dateOf(kFirstDay), dateOf(kFirstDay + std::chrono::days(kDays - 1))};

// The trees of the first `stations` stations, written once per run and
// removed at exit.
const bench::HistoryTree& tree(int stations) {
  static std::map<int, std::unique_ptr<bench::HistoryTree>> trees;
  auto& held = trees[stations];
  if (!held) {
    held = std::make_unique<bench::HistoryTree>(
        std::vector<std::string>(std::begin(kStations), std::begin(kStations) + stations),
        kFirstDay, kDays);
  }
  return *held;
}

HistoryArchive archiveOf(int stations) {
  return HistoryArchive::inFolder(tree(stations).history());
}

// What one opening took, in milliseconds.
struct Opening {
  double windowPainted = 0;
  double chartPainted = 0;
  double longestAway = 0;  // the GUI thread's longest stretch away from the loop
};

// Opens the overview of the first station, chooses the last `days` of the
// ten years in it, and lets the event loop run until the chart is painted.
Opening openOverview(const HistoryArchive& archive, int days) {
  Opening opening;
  QElapsedTimer clock;
  clock.start();
  OverviewWindow window(archive, QString::fromLatin1(kStations[0]), kTenYears.last, nullptr);
  window.resize(1200, 640);
  window.show();
  QWidget* chart = window.findChild<QWidget*>(QStringLiteral("概览图"));
  chart->repaint();
  opening.windowPainted = milliseconds(clock);
  // The period chosen in the open window.
  window.setPeriod({kTenYears.dateAt(kDays - days), kTenYears.last});
  opening.longestAway =
      std::max(opening.windowPainted, waitFor(window, &OverviewWindow::daysShown, clock));
  const double before = milliseconds(clock);
  chart->repaint();
  opening.chartPainted = milliseconds(clock);
  opening.longestAway = std::max(opening.longestAway, opening.chartPainted - before);
  return opening;
}

// Args: stations in the archive, days of the period.
void OverviewFirstPaint(benchmark::State& state) {
  const HistoryArchive archive = archiveOf(static_cast<int>(state.range(0)));
  const int days = static_cast<int>(state.range(1));
  openOverview(archive, days);  // a warm cache
  double windowPainted = 0;
  double longestAway = 0;
  for (auto _ : state) {
    const Opening opening = openOverview(archive, days);
    state.SetIterationTime(opening.chartPainted / 1000);
    windowPainted += opening.windowPainted;
    longestAway = std::max(longestAway, opening.longestAway);
  }
  state.counters["windowMs"] = windowPainted / static_cast<double>(state.iterations());
  state.counters["longestGuiAwayMs"] = longestAway;
  state.counters["files"] = static_cast<double>(state.range(0) * kDays);
}

// A repaint of the whole chart, as the pointer moving to another day asks.
void OverviewRepaint(benchmark::State& state) {
  const HistoryArchive archive = archiveOf(1);
  OverviewWindow window(archive, QString::fromLatin1(kStations[0]), kTenYears.last, nullptr);
  window.resize(1200, 640);
  window.show();
  window.setPeriod({kTenYears.dateAt(kDays - static_cast<int>(state.range(0))), kTenYears.last});
  QElapsedTimer clock;
  clock.start();
  waitFor(window, &OverviewWindow::daysShown, clock);
  QWidget* chart = window.findChild<QWidget*>(QStringLiteral("概览图"));
  for (auto _ : state) chart->repaint();
}

// The lookup of the station's days alone, the part of an opening that other
// stations' files in the same year folders could slow down.
void StationDaysLookup(benchmark::State& state) {
  const HistoryArchive archive = archiveOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(archive.daysInPeriod(kStations[0], kTenYears.first, kTenYears.last));
  }
  state.counters["files"] = static_cast<double>(state.range(0) * kDays);
}

BENCHMARK(OverviewFirstPaint)
    ->ArgsProduct({{1, 11}, {365, kDays}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(OverviewRepaint)->Arg(365)->Arg(kDays)->Unit(benchmark::kMillisecond);
BENCHMARK(StationDaysLookup)->Arg(1)->Arg(11)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skyrill
