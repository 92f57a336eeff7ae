// The window while a range download runs: a year of a station fetched from
// the sample service into a fresh archive through the download dialog, with
// a timer ticking every millisecond on the GUI thread and the main window
// repainted. The longest gap between two ticks is the worst frame the user
// could have seen; it is reported beside the run's own time.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include "ui/date_field.h"

#include <filesystem>

#include "archive/history_archive.h"
#include "fetch/range_fetcher.h"
#include "server_thread.h"
#include "ui/main_window.h"
#include "ui/range_dialog.h"
#include "weather_routes.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;

void BM_WindowFrameGapWhileARangeRuns(benchmark::State& state) {
  sample::ServerThread service{std::make_unique<httplib::Server>()};
  sample::addWeatherRoutes(service.server(), {}, false);
  RangeRequest settings;
  settings.apiKey = "demo";
  settings.server = "http://127.0.0.1:" + std::to_string(service.start("127.0.0.1", 0));
  settings.rate = 0;
  MainWindow window;
  window.show();
  double worstGapMs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string pattern = (fs::temp_directory_path() / "skyrill-range-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    const HistoryArchive archive = HistoryArchive::inFolder(pattern);
    RangeDialog dialog(settings, archive, QStringLiteral("50953"), nullptr, &window);
    dialog.findChild<DateField*>(QStringLiteral("firstDayEdit"))->setDate(QDate(2023, 1, 1));
    dialog.findChild<DateField*>(QStringLiteral("lastDayEdit"))->setDate(QDate(2023, 12, 31));
    dialog.show();
    state.ResumeTiming();

    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
      sinceTick.restart();
      window.update();
    });
    ticker.start(1);
    sinceTick.start();
    dialog.start();
    while (dialog.running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    ticker.stop();
    worstGapMs = std::max(worstGapMs, longest);

    state.PauseTiming();
    fs::remove_all(pattern);
    state.ResumeTiming();
  }
  state.counters["longestFrameMs"] = worstGapMs;
  state.counters["days"] = 365;
}
BENCHMARK(BM_WindowFrameGapWhileARangeRuns)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace skyrill
