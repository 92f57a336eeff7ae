// skyrill-summary: the statistics of many saved days as one table, and one
// station's days as a chart.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <set>

#include "archive/climate_days.h"
#include "archive/climate_table.h"
#include "archive/comparison_plot.h"
#include "archive/daily_normals.h"
#include "archive/day_walk.h"
#include "archive/history_archive.h"
#include "archive/summary_csv.h"
#include "core/calendar_date.h"
#include "core/encoding.h"
#include "store/observation_files.h"
#include "store/program_paths.h"
#include "store/whole_file.h"
#include "tools/pictures/pictures.h"
#include "tools/skyrill-day/day_report.h"
#include "tools/skyrill-summary/options.h"
#include "tools/standard_output.h"
#include "tools/tool_main.h"
#include "ui/summary_chart.h"

namespace skyrill {
namespace {

// A bar on one line of the terminal, redrawn when it grows.
class ProgressBar {
 public:
  void show(std::size_t done, std::size_t total) {
    const std::size_t filled = total == 0 ? kWidth : done * kWidth / total;
    if (ended_ || (filled == shown_ && done != total)) return;
    shown_ = filled;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] "
              << done << '/' << total << std::flush;
    // The end may be told more than once; the line is ended once.
    ended_ = done == total;
    if (ended_) std::cerr << '\n';
  }

  // Clears the bar's line for a report; the next step draws it again.
  void clear() {
    if (ended_ || shown_ == kNotShown) return;
    std::cerr << '\r' << std::string(kLineWidth, ' ') << '\r';
    shown_ = kNotShown;
  }

 private:
  static constexpr std::size_t kWidth = 40;
  static constexpr std::size_t kLineWidth = kWidth + 32;  // the bar and its counts
  static constexpr std::size_t kNotShown = SIZE_MAX;

  std::size_t shown_ = kNotShown;
  bool ended_ = false;
};

// The chart's days as the rows come: the dated days of its one station. Once
// a second station shows there is no chart, and no day is kept.
class ChartDays {
 public:
  void take(const SummaryRow& row) {
    if (row.date == 0) return;
    stations_.insert(row.station);
    if (severalStations()) {
      chart_.days = {};
      return;
    }
    // A current day's answer may lack the station's city; the latest that
    // has one names the chart.
    if (!row.stationName.empty() && row.stationName[0] != ' ') caption_ = row.stationName;
    // The chart draws a day's figures alone.
    SummaryRow day;
    day.date = row.date;
    day.figures = row.figures;
    chart_.days.push_back(std::move(day));
  }

  bool severalStations() const { return stations_.size() > 1; }
  // The one station of the chart, once a day was taken.
  const std::string& station() const { return *stations_.begin(); }

  // The chart over the period the command asked for, or else from the first
  // to the last day; nothing, with an error text, unless there is one station.
  std::optional<SummaryChartDays> chart(const SummaryFilter& filter, std::string& error) {
    if (stations_.empty()) {
      error = "--chart: no day to draw";
      return std::nullopt;
    }
    if (severalStations()) {
      error = "--chart: the files hold several stations (";
      for (const std::string& station : stations_)
        error += (station == *stations_.begin() ? "" : ", ") + station;
      error += "); choose one with --station, or compare them with --compare ELEMENT";
      return std::nullopt;
    }
    chart_.first = filter.from != 0 ? filter.from : chart_.days.front().date;
    chart_.last = filter.to != 0 ? filter.to : chart_.days.back().date;
    chart_.caption = caption_.empty() ? *stations_.begin() : caption_;
    return std::move(chart_);
  }

