// skyrill-day: the display path of Skyrill without a window. Shows one
// station-day, from a saved observation file or fetched from the data service,
// as the title, the status-bar panels and optionally the hour slots, or as
// the data grid. A day from a file loads no Qt and no network library: the
// pictures and the fetching are modules, loaded by the runs that ask for them.

#include <iostream>
#include <memory>
#include <vector>

#include "core/data_grid.h"
#include "core/day_csv.h"
#include "core/headless_view.h"
#include "core/query_pipeline.h"
#include "net/data_service.h"
#include "store/observation_files.h"
#include "store/program_paths.h"
#include "store/settings.h"
#include "store/whole_file.h"
#include "tools/pictures/pictures.h"
#include "tools/skyrill-day/day_report.h"
#include "tools/skyrill-day/grid_report.h"
#include "tools/skyrill-day/options.h"
#include "tools/standard_output.h"
#include "tools/tool_main.h"

namespace skyrill {
namespace {

QueryRequest inputsOf(const DayOptions& options) {
  QueryRequest request;
  request.windVariant = options.wind;
  request.visibilityVariant = options.visibility;
  request.stationNumber = options.station;
  if (!options.today) setRequestDate(request, options.date);
  request.advancedSource = options.advanced;
  request.apiKey = options.key;
  request.proxyEnabled = !options.proxy.empty();
  request.proxyAddress = options.proxy;
  return request;
}

// Tells on standard error that a file was not written, and why; gives `written`.
bool reportWrite(const std::string& file, bool written, std::error_code error) {
  if (!written) reportNotWritten("skyrill-day", file, error);
  return written;
}

// The pictures asked for, of the day on display.
std::vector<PictureJob> pictureJobs(const DayOptions& options, const QueryState& state) {
  const std::string caption =
      options.caption
          ? composePictureCaption(state.displayedMode, state.document, state.sourceLabel)
          : std::string();
  std::vector<PictureJob> jobs;
  const auto ask = [&](PictureKind kind, const std::string& file) {
    if (!file.empty())
      jobs.push_back({.kind = kind, .file = file, .day = &state.series, .caption = caption});
  };
  ask(PictureKind::DayChart, options.chartFile);
  ask(PictureKind::WindStrip, options.stripFile);
  return jobs;
}

// Writes the pictures the window would show; false when one cannot be saved.
bool savePictures(const DayOptions& options, const QueryState& state) {
  std::vector<PictureJob> jobs = pictureJobs(options, state);
  if (jobs.empty()) return true;
  std::string error;
  if (!drawPictures(jobs, "skyrill-day", error)) std::cerr << "skyrill-day: " << error << '\n';
  bool allWritten = true;
  for (const PictureJob& job : jobs)
    allWritten = reportWrite(job.file, job.written, job.error) && allWritten;
  return allWritten;
}

// Writes the CSV files asked for; false when one cannot be written.
bool saveTables(const DayOptions& options, const QueryState& state) {
  const auto save = [](const std::string& file, const std::string& text) {
    std::error_code error;
    return file.empty() || reportWrite(file, writeWholeFile(file, text, error), error);
  };
  const bool slotsSaved = save(options.csvFile, daySlotsCsv(state.series));
  const bool gridSaved =
      options.gridCsvFile.empty() ||
      save(options.gridCsvFile, dataGridCsv(buildDataGrid(state.document, state.displayedMode)));
  return slotsSaved && gridSaved;
}

// Fetches the day, or reads it from the file; true when it was shown.
bool showDay(const DayOptions& options, QueryPipeline& pipeline) {
  if (options.fetches())
    return pipeline.runQuery(options.today ? QueryMode::Today : QueryMode::History, true, false);
  const DayFileBytes file = loadDayFile(options.file);
  return pipeline.openDayText(file.bytes, fileNameOfPath(options.file), options.realtime,
                              file.problem);
}

// Tells why the day was not shown; gives the exit status.
int reportNotShown(const HeadlessView& view, const QueryPipeline& pipeline) {
  if (const auto& message = view.lastMessage()) {
    std::cerr << plainLines(message->text) << '\n';
    // The message shows a long service error cut short; scripts get all of it.
    if (!message->detail.empty()) std::cerr << '\n' << message->detail << '\n';
  }
  if (const auto& certificate = view.refusedCertificate()) {
    std::cerr << "skyrill-day: to trust this certificate for one run: --trust-certificate "
              << certificate->sha256 << '\n';
  }
  // An answer memory could not hold is no refused answer.
  return pipeline.lastOutcome() == AnswerCheck::OutOfMemory ? kOutOfMemoryStatus : 1;
}

// Prints the shown day and writes the files asked for; gives the exit status.
int reportShown(const DayOptions& options, const HeadlessView& view, const QueryState& state) {
  StandardOutput out;
  if (options.printGrid) {
    out.write(formatGridReport(buildDataGrid(state.document, state.displayedMode)));
  } else {
    out.write(formatDayReport(view.title(), view.statusLines(),
                              options.printSlots ? &state.series : nullptr));
  }
  std::error_code error;
  const bool printed = reportWrite("standard output", out.finish(error), error);
  const bool tablesSaved = saveTables(options, state);
  return savePictures(options, state) && tablesSaved && printed ? 0 : 1;
}

int run(const DayOptions& options) {
  std::unique_ptr<CertificateTrust> trust;
  std::unique_ptr<AnswerSource> service;
  if (options.fetches()) {
    // The certificates the window trusts, and those of the command line.
    const std::string server = options.server.empty() ? defaultServerAddress() : options.server;
    const Settings window = loadSettings(programPlaces(windowProgramDirectory()).settingsFile);
    trust = runTrust(window, server, options.trust, "skyrill-day");
    service = std::make_unique<DataService>(server, WebLimits{}, trust.get());
  }
  HeadlessView view(inputsOf(options));
  QueryPipeline pipeline(view, service.get(), nullptr);
  if (!showDay(options, pipeline)) return reportNotShown(view, pipeline);
  const QueryState& state = pipeline.state();
  // --save keeps a fetched answer; a file is saved already.
  std::error_code error;
  if (options.fetches() && !options.saveFile.empty() &&
      !reportWrite(options.saveFile, writeDayFile(options.saveFile, state.responseBytes, error),
                   error)) {
    return 1;
  }
  return reportShown(options, view, state);
}

}  // namespace
}  // namespace skyrill

int main(int argc, char** argv) {
  return skyrill::runTool(argc, argv, "skyrill-day", skyrill::kDayUsage, skyrill::parseDayOptions,
                          skyrill::run);
}
