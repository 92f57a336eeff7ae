// The redraw after a variant change: a display-only run of the pipeline on
// the held answer, with the chart and the strip drawn into the main window
// and the window painted.
#include <QApplication>

#include <benchmark/benchmark.h>

#include <QDate>

#include <unistd.h>

#include <filesystem>

#include "archive/history_archive.h"
#include "core/query_pipeline.h"
#include "store/observation_files.h"
#include "ui/date_lists.h"
#include "ui/main_window.h"

namespace {

std::string sampleAnswer() {
  return skyrill::readDayFile(SKYRILL_SAMPLE_DAY);
}

void BM_RedrawAfterVariantChange(benchmark::State& state) {
  skyrill::MainWindow window;
  skyrill::QueryPipeline pipeline(window, nullptr, nullptr);
  window.setPipeline(&pipeline);
  window.show();
  pipeline.openDayText(sampleAnswer(), "0_57083_0_20190705.json", false);
  QApplication::processEvents();
  for (auto _ : state) {
    pipeline.redisplay();
    window.repaint();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_RedrawAfterVariantChange)->Unit(benchmark::kMillisecond);

// A step to a day the archive holds ("前一天" then "后一天"): the file found
// and read, the day shown, the window painted. One step per iteration.
void BM_StepToAnArchivedDay(benchmark::State& state) {
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("skyrill-bench-step-" + std::to_string(getpid()));
  const skyrill::HistoryArchive archive = skyrill::HistoryArchive::inFolder(root);
  for (const char* name : {"0_57083_0_20190704.json", "0_57083_0_20190705.json"}) {
    archive.save("2019", name, sampleAnswer());
  }
  skyrill::MainWindow window([] { return QDate(2019, 7, 6); });
  skyrill::QueryPipeline pipeline(window, nullptr, nullptr);
  window.setPipeline(&pipeline);
  window.setArchive(&archive);
  window.setStationNumber(QStringLiteral("57083"));
  window.show();
  window.showPreviousDay();  // 07-05
  QApplication::processEvents();
  bool back = true;
  for (auto _ : state) {
    back ? window.showPreviousDay() : window.showNextDay();
    back = !back;
    window.repaint();
    QApplication::processEvents();
  }
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_StepToAnArchivedDay)->Unit(benchmark::kMillisecond);

}  // namespace