 private:
  std::set<std::string> stations_;
  std::string caption_;
  SummaryChartDays chart_;
};

// Where the CSV goes: to standard output as the rows come; into its file in
// parts, through a temporary file put in place at the end; or, when a chart
// that cannot be drawn would withhold it, into an unnamed temporary file
// until the end. Memory stays flat however many rows there are. The first
// failure is kept, to say why the table was not written.
class CsvOutput {
 public:
  explicit CsvOutput(const SummaryCommand& command)
      : file_(command.csvFile), held_(file_.empty() && !command.chartFile.empty()) {
    if (!file_.empty()) stream_.open(file_, error_);
    if (held_) {
      holding_.reset(std::tmpfile());
      if (!holding_) keepError();
    }
    add(summaryCsvHead());
  }

  void add(const std::string& text) {
    if (dropped_ || error_) return;
    if (!file_.empty()) {
      stream_.append(text);
    } else if (held_) {
      if (std::fwrite(text.data(), 1, text.size(), holding_.get()) != text.size()) keepError();
    } else {
      out_.write(text);
    }
  }

  // What is held goes nowhere.
  void drop() { dropped_ = true; }

  // Puts the file in place, or copies what is held to standard output;
  // false, with the reason, when that fails (a full disk, a closed or full
  // standard output).
  bool finish(std::error_code& error) {
    if (!error_ && !file_.empty()) stream_.commit(error_);
    if (!error_ && held_) copyHeldToOutput();
    if (file_.empty()) {
      std::error_code outError;
      if (!out_.finish(outError) && !error_) error_ = outError;
    }
    error = error_;
    return !error_;
  }

  // Where the table goes, for a message.
  std::string file() const { return file_.empty() ? "standard output" : file_; }
  // Whether the rows go out as they come.
  bool streams() const { return file_.empty() && !held_; }

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  void keepError() { error_ = std::error_code(errno != 0 ? errno : EIO, std::generic_category()); }

  void copyHeldToOutput() {
    std::FILE* held = holding_.get();
    if (std::fflush(held) != 0) return keepError();
    std::rewind(held);
    char chunk[1 << 16];
    for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, held)) > 0;)
      out_.write(std::string_view(chunk, count));
    if (std::ferror(held) != 0) keepError();
  }

  std::string file_;
  bool held_;
  bool dropped_ = false;
  std::error_code error_;
  WholeFileStream stream_;
  StandardOutput out_;
  std::unique_ptr<std::FILE, FileCloser> holding_;
};

bool savePicture(PictureJob job) {
  std::string error;
  if (!drawPictures({&job, 1}, "skyrill-summary", error))
    std::cerr << "skyrill-summary: " << error << '\n';
  if (!job.written) reportNotWritten("skyrill-summary", job.file, job.error);
  return job.written;
}

