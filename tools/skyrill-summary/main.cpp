// skyrill-summary: the statistics of many saved days as one table, and one
// station's days as a chart.

#include <unistd.h>
#include <QGuiApplication>

#include <cstdlib>
#include <iostream>
#include <set>

#include "archive/day_summary_table.h"
#include "archive/history_archive.h"
#include "core/encoding.h"
#include "store/observation_files.h"
#include "store/whole_file.h"
#include "tools/skyrill-day/day_report.h"
#include "tools/skyrill-summary/options.h"
#include "tools/tool_main.h"
#include "ui/picture_files.h"
#include "ui/summary_chart.h"

namespace skyrill {
namespace {

constexpr int kUsageError = 2;

// A bar on one line of the terminal, redrawn when it grows.
class ProgressBar {
 public:
  void show(std::size_t done, std::size_t total) {
    constexpr std::size_t kWidth = 40;
    const std::size_t filled = total == 0 ? kWidth : done * kWidth / total;
    if (ended_ || (filled == shown_ && done != total)) return;
    shown_ = filled;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] "
              << done << '/' << total << std::flush;
    // The end may be told more than once; the line is ended once.
    ended_ = done == total;
    if (ended_) std::cerr << '\n';
  }

 private:
  std::size_t shown_ = SIZE_MAX;
  bool ended_ = false;
};

// The chart's station and period, or an error text.
std::optional<SummaryChartDays> chartDays(const SummaryCommand& command,
                                          const std::vector<SummaryRow>& rows, std::string& error) {
  std::set<std::string> stations;
  SummaryChartDays chart;
  for (const SummaryRow& row : rows) {
    if (row.date == 0) continue;
    stations.insert(row.station);
    chart.days.push_back(row);
  }
  if (stations.empty()) {
    error = "--chart: no day to draw";
    return std::nullopt;
  }
  if (stations.size() > 1) {
    error = "--chart: the files hold several stations (";
    for (const std::string& station : stations)
      error += (station == *stations.begin() ? "" : ", ") + station;
    error += "); choose one with --station";
    return std::nullopt;
  }
  // Rows come by date: the period runs from the first to the last day, or
  // over what the command asked for.
  chart.first = command.filter.from != 0 ? command.filter.from : chart.days.front().date;
  chart.last = command.filter.to != 0 ? command.filter.to : chart.days.back().date;
  // A current day's answer may lack the station's city; the latest that has
  // one names the chart.
  chart.caption = *stations.begin();
  for (auto day = chart.days.rbegin(); day != chart.days.rend(); ++day) {
    if (!day->stationName.empty() && day->stationName[0] != ' ') {
      chart.caption = day->stationName;
      break;
    }
  }
  return chart;
}

bool saveChart(const SummaryChartDays& chart, const std::string& file) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "skyrill-summary";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  return saveSummaryChart(chart, QString::fromStdString(file));
}

// Names go to standard error as valid UTF-8, as they go into the CSV.
std::string shown(const std::filesystem::path& path) {
  return sanitizeUtf8(path.string());
}

void reportUnread(const std::vector<UnreadEntry>& unread) {
  for (const UnreadEntry& entry : unread) {
    std::cerr << "skyrill-summary: cannot read " << shown(entry.path) << ": "
              << entry.error.message() << '\n';
  }
}

void reportSkipped(const std::vector<SkippedFile>& skipped) {
  for (const SkippedFile& file : skipped) {
    std::cerr << "skyrill-summary: " << shown(file.file) << ":\n"
              << sanitizeUtf8(plainLines(file.message)) << '\n';
  }
}

// A day whose name is not UTF-8 is in the CSV under another name: its user
// is told which.
void reportNamesNotUtf8(const std::vector<SummaryRow>& rows) {
  for (const SummaryRow& row : rows) {
    if (shown(row.file) == row.file) continue;
    std::cerr << "skyrill-summary: " << shown(row.file)
              << ": the name is not valid UTF-8; the CSV shows U+FFFD in place of its bad bytes\n";
  }
}

SummaryTable summarise(const SummaryCommand& command,
                       const std::vector<std::filesystem::path>& files) {
  SummaryOptions options;
  options.filter = command.filter;
  options.threads = command.threads;
  options.readFile = [](const std::filesystem::path& path) { return readDayFile(path); };
  ProgressBar bar;
  if (isatty(STDERR_FILENO)) {
    options.progress = [&bar](std::size_t done, std::size_t total) { bar.show(done, total); };
  }
  return buildSummaryTable(files, options);
}

int run(const SummaryCommand& command) {
  const ObservationFileWalk walk = walkObservationFiles(
      std::vector<std::filesystem::path>(command.folders.begin(), command.folders.end()));
  for (const auto& folder : walk.missing)
    std::cerr << "skyrill-summary: no such folder " << shown(folder) << '\n';
  if (!walk.missing.empty()) return kUsageError;
  reportUnread(walk.unread);

  const SummaryTable table = summarise(command, walk.files);
  reportSkipped(table.skipped);
  reportNamesNotUtf8(table.rows);

  std::optional<SummaryChartDays> chart;
  if (!command.chartFile.empty()) {
    std::string error;
    chart = chartDays(command, table.rows, error);
    if (!chart) {
      std::cerr << "skyrill-summary: " << error << '\n';
      return kUsageError;
    }
  }
  bool written = true;
  const std::string csv = summaryCsv(table.rows);
  if (command.csvFile.empty()) {
    std::cout << csv << std::flush;
  } else if (!writeWholeFile(command.csvFile, csv)) {
    std::cerr << "skyrill-summary: cannot write " << command.csvFile << '\n';
    written = false;
  }
  if (chart && !saveChart(*chart, command.chartFile)) {
    std::cerr << "skyrill-summary: cannot write " << command.chartFile << '\n';
    written = false;
  }
  const bool allRead = walk.unread.empty() && table.skipped.empty();
  return written && allRead ? 0 : 1;
}

}  // namespace
}  // namespace skyrill

int main(int argc, char** argv) {
  return skyrill::runTool(argc, argv, "skyrill-summary", skyrill::kSummaryUsage,
                          skyrill::kUsageError, skyrill::parseSummaryCommand, skyrill::run);
}
