// The redraw after a variant change: a display-only run of the pipeline on
// the held answer, with the chart and the strip drawn into the main window
// and the window painted.
#include <QApplication>

#include <benchmark/benchmark.h>

#include "core/query_pipeline.h"
#include "store/observation_files.h"
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

}  // namespace
