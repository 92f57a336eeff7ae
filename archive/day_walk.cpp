#include "archive/day_walk.h"

#include <algorithm>
#include <cstdint>
#include <thread>
#include <tuple>
#include <unordered_map>

#include "core/jobs_in_order.h"
#include "store/observation_files.h"

namespace skyrill {
namespace {

// Below this many files, starting threads costs more than they bring.
constexpr std::size_t kThreadedFrom = 64;

// Rows read ahead of the one handed on, at most.
constexpr std::size_t kRowsAhead = 256;

unsigned threadCount(std::size_t files, unsigned asked) {
  if (asked == 0) {
    asked = files < kThreadedFrom ? 1 : std::max(1u, std::thread::hardware_concurrency());
  }
  return static_cast<unsigned>(std::clamp<std::size_t>(asked, 1, std::max<std::size_t>(files, 1)));
}

// A file's bytes and, when it gave none, why: a file gone since it was found
// or one that cannot be read is no empty file.
DayFileBytes readDay(const std::string& path, const SummaryOptions& options) {
  std::string bytes = options.readFile(path);
  if (!bytes.empty()) return {std::move(bytes), FileProblem::None};
  return {{}, loadDayFile(path).problem};
}

// What reading one file gave: its row, or the message of its failure.
struct FileReading {
  std::optional<SummaryRow> row;
  SkippedFile failure;
};

FileReading readFoundFile(const FoundFiles& files, std::size_t file,
                          const SummaryOptions& options) {
  FileReading reading;
  reading.failure.file = files.pathText(file);
  const DayFileBytes day = readDay(reading.failure.file, options);
  reading.row =
      summariseDayFile(day, reading.failure.file, reading.failure.message, options.variants);
  return reading;
}

// A row read ahead and held until its turn, in little room: its cells as
// one text.
class HeldRow {
 public:
  explicit HeldRow(const SummaryRow& row)
      : file_(row.file),
        mode_(row.mode),
        station_(row.station),
        date_(row.date),
        stationName_(row.stationName),
        figures_(row.figures) {
    std::size_t cell = 0;
    for (const StatisticCells& statistic : row.statistics) {
      for (const std::string* text : {&statistic.value, &statistic.label, &statistic.mark}) {
        cells_ += *text;
        cellEnds_[cell++] = static_cast<std::uint32_t>(cells_.size());
      }
    }
  }

  SummaryRow row() const {
    SummaryRow row{file_, mode_, station_, date_, stationName_, {}, figures_, 0};
    std::size_t cell = 0;
    std::uint32_t start = 0;
    for (StatisticCells& statistic : row.statistics) {
      for (std::string* text : {&statistic.value, &statistic.label, &statistic.mark}) {
        *text = cells_.substr(start, cellEnds_[cell] - start);
        start = cellEnds_[cell++];
      }
    }
    return row;
  }

 private:
  std::string file_;
  QueryMode mode_;
  std::string station_;
  int date_;
  std::string stationName_;
  DayFigures figures_;
  std::string cells_;
  std::array<std::uint32_t, kStatusLineCount * 3> cellEnds_{};
};

constexpr std::uint32_t kNotHeld = UINT32_MAX;

// A file the summary may read, placed by its name or, when the name does not
// tell, by its reading.
struct Candidate {
  std::uint32_t file = 0;     // in the found files
  std::uint32_t station = 0;  // the station's number, then its rank by text
  int date = 0;
  int fetchTime = 0;
  bool pastDay = true;            // by the mode digit, as the window reads it
  std::uint32_t held = kNotHeld;  // its row, read ahead
};

// Station texts numbered as they are met, and the ranks of the numbers in
// text order.
class StationNumbers {
 public:
  std::uint32_t numberOf(const std::string& station) {
    return numbers_.try_emplace(station, static_cast<std::uint32_t>(numbers_.size())).first->second;
  }

