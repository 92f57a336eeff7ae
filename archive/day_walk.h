#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/day_figures.h"
#include "archive/history_archive.h"

// The walk over saved days: which files count (the filter, the later fetch
// of each station-day), in which order, and their reading on several threads
// with the rows handed on in that order.
namespace skyrill {

// Which days a walk takes.
struct SummaryFilter {
  std::string station;  // all when empty
  int from = 0;         // YYYYMMDD, inclusive; 0 for no bound
  int to = 0;
  int monthDay = 0;  // MMDD: that calendar day of every year alone; 0 for every day
  std::vector<std::string> stations{};  // when not empty, only these (station then empty)
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
  DayVariants variants;  // the wind and visibility the days are read with
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
