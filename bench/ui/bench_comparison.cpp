// The comparison window over four stations and ten years all archived
// (14 608 days from the sample service's answers): the time from the
// request of a comparison to its chart painted, for the ten years and for
// one year, and the longest the GUI thread stayed away from its event loop
// meanwhile; and a repaint of the ten years' chart, as a resize asks.

#include <benchmark/benchmark.h>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "bench/core/history_tree.h"
#include "bench/ui/event_loop_gaps.h"
#include "ui/comparison_window.h"

namespace skyrill {
namespace {

using bench::milliseconds;
using std::chrono::sys_days;

const std::vector<std::string> kStations = {"50953", "54511", "58453", "59287"};
constexpr Period kTenYears{20140101, 20231231};

// Written once per run and removed at exit.
const bench::HistoryTree& tree() {
  static const bench::HistoryTree history(
      kStations, sys_days(std::chrono::year(2014) / std::chrono::January / 1), 3652);
  return history;
}

// A window with the four stations, its first comparison shown.
class OpenWindow {
 public:
  OpenWindow() : window_(HistoryArchive::inFolder(tree().history()), {}, kTenYears.last, nullptr) {
    window_.resize(1200, 760);
    window_.show();
    for (const std::string& station : kStations)
      window_.addStation(QString::fromStdString(station));
    chart_ = window_.findChild<QWidget*>(QStringLiteral("对比图"));
  }

  // Asks for the period and runs the event loop until its chart is painted;
  // gives the time that took and the longest gap between the ticks of a
  // 1 ms timer meanwhile.
  std::pair<double, double> compare(Period period) {
    QElapsedTimer clock;
    clock.start();
    const double away = bench::longestGapUntil(window_, &ComparisonWindow::comparisonShown, clock,
                                               [&] { window_.comparePeriod(period); });
    const double before = milliseconds(clock);
    chart_->repaint();
    const double painted = milliseconds(clock);
    return {painted, std::max(away, painted - before)};
  }

  QWidget& chart() { return *chart_; }

 private:
  ComparisonWindow window_;
  QWidget* chart_ = nullptr;
};

// Arg: the days of the period, ending with the ten years.
void ComparisonToChart(benchmark::State& state) {
  OpenWindow window;
  const int days = static_cast<int>(state.range(0));
  const Period period{kTenYears.dateAt(kTenYears.length() - days), kTenYears.last};
  const Period other{kTenYears.first, kTenYears.dateAt(9)};
  window.compare(period);  // a warm cache
  double longestAway = 0;
  double cpuSeconds = 0;
  for (auto _ : state) {
    window.compare(other);  // so that the period is read again
    const std::clock_t cpuStart = std::clock();
    const auto [painted, away] = window.compare(period);
    cpuSeconds += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    state.SetIterationTime(painted / 1000);
    longestAway = std::max(longestAway, away);
  }
  state.counters["longestGuiAwayMs"] = longestAway;
  // The processor time of every thread of the process: what an idle
  // machine's two cores share.
  state.counters["cpuMs"] = cpuSeconds * 1000 / static_cast<double>(state.iterations());
  state.counters["days"] = static_cast<double>(days * static_cast<int>(kStations.size()));
}

// A repaint of the ten years' chart at another size, as a resize asks.
void ComparisonRepaint(benchmark::State& state) {
  OpenWindow window;
  window.compare(kTenYears);
  QWidget& chart = window.chart();
  int step = 0;
  for (auto _ : state) {
    chart.resize(chart.width() + (++step % 2 == 0 ? 1 : -1), chart.height());
    chart.repaint();
  }
}

BENCHMARK(ComparisonToChart)
    ->Arg(365)
    ->Arg(3652)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(ComparisonRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skyrill
