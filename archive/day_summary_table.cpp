#include "archive/day_summary_table.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <tuple>
#include <unordered_map>

#include "archive/history_archive.h"
#include "core/calendar_date.h"
#include "core/classifications.h"
#include "core/csv_text.h"
#include "core/encoding.h"
#include "core/headless_view.h"
#include "core/helper_threads.h"
#include "core/numeric_text.h"
#include "store/observation_files.h"

namespace skyrill {
namespace {

constexpr std::string_view kNoData = "无数据";
constexpr std::string_view kMark = "*";

// The unit each panel writes after its value, in bar order.
constexpr std::array<std::string_view, kStatusLineCount> kPanelUnits = {
    "℃", "℃", "mm", "mm", "℃", "m/s", "hPa", "hPa", "hPa", "km", ""};

// The panels in bar order, with the captions their texts start with.
const std::array<StatusLine, kStatusLineCount>& panelCaptions() {
  static const auto captions = initialStatusLines();
  return captions;
}

std::size_t barOrderIndex(const StatusLine& line) {
  const auto& captions = panelCaptions();
  for (std::size_t i = 0; i < captions.size(); ++i) {
    if (captions[i].bar == line.bar && captions[i].panel == line.panel) return i;
  }
  return 0;
}

// Takes a panel text apart: caption, value, unit, "*" and label, as the
// panel texts are composed.
StatisticCells splitPanelText(std::string_view text, std::size_t index) {
  const std::string_view caption = panelCaptions()[index].text;
  if (text.starts_with(caption)) text.remove_prefix(caption.size());
  StatisticCells cells;
  if (text == kNoData) return cells;
  const std::string_view unit = kPanelUnits[index];
  const std::size_t unitAt = unit.empty() ? std::string_view::npos : text.find(unit);
  if (unitAt == std::string_view::npos) {
    cells.value = text;
    return cells;
  }
  cells.value = text.substr(0, unitAt);
  text.remove_prefix(unitAt + unit.size());
  if (text.starts_with(kMark)) {
    cells.mark = kMark;
    text.remove_prefix(kMark.size());
  }
  cells.label = labelWithoutBrackets(text);
  return cells;
}

std::optional<double> shownNumber(const StatisticCells& cells) {
  if (cells.value.empty()) return std::nullopt;
  return numericValue(cells.value);
}

DayFigures figuresOf(const StatisticRow& statistics, const DaySeries& series) {
  DayFigures figures;
  figures.highestTemperature = shownNumber(statistics[kHighestTemperatureStat]);
  figures.lowestTemperature = shownNumber(statistics[kLowestTemperatureStat]);
  // Each hour's amount in its own phase, by the rule the day chart colours
  // its bars with.
  for (const HourlyRecord& hour : series.hours) {
    const std::string amountText = cleanSlotText(hour.precipitation);
    if (amountText.empty()) continue;
    figures.hasPrecipitation = true;
    const double amount = numericValue(amountText);
    if (!isGreater(amount, 0)) continue;
    const auto phase = precipitationPhase(cleanSlotText(hour.temperature));
    figures.precipitation[static_cast<std::size_t>(phase)] += amount;
  }
  if (!statistics[kLowestVisibilityStat].value.empty())
    figures.visibilityClass = series.maxVisibilityClass;
  return figures;
}

// The window's display path for one file at a time; one per thread.
class DayReader {
 public:
  DayReader() : view_(QueryRequest{}), pipeline_(view_, nullptr, nullptr) {}

  std::optional<SummaryRow> read(std::string_view bytes, const std::string& pathText,
                                 std::string& message, FileProblem problem = FileProblem::None) {
    const std::string name = fileNameOfPath(pathText);
    if (!pipeline_.openDayText(bytes, name, false, problem)) {
      message = view_.lastMessage() ? view_.lastMessage()->text : std::string();
      return std::nullopt;
    }
    const QueryState& state = pipeline_.state();
    SummaryRow row;
    row.file = pathText;
    row.mode = state.displayedMode;
    if (const auto parts = readObservationName(name)) {
      row.station = parts->station;
      row.date = parts->date;
      row.fetchTime = parts->fetchTime;
    } else {
      row.station = state.document.getText("wmo");
      row.date = readDateNumber(state.document.getText("date")).value_or(0);
    }
    const std::string& title = view_.title();
    row.stationName = title.substr(title.rfind('\n') + 1);
    for (const StatusLine& line : view_.statusLines()) {
      const std::size_t index = barOrderIndex(line);
      row.statistics[index] = splitPanelText(line.text, index);
    }
    row.figures = figuresOf(row.statistics, state.series);
    return row;
  }

