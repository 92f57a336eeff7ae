// The climate in the windows over a History tree of 30 years of one station
// (1991-2020, 10 958 days from the sample service's answers):
// - 历史同期 (F3) from its opening to its tables and chart painted, for a
//   day with 30 saved years, and the longest the GUI thread stayed away
//   from its event loop meanwhile;
// - the period overview from its opening to its chart painted, with the
//   band of normals and the record marks and without them (the box off),
//   over the last 365 days and over all 30 years; and another year chosen
//   in an open overview that holds the station's days of every year.
#include <benchmark/benchmark.h>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTableWidget>

#include <algorithm>
#include <chrono>

#include "archive/history_archive.h"
#include "bench/core/history_tree.h"
#include "bench/ui/event_loop_gaps.h"
#include "ui/climate_window.h"
#include "ui/overview_window.h"

namespace skyrill {
namespace {

using bench::milliseconds;
using bench::waitFor;

constexpr const char* kStation = "50953";
const std::chrono::sys_days kFirstDay = std::chrono::year(1991) / std::chrono::January / 1;
const std::chrono::sys_days kEnd = std::chrono::year(2021) / std::chrono::January / 1;
const int kDays = static_cast<int>((kEnd - kFirstDay).count());
const Period kThirtyYears{19910101, 20201231};

// Written once per run and removed at exit.
HistoryArchive thirtyYears() {
  static const bench::HistoryTree tree({kStation}, kFirstDay, kDays);
  return HistoryArchive::inFolder(tree.history());
}

// What one opening took, in milliseconds.
struct Opening {
  double painted = 0;
  double longestAway = 0;
};

// 历史同期 for 2020-07-05, with the values of the day on display, until its
// tables and chart are painted.
Opening openClimate(const HistoryArchive& archive) {
  Opening opening;
  QElapsedTimer clock;
  clock.start();
  ShownDay day{QString::fromLatin1(kStation), QString::fromLatin1(kStation), 20200705,
               ClimateDay{20200705, {"30.0", "18.0", "24.00", "0.0"}, {30, 18, 24, 0}}};
  ClimateWindow window(archive, day, nullptr);
  window.show();
  window.repaint();
  opening.longestAway =
      std::max(milliseconds(clock), waitFor(window, &ClimateWindow::climateShown, clock));
  const double before = milliseconds(clock);
  window.repaint();
  opening.painted = milliseconds(clock);
  opening.longestAway = std::max(opening.longestAway, opening.painted - before);
  if (window.climate().sameDay.days.size() != 30) opening.painted = -1;
  return opening;
}

void ClimateWindowShown(benchmark::State& state) {
  const HistoryArchive archive = thirtyYears();
  openClimate(archive);  // a warm cache
  double longestAway = 0;
  for (auto _ : state) {
    const Opening opening = openClimate(archive);
    if (opening.painted < 0) state.SkipWithError("not 30 years of the day");
    state.SetIterationTime(opening.painted / 1000);
    longestAway = std::max(longestAway, opening.longestAway);
  }
  state.counters["longestGuiAwayMs"] = longestAway;
}

// The overview of the last `days` of the 30 years, until its chart is
// painted: with the band and records once the station's days of every
// year are read, or without them.
Opening openOverview(const HistoryArchive& archive, int days, bool band) {
  Opening opening;
  QElapsedTimer clock;
  clock.start();
  OverviewWindow window(archive, QString::fromLatin1(kStation), kThirtyYears.last, nullptr);
  window.findChild<QCheckBox*>(QStringLiteral("常年值和纪录"))->setChecked(band);
  window.resize(1200, 760);
  window.show();
  window.setPeriod({kThirtyYears.dateAt(kDays - days), kThirtyYears.last});
  opening.longestAway = band ? waitFor(window, &OverviewWindow::climateShown, clock)
                             : waitFor(window, &OverviewWindow::daysShown, clock);
  const double before = milliseconds(clock);
  window.findChild<QWidget*>(QStringLiteral("概览图"))->repaint();
  opening.painted = milliseconds(clock);
  opening.longestAway = std::max(opening.longestAway, opening.painted - before);
  if (band == window.chartDays().normals.empty()) opening.painted = -1;
  return opening;
}

// Args: days of the period, with the band (1) or without (0).
void OverviewBand(benchmark::State& state) {
  const HistoryArchive archive = thirtyYears();
  const int days = static_cast<int>(state.range(0));
  const bool band = state.range(1) != 0;
  openOverview(archive, days, band);  // a warm cache
  double longestAway = 0;
  for (auto _ : state) {
    const Opening opening = openOverview(archive, days, band);
    if (opening.painted < 0) state.SkipWithError("the band is not as asked");
    state.SetIterationTime(opening.painted / 1000);
    longestAway = std::max(longestAway, opening.longestAway);
  }
  state.counters["longestGuiAwayMs"] = longestAway;
}

// Another 365 days chosen in an open overview that holds the station's
// days of every year: the chart with the band and records drawn from them,
// or without them. Arg: with the band (1) or without (0).
void OverviewPeriodChanged(benchmark::State& state) {
  const HistoryArchive archive = thirtyYears();
  const bool band = state.range(0) != 0;
  OverviewWindow window(archive, QString::fromLatin1(kStation), kThirtyYears.last, nullptr);
  window.resize(1200, 760);
  window.show();
  QElapsedTimer clock;
  clock.start();
  waitFor(window, &OverviewWindow::climateShown, clock);
  window.findChild<QCheckBox*>(QStringLiteral("常年值和纪录"))->setChecked(band);
  double longestAway = 0;
  int year = 2019;
  for (auto _ : state) {
    clock.restart();
    window.setPeriod({year * 10000 + 101, year * 10000 + 1231});
    longestAway = std::max(longestAway, waitFor(window, &OverviewWindow::daysShown, clock));
    window.findChild<QWidget*>(QStringLiteral("概览图"))->repaint();
    state.SetIterationTime(milliseconds(clock) / 1000);
    if (band == window.chartDays().normals.empty()) state.SkipWithError("the band is not as asked");
    year = year == 1992 ? 2019 : year - 1;
  }
  state.counters["longestGuiAwayMs"] = longestAway;
}

BENCHMARK(ClimateWindowShown)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(OverviewBand)
    ->ArgsProduct({{365, kDays}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(OverviewPeriodChanged)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace skyrill
