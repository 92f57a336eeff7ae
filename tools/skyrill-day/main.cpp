// skyrill-day: the display path of Skyrill without a window. Shows one
// station-day, from a saved observation file or fetched from the data service,
// as the title, the status-bar panels and optionally the hour slots, or as
// the data grid.

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

#include "core/data_grid.h"
#include "core/day_csv.h"
#include "core/headless_view.h"
#include "core/query_pipeline.h"
#include "net/data_service.h"
#include "store/observation_files.h"
#include "store/whole_file.h"
#include "tools/skyrill-day/day_report.h"
#include "tools/skyrill-day/grid_report.h"
#include "tools/skyrill-day/options.h"
#include "tools/tool_main.h"
#include "ui/picture_files.h"

namespace skyrill {
namespace {

QueryRequest inputsOf(const DayOptions& options) {
  QueryRequest request;
  request.windVariant = options.wind;
  request.visibilityVariant = options.visibility;
  request.stationNumber = options.station;
  if (!options.today && !options.date.empty()) splitDateText(options.date, request);
  request.advancedSource = options.advanced;
  request.apiKey = options.key;
  request.proxyEnabled = !options.proxy.empty();
  request.proxyAddress = options.proxy;
  return request;
}

// Tells on standard error that a file was not written; gives `written`.
bool reportWrite(const std::string& file, bool written) {
  if (!written) std::cerr << "skyrill-day: cannot write " << file << '\n';
  return written;
}

// Writes the pictures the window would show; false when one cannot be saved.
bool savePictures(const DayOptions& options, const DaySeries& series) {
  if (options.chartFile.empty() && options.stripFile.empty()) return true;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "skyrill-day";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  const auto save = [&series](const std::string& file, auto savePicture) {
    return file.empty() || reportWrite(file, savePicture(series, QString::fromStdString(file)));
  };
  const bool chartSaved = save(options.chartFile, saveDayChart);
  const bool stripSaved = save(options.stripFile, saveWindStrip);
  return chartSaved && stripSaved;
}

// Writes the CSV files asked for; false when one cannot be written.
bool saveTables(const DayOptions& options, const QueryState& state) {
  const auto save = [](const std::string& file, const std::string& text) {
    return file.empty() || reportWrite(file, writeWholeFile(file, text));
  };
  const bool slotsSaved = save(options.csvFile, daySlotsCsv(state.series));
  const bool gridSaved =
      options.gridCsvFile.empty() ||
      save(options.gridCsvFile, dataGridCsv(buildDataGrid(state.document, state.displayedMode)));
  return slotsSaved && gridSaved;
}

int run(const DayOptions& options) {
  HeadlessView view(inputsOf(options));
  DataService service(options.server.empty() ? defaultServerAddress() : options.server);
  QueryPipeline pipeline(view, &service, nullptr);

  bool shown = false;
  if (options.fetches()) {
    shown = pipeline.runQuery(options.today ? QueryMode::Today : QueryMode::History, true, false);
    if (shown && !options.saveFile.empty() &&
        !reportWrite(options.saveFile,
                     writeDayFile(options.saveFile, pipeline.state().responseBytes))) {
      return 1;
    }
  } else {
    const DayFileBytes file = loadDayFile(options.file);
    shown = pipeline.openDayText(file.bytes, fileNameOfPath(options.file), options.realtime,
                                 file.problem);
  }
  if (!shown) {
    if (const auto& message = view.lastMessage()) {
      std::cerr << plainLines(message->text) << '\n';
      // The message shows a long service error cut short; scripts get all of it.
      if (!message->detail.empty()) std::cerr << '\n' << message->detail << '\n';
    }
    // An answer memory could not hold is no refused answer.
    return pipeline.lastOutcome() == AnswerCheck::OutOfMemory ? kOutOfMemoryStatus : 2;
  }
  const QueryState& state = pipeline.state();
  if (options.printGrid) {
    std::cout << formatGridReport(buildDataGrid(state.document, state.displayedMode));
  } else {
    std::cout << formatDayReport(view.title(), view.statusLines(),
                                 options.printSlots ? &state.series : nullptr);
  }
  const bool tablesSaved = saveTables(options, state);
  return savePictures(options, state.series) && tablesSaved ? 0 : 1;
}

}  // namespace
}  // namespace skyrill

int main(int argc, char** argv) {
  return skyrill::runTool(argc, argv, "skyrill-day", skyrill::kDayUsage, 1,
                          skyrill::parseDayOptions, skyrill::run);
}