bool saveChart(const SummaryChartDays& chart, const std::string& file) {
  return savePicture({.kind = PictureKind::SummaryChart, .file = file, .summary = &chart});
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

void reportSkipped(const SkippedFile& file) {
  std::cerr << "skyrill-summary: " << shown(file.file) << ":\n"
            << sanitizeUtf8(plainLines(file.message)) << '\n';
}

// A day whose name is not UTF-8 is in the CSV under another name: its user
// is told which.
void reportNameNotUtf8(const std::string& file) {
  std::cerr << "skyrill-summary: " << shown(file)
            << ": the name is not valid UTF-8; the CSV shows U+FFFD in place of its bad bytes\n";
}

// How a run reads the files; progress goes to the bar when there is one and
// standard error is a terminal.
SummaryOptions readingOptions(const SummaryCommand& command, ProgressBar* bar) {
  SummaryOptions options;
  options.filter = command.filter;
  options.threads = command.threads;
  options.readFile = [](const std::filesystem::path& path) { return readDayFile(path); };
  if (bar && isatty(STDERR_FILENO)) {
    options.progress = [bar](std::size_t done, std::size_t total) { bar->show(done, total); };
  }
  return options;
}

// A summary run: its rows go to the CSV and the chart as they are read, its
// reports to standard error.
class SummaryRun {
 public:
  explicit SummaryRun(const SummaryCommand& command)
      : command_(command), csv_(command), charting_(!command.chartFile.empty()) {}

  void read(const FoundFiles& files) {
    // Rows shown on the terminal as they come leave the bar no line of its own.
    const bool barShown = !(csv_.streams() && isatty(STDOUT_FILENO));
    const SummarySink sink{[this](SummaryRow&& row) { take(row); },
                           [this](SkippedFile&& file) { skip(file); }};
    SummaryOptions options = readingOptions(command_, barShown ? &bar_ : nullptr);
    // The chart's normals and records take the station's days of every year.
    if (charting_) options.filter.from = options.filter.to = 0;
    streamSummaryTable(files, options, sink);
  }

  // Writes the CSV and the chart: 0 when all is written, 1 when something
  // could not be, 2 when the chart cannot be drawn.
  int write() {
    std::optional<SummaryChartDays> chart;
    if (charting_) {
      std::string error;
      chart = chartDays_.chart(command_.filter, error);
      if (!chart) {
        std::cerr << "skyrill-summary: " << error << '\n';
        return kUsageStatus;
      }
    }
    if (chart) addClimate(*chart);
    std::error_code error;
    bool written = csv_.finish(error);
    if (!written) reportNotWritten("skyrill-summary", csv_.file(), error);
    if (chart && !saveChart(*chart, command_.chartFile)) written = false;
    return written ? 0 : 1;
  }

  bool skippedAny() const { return skipped_ > 0; }

 private:
  void take(const SummaryRow& row) {
    if (charting_) {
      if (!chartDays_.severalStations()) everyYear_[row.station].push_back(climateDayOf(row));
      if (!inPeriod(row.station, row.date)) return;
    }
    if (shown(row.file) != row.file) {
      bar_.clear();
      reportNameNotUtf8(row.file);
    }
    if (charting_) {
      chartDays_.take(row);
      if (chartDays_.severalStations()) {
        csv_.drop();
        everyYear_.clear();
      }
    }
    csv_.add(summaryCsvLine(row));
  }

  void skip(const SkippedFile& file) {
    // A file outside the period, read for the chart's normals alone, leaves
    // the table as it was.
    const auto name = readObservationName(fileNameOfPath(file.file));
    if (name && !inPeriod(name->station, name->date)) return;
    bar_.clear();
    reportSkipped(file);
    ++skipped_;
  }

  bool inPeriod(const std::string& station, int date) const {
    return command_.filter.takes(station, date);
  }

  // The band of the station's daily normals behind the period, and the
  // period's record days, from its days of every year.
  void addClimate(SummaryChartDays& chart) {
    const StationDays days(std::move(everyYear_[chartDays_.station()]));
    everyYear_.clear();
    const Period period{chart.first, chart.last};
    chart.normals = normalBand(days, period);
    chart.records = recordDays(days, period);
  }

  const SummaryCommand& command_;
  CsvOutput csv_;
  bool charting_;
  ChartDays chartDays_;
  std::map<std::string, std::vector<ClimateDay>> everyYear_;  // by station, for the chart
  ProgressBar bar_;
  std::size_t skipped_ = 0;
};

// What days a climate or comparison run found none of, for its message.
std::string daysAsked(const SummaryCommand& command) {
  const SummaryFilter& filter = command.filter;
  std::string days = command.stations.size() == 1 ? "station " : "stations ";
  for (const std::string& station : command.stations)
    days += (&station == &command.stations.front() ? "" : ", ") + station;
  if (filter.monthDay != 0) days += " on " + dateText(20000000 + filter.monthDay).substr(5);
  if (filter.from != 0) days += " from " + dateText(filter.from);
  if (filter.to != 0) days += " to " + dateText(filter.to);
  return days;
}

// Writes a table made whole to the CSV file or standard output; false, with
// the cause said, when it could not be written.
bool writeTable(const std::string& csv, const std::string& file) {
  std::error_code error;
  bool written = false;
  if (file.empty()) {
    StandardOutput out;
    out.write(csv);
    written = out.finish(error);
  } else {
    written = writeWholeFile(file, csv, error);
  }
  if (!written) reportNotWritten("skyrill-summary", file.empty() ? "standard output" : file, error);
  return written;
}

// The station's climate table, or one calendar day in every year, from its
// days as the summary reads them: 0 when all is read and written, 1 when a
// file was left out, no day found or the table not written.
int runClimate(const SummaryCommand& command, const FoundFiles& files) {
  std::size_t skipped = 0;
  ProgressBar bar;
  const StationDays station =
      walkStationDays(files, readingOptions(command, &bar), [&](SkippedFile&& file) {
        bar.clear();
        reportSkipped(file);
        ++skipped;
      });
  if (station.empty()) {
    std::cerr << "skyrill-summary: no saved day of " << daysAsked(command) << '\n';
    return 1;
  }
  const std::string csv = command.climate
                              ? climateCsv(climateTable(station))
                              : sameDayCsv(sameDayTable(station, command.filter.monthDay));
  if (!writeTable(csv, command.csvFile)) return 1;
  return skipped == 0 ? 0 : 1;
}

// The stations side by side by one element, from their days as the summary
// reads them: 0 when all is read and written, 1 when a file was left out, no
// day found or something not written.
int runComparison(const SummaryCommand& command, const FoundFiles& files) {
  std::size_t skipped = 0;
  ProgressBar bar;
  ComparisonCollector collector(command.stations);
  const SummarySink sink{[&collector](SummaryRow&& row) { collector.take(std::move(row)); },
                         [&](SkippedFile&& file) {
                           bar.clear();
                           reportSkipped(file);
                           ++skipped;
                         }};
  streamSummaryTable(files, readingOptions(command, &bar), sink);
  const auto comparison = std::move(collector).finish(command.filter.from, command.filter.to);
  if (!comparison) {
    std::cerr << "skyrill-summary: no saved day of " << daysAsked(command) << '\n';
    return 1;
  }
  const DailyElement element = *command.compare;
  bool written = writeTable(comparisonCsv(*comparison, element), command.csvFile);
  if (!command.chartFile.empty()) {
    const ComparisonPlot plot = periodPlot(*comparison, {element}, dailyElementName(element));
    written = savePicture({.kind = PictureKind::ComparisonChart,
                           .file = command.chartFile,
                           .comparison = &plot}) &&
              written;
  }
  return written && skipped == 0 ? 0 : 1;
}

int run(const SummaryCommand& command) {
  // The window's History may still lack an earlier version's days.
  const std::filesystem::path windowDir = windowProgramDirectory();
  if (const auto left = moveEarlierFiles(programPlaces(windowDir), windowDir)) {
    std::cerr << earlierFilesLeftLine("skyrill-summary", *left) << '\n';
  }
  const ObservationFileWalk walk = walkObservationFiles(
      std::vector<std::filesystem::path>(command.folders.begin(), command.folders.end()));
  for (const auto& folder : walk.missing)
    std::cerr << "skyrill-summary: no such folder " << shown(folder) << '\n';
  if (!walk.missing.empty()) return kUsageStatus;
  reportUnread(walk.unread);
  if (command.climate || command.sameDay || command.compare) {
    const int done =
        command.compare ? runComparison(command, walk.files) : runClimate(command, walk.files);
    return done != 0 || !walk.unread.empty() ? 1 : 0;
  }

  SummaryRun summary(command);
  summary.read(walk.files);
  const int written = summary.write();
  if (written != 0) return written;
  return walk.unread.empty() && !summary.skippedAny() ? 0 : 1;
}

}  // namespace
}  // namespace skyrill

int main(int argc, char** argv) {
  return skyrill::runTool(argc, argv, "skyrill-summary", skyrill::kSummaryUsage,
                          skyrill::parseSummaryCommand, skyrill::run);
}
