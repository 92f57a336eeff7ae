// The least process that shows a saved day as `skyrill-day FILE` does: reads
// the file, runs the display path and prints the report, with no options and
// no modules to look for. bench_process_start times skyrill-day beside it.

#include <iostream>

#include "core/headless_view.h"
#include "core/query_pipeline.h"
#include "store/observation_files.h"
#include "tools/skyrill-day/day_report.h"

int main(int argc, char** argv) {
  if (argc != 2) return 1;
  skyrill::HeadlessView view(skyrill::QueryRequest{});
  skyrill::QueryPipeline pipeline(view, nullptr, nullptr);
  const skyrill::DayFileBytes file = skyrill::loadDayFile(argv[1]);
  if (!pipeline.openDayText(file.bytes, skyrill::fileNameOfPath(argv[1]), false, file.problem))
    return 2;
  std::cout << skyrill::formatDayReport(view.title(), view.statusLines(), nullptr);
  return 0;
}
