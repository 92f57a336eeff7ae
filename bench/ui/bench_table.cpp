// Filling the data grid window with a 24-record day: the grid model alone,
// the cells written into the window's grid, and the cells written and the
// grid's cell area painted.
#include <QApplication>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include "core/data_grid.h"
#include "json/json_document.h"
#include "store/observation_files.h"
#include "ui/table_window.h"

namespace {

skyrill::JsonDocument sampleDocument() {
  skyrill::JsonDocument document;
  document.parse(skyrill::readDayFile(SKYRILL_SAMPLE_DAY));
  return document;
}

void BM_BuildDataGrid(benchmark::State& state) {
  const skyrill::JsonDocument document = sampleDocument();
  for (auto _ : state) {
    benchmark::DoNotOptimize(buildDataGrid(document, skyrill::QueryMode::History));
  }
}
BENCHMARK(BM_BuildDataGrid)->Unit(benchmark::kMicrosecond);

// The cells written, without painting them.
void BM_FillTableCells(benchmark::State& state) {
  const skyrill::JsonDocument document = sampleDocument();
  skyrill::TableWindow window(nullptr);
  window.show();
  QApplication::processEvents();
  for (auto _ : state) window.fillTable(document, skyrill::QueryMode::History);
}
BENCHMARK(BM_FillTableCells)->Unit(benchmark::kMicrosecond);

void BM_FillTableWindow(benchmark::State& state) {
  const skyrill::JsonDocument document = sampleDocument();
  skyrill::TableWindow window(nullptr);
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    window.fillTable(document, skyrill::QueryMode::History);
    window.grid().viewport()->repaint();
  }
  state.counters["rows"] = window.grid().rowCount();
}
BENCHMARK(BM_FillTableWindow)->Unit(benchmark::kMicrosecond);

}  // namespace