 private:
  HeadlessView view_;
  QueryPipeline pipeline_;
};

std::vector<std::string> csvHeader() {
  std::vector<std::string> header = {"文件", "模式", "站号", "日期"};
  for (std::size_t i = 0; i < kStatusLineCount; ++i) {
    std::string name = panelCaptions()[i].text;
    if (const auto colon = name.rfind("："); colon != std::string::npos) name.resize(colon);
    const std::string_view unit = kPanelUnits[i];
    header.push_back(unit.empty() ? name : name + " (" + std::string(unit) + ")");
    header.push_back(name + " 等级");
    header.push_back(name + " 缺测");
  }
  return header;
}

// A line as csvLine() makes it of its cells, without a list of them: the
// line is made once for each of many rows.
class CsvLineMaker {
 public:
  void add(std::string_view cell) {
    if (!first_) line_ += ',';
    first_ = false;
    line_ += csvField(cell);
  }

  std::string end() {
    line_ += "\r\n";
    return std::move(line_);
  }

 private:
  std::string line_;
  bool first_ = true;
};

std::string csvRowLine(const SummaryRow& row) {
  CsvLineMaker line;
  // The CSV says it is UTF-8; a name that is not keeps its valid part.
  line.add(sanitizeUtf8(row.file));
  line.add(std::to_string(static_cast<int>(row.mode)));
  line.add(row.station);
  line.add(row.date > 0 ? dateText(row.date) : "");
  for (const StatisticCells& statistic : row.statistics) {
    line.add(statistic.value);
    line.add(statistic.label);
    line.add(statistic.mark);
  }
  return line.end();
}

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

DayReader& threadReader() {
  thread_local DayReader reader;
  return reader;
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
      threadReader().read(day.bytes, reading.failure.file, reading.failure.message, day.problem);
  return reading;
}

// Runs numbered jobs on several threads and hands their results on in
// number order on the calling thread, with at most `ahead` results waiting:
// the calling thread runs jobs too while the next result is not there.
template <typename Result>
class JobsInOrder {
 public:
  JobsInOrder(std::size_t jobs, std::size_t ahead)
      : jobs_(jobs), waiting_(std::clamp<std::size_t>(jobs, 1, ahead)) {}

  // `work(job)` gives a job's result, `hand(result)` takes it on.
  template <typename Work, typename Hand>
  void run(unsigned threads, const Work& work, const Hand& hand) {
    runWithHelpers(
        threads - 1,
        [&](bool onCaller) {
          if (onCaller) {
            lead(work, hand);
          } else {
            help(work);
          }
        },
        [this] { stop(); });
  }

 private:
  template <typename Work>
  void help(const Work& work) {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stopped_ || taken_ == jobs_ || hasRoom(); });
      if (stopped_ || taken_ == jobs_) return;
      runJob(lock, work);
    }
  }

  template <typename Work, typename Hand>
  void lead(const Work& work, const Hand& hand) {
    std::unique_lock lock(mutex_);
    while (handed_ < jobs_ && !stopped_) {
      std::optional<Result>& next = slot(handed_);
      if (next) {
        Result result = std::move(*next);
        next.reset();
        ++handed_;
        changed_.notify_all();
        lock.unlock();
        hand(std::move(result));
        lock.lock();
      } else if (taken_ < jobs_ && hasRoom()) {
        runJob(lock, work);
      } else {
        changed_.wait(lock);
      }
    }
  }

  // Takes the next job and runs it with the lock let go.
  template <typename Work>
  void runJob(std::unique_lock<std::mutex>& lock, const Work& work) {
    const std::size_t job = taken_++;
    lock.unlock();
    Result result = work(job);
    lock.lock();
    slot(job) = std::move(result);
    changed_.notify_all();
  }

  bool hasRoom() const { return taken_ < handed_ + waiting_.size(); }
  std::optional<Result>& slot(std::size_t job) { return waiting_[job % waiting_.size()]; }

  void stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

  const std::size_t jobs_;
  std::vector<std::optional<Result>> waiting_;  // by job number, round the ring
  std::size_t taken_ = 0;
  std::size_t handed_ = 0;
  bool stopped_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
};

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

std::optional<SummaryRow> summariseDay(std::string_view bytes, const std::filesystem::path& path,
                                       std::string& message) {
  return threadReader().read(bytes, path.string(), message);
}

std::string summaryCsvHead() {
  return std::string(kUtf8ByteOrderMark) + csvLine(csvHeader());
}

std::string summaryCsvLine(const SummaryRow& row) {
  return csvRowLine(row);
}

std::string summaryCsv(const std::vector<SummaryRow>& rows) {
  std::string csv = summaryCsvHead();
  for (const SummaryRow& row : rows) csv += summaryCsvLine(row);
  return csv;
}

bool SummaryFilter::takes(std::string_view stationText, int date) const {
  if (!station.empty() && stationText != station) return false;
  if (from != 0 && date < from) return false;
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