  std::vector<std::uint32_t> ranks() const {
    std::vector<const std::pair<const std::string, std::uint32_t>*> byText;
    for (const auto& station : numbers_) byText.push_back(&station);
    std::sort(byText.begin(), byText.end(),
              [](const auto* a, const auto* b) { return a->first < b->first; });
    std::vector<std::uint32_t> ranks(byText.size());
    for (std::size_t rank = 0; rank < byText.size(); ++rank)
      ranks[byText[rank]->second] = static_cast<std::uint32_t>(rank);
    return ranks;
  }

 private:
  std::unordered_map<std::string, std::uint32_t> numbers_;
};

// What the summary knows before it reads the days.
struct SummaryPlan {
  std::vector<Candidate> candidates;     // by station, date, then place in the list
  std::vector<std::uint32_t> dayStarts;  // where each row's candidates start
  std::vector<HeldRow> held;             // rows of files whose names do not tell
  std::vector<std::uint32_t> nameless;   // those files
  StationNumbers stations;
  std::size_t filesDone = 0;  // left out by name or read ahead
};

// Places each file the name of which tells station and date; notes the others.
void placeByNames(const FoundFiles& files, const SummaryFilter& filter, SummaryPlan& plan) {
  plan.candidates.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string name = fileNameOfPath(files.name(i));
    const auto parts = readObservationName(name);
    const auto file = static_cast<std::uint32_t>(i);
    if (!parts) {
      plan.nameless.push_back(file);
    } else if (!filter.takes(parts->station, parts->date)) {
      ++plan.filesDone;
    } else {
      const bool pastDay =
          modeNumberFromFileName(name, false) == static_cast<int>(QueryMode::History);
      plan.candidates.push_back(
          {file, plan.stations.numberOf(parts->station), parts->date, parts->fetchTime, pastDay});
    }
  }
}

// Reads the files whose names do not tell station and date, and holds the
// rows the filter takes.
void readNameless(const FoundFiles& files, const SummaryOptions& options, const SummarySink& sink,
                  SummaryPlan& plan) {
  JobsInOrder<FileReading> jobs(plan.nameless.size(), kRowsAhead);
  const auto work = [&](std::size_t job) {
    return readFoundFile(files, plan.nameless[job], options);
  };
  std::size_t job = 0;
  const auto hand = [&](FileReading&& reading) {
    const std::uint32_t file = plan.nameless[job++];
    ++plan.filesDone;
    if (options.progress) options.progress(plan.filesDone, files.size());
    if (!reading.row) {
      sink.skipped(std::move(reading.failure));
      return;
    }
    const SummaryRow& row = *reading.row;
    if (!options.filter.takes(row.station, row.date)) return;
    plan.candidates.push_back({file, plan.stations.numberOf(row.station), row.date, 0,
                               row.mode == QueryMode::History,
                               static_cast<std::uint32_t>(plan.held.size())});
    plan.held.emplace_back(row);
  };
  jobs.run(threadCount(plan.nameless.size(), options.threads), work, hand);
}

// Puts the candidates in table order and marks where each row's begin: one
// row per station-day, and one for each day without a date.
void orderDays(SummaryPlan& plan) {
  const std::vector<std::uint32_t> ranks = plan.stations.ranks();
  for (Candidate& candidate : plan.candidates) candidate.station = ranks[candidate.station];
  const auto place = [](const Candidate& c) { return std::tie(c.station, c.date, c.file); };
  std::sort(plan.candidates.begin(), plan.candidates.end(),
            [&](const Candidate& a, const Candidate& b) { return place(a) < place(b); });
  plan.dayStarts.reserve(plan.candidates.size());
  for (std::size_t i = 0; i < plan.candidates.size(); ++i) {
    const Candidate& candidate = plan.candidates[i];
    const bool sameDay = i > 0 && candidate.date != 0 &&
                         candidate.station == plan.candidates[i - 1].station &&
                         candidate.date == plan.candidates[i - 1].date;
    if (!sameDay) plan.dayStarts.push_back(static_cast<std::uint32_t>(i));
  }
}

FetchStamp stampOf(const Candidate& candidate, const FoundFiles& files) {
  return {candidate.pastDay, candidate.fetchTime, files.path(candidate.file)};
}

// Of the files of one day, in list order, the place of the one that counts:
// the later fetch, then the later in the list.
std::size_t latestFetch(const std::vector<Candidate>& day, const FoundFiles& files) {
  std::size_t latest = 0;
  for (std::size_t i = 1; i < day.size(); ++i) {
    if (!fetchedBefore(stampOf(day[i], files), stampOf(day[latest], files))) latest = i;
  }
  return latest;
}

// What one row of the table came to: the row, when a file of its day could
// be read, and the files tried before that could not.
struct DayOutcome {
  std::optional<SummaryRow> row;
  std::vector<SkippedFile> skipped;
  std::size_t files = 0;  // of the day, those not read ahead
};

// Reads the file of the day that counts, and the next when it cannot be read.
DayOutcome readDayRow(const SummaryPlan& plan, std::size_t row, const FoundFiles& files,
                      const SummaryOptions& options) {
  const std::size_t end =
      row + 1 < plan.dayStarts.size() ? plan.dayStarts[row + 1] : plan.candidates.size();
  std::vector<Candidate> day(plan.candidates.begin() + plan.dayStarts[row],
                             plan.candidates.begin() + end);
  DayOutcome outcome;
  for (const Candidate& candidate : day) outcome.files += candidate.held == kNotHeld ? 1 : 0;
  while (!day.empty() && !outcome.row) {
    const auto latest = day.begin() + latestFetch(day, files);
    if (latest->held != kNotHeld) {
      outcome.row = plan.held[latest->held].row();
    } else {
      FileReading reading = readFoundFile(files, latest->file, options);
      outcome.row = std::move(reading.row);
      if (!outcome.row) outcome.skipped.push_back(std::move(reading.failure));
    }
    day.erase(latest);
  }
  return outcome;
}

// Reads the rows' days and hands the rows on in table order.
void readDays(const FoundFiles& files, const SummaryOptions& options, const SummarySink& sink,
              SummaryPlan& plan) {
  JobsInOrder<DayOutcome> jobs(plan.dayStarts.size(), kRowsAhead);
  const auto work = [&](std::size_t row) { return readDayRow(plan, row, files, options); };
  const auto hand = [&](DayOutcome&& outcome) {
    for (SkippedFile& file : outcome.skipped) sink.skipped(std::move(file));
    if (outcome.row) sink.row(std::move(*outcome.row));
    plan.filesDone += outcome.files;
    if (options.progress) options.progress(plan.filesDone, files.size());
  };
  jobs.run(threadCount(plan.dayStarts.size(), options.threads), work, hand);
}

}  // namespace

bool SummaryFilter::takes(std::string_view stationText, int date) const {
  if (!station.empty() && stationText != station) return false;
  if (!stations.empty() &&
      std::find(stations.begin(), stations.end(), stationText) == stations.end())
    return false;
  if (from != 0 && date < from) return false;
  if (monthDay != 0 && date % 10000 != monthDay) return false;
  return to == 0 || date <= to;
}

void streamSummaryTable(const FoundFiles& files, const SummaryOptions& options,
                        const SummarySink& sink) {
  SummaryPlan plan;
  placeByNames(files, options.filter, plan);
  readNameless(files, options, sink, plan);
  orderDays(plan);
  readDays(files, options, sink, plan);
  if (options.progress) options.progress(files.size(), files.size());
}

SummaryTable buildSummaryTable(const std::vector<std::filesystem::path>& files,
                               const SummaryOptions& options) {
  SummaryTable table;
  const SummarySink sink{
      [&table](SummaryRow&& row) { table.rows.push_back(std::move(row)); },
      [&table](SkippedFile&& file) { table.skipped.push_back(std::move(file)); }};
  streamSummaryTable(FoundFiles(files), options, sink);
  return table;
}

}  // namespace skyrill
