#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_names.h"
#include "archive/history_archive.h"
#include "core/day_texts.h"
#include "core/query_types.h"

// A summary over saved days: each observation file read as the window opens
// it, its day's statistics as one table row.
namespace skyrill {

// One status panel taken apart: its value without the unit, its class label
// without brackets and "*" when some hour lacked the element. All empty when
// the panel says there is no data.
struct StatisticCells {
  std::string value;
  std::string label;
  std::string mark;
};

// The eleven panels in bar order (the order of initialStatusLines()).
using StatisticRow = std::array<StatisticCells, kStatusLineCount>;

// Index of each panel in a StatisticRow.
enum StatisticIndex : std::size_t {
  kHighestTemperatureStat = 0,
  kLowestTemperatureStat = 1,
  kLowestVisibilityStat = 9,
};

// The numbers the summary chart draws of a day.
struct DayFigures {
  std::optional<double> highestTemperature;  // °C, as the panel shows it
  std::optional<double> lowestTemperature;
  std::array<double, 3> precipitation{};  // mm per PrecipitationPhase, by each hour's phase
  bool hasPrecipitation = false;          // some hour had an amount
  std::optional<int> visibilityClass;     // the day's highest class, when it had visibility
};

// One day of the summary.
struct SummaryRow {
  std::string file;  // the path as found
  QueryMode mode = QueryMode::History;
  std::string station;
  int date = 0;  // YYYYMMDD
  std::string stationName;
  StatisticRow statistics;
  DayFigures figures;

  int fetchTime = 0;  // HHMMSS from the name of a current day's file
};

// Reads one observation file's bytes as the window opens a file (mode from
// the name, the default variants, no realtime tick) and sums its day up.
// Station and date come from the name, or from the answer when the name is
// not made the usual way. On failure, the message the window would show.
std::optional<SummaryRow> summariseDay(std::string_view bytes, const std::filesystem::path& path,
                                       std::string& message);

// The summary's CSV: UTF-8 with a byte-order mark, a header row, one row per
// day: file (U+FFFD in place of bytes that are not UTF-8), mode digit,
// station, date, then each panel's value, label and mark in columns of their
// own.
std::string summaryCsv(const std::vector<SummaryRow>& rows);
// The same CSV a piece at a time: the byte-order mark with the header row,
// then one line per row.
std::string summaryCsvHead();
std::string summaryCsvLine(const SummaryRow& row);

// Which days a summary takes.
struct SummaryFilter {
  std::string station;  // all when empty
  int from = 0;         // YYYYMMDD, inclusive; 0 for no bound
  int to = 0;
  bool takes(std::string_view station, int date) const;
};

// A file left out of the summary and the message the window shows for it.
struct SkippedFile {
  std::string file;
  std::string message;
};

struct SummaryTable {
  std::vector<SummaryRow> rows;  // by station, then date
  std::vector<SkippedFile> skipped;
};

struct SummaryOptions {
  SummaryFilter filter;
  unsigned threads = 0;  // 0: one per core when there are many files
  // Reads a file's bytes (empty when it cannot be read; the file is then
  // looked at again to tell what stood in the way).
  std::function<std::string(const std::filesystem::path&)> readFile;
  // Called now and then on the calling thread with the files done so far.
  std::function<void(std::size_t done, std::size_t total)> progress;
};

// Where the rows of a summary go as they are read; both are called on the
// calling thread.
struct SummarySink {
  std::function<void(SummaryRow&& row)> row;  // by station, then date
  std::function<void(SkippedFile&& file)> skipped;
};

// Reads the files and hands the table on row by row: days the filter leaves
// out are dropped (by name before reading when the name tells), and of
// several files of one station-day only the later fetch stays: the one with
// the later fetch time in its name (a past day's file counts as fetched after
// any current-day file of that day), then the later modification time, then
// the later in the list. The order is known from the names before anything
// is read; of a station-day only the file that stays is read (and the next
// when it cannot be), and only a few hundred rows are held at a time. Files
// whose names do not tell station and date are read first.
void streamSummaryTable(const FoundFiles& files, const SummaryOptions& options,
                        const SummarySink& sink);

// The same table whole.
SummaryTable buildSummaryTable(const std::vector<std::filesystem::path>& files,
                               const SummaryOptions& options);

}  // namespace skyrill
