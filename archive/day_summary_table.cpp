#include "archive/day_summary_table.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>
#include <tuple>

#include "archive/history_archive.h"
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

// Below this many files, starting threads costs more than they bring.
constexpr std::size_t kThreadedFrom = 64;

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

  std::optional<SummaryRow> read(std::string_view bytes, const std::filesystem::path& path,
                                 std::string& message, FileProblem problem = FileProblem::None) {
    const std::string pathText = path.string();
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

std::vector<std::string> csvRow(const SummaryRow& row) {
  // The CSV says it is UTF-8; a name that is not keeps its valid part.
  std::vector<std::string> cells = {sanitizeUtf8(row.file),
                                    std::to_string(static_cast<int>(row.mode)), row.station,
                                    row.date > 0 ? dateText(row.date) : ""};
  for (const StatisticCells& statistic : row.statistics) {
    cells.push_back(statistic.value);
    cells.push_back(statistic.label);
    cells.push_back(statistic.mark);
  }
  return cells;
}

// What one file gave: a row, or the message of its failure.
struct FileOutcome {
  std::optional<SummaryRow> row;
  std::string message;
  bool read = false;  // false when the filter left it out by its name
};

unsigned threadCount(std::size_t files, unsigned asked) {
  if (asked == 0) {
    asked = files < kThreadedFrom ? 1 : std::max(1u, std::thread::hardware_concurrency());
  }
  return static_cast<unsigned>(std::clamp<std::size_t>(asked, 1, std::max<std::size_t>(files, 1)));
}

// A file's bytes and, when it gave none, why: a file gone since it was found
// or one that cannot be read is no empty file.
DayFileBytes readDay(const std::filesystem::path& path, const SummaryOptions& options) {
  std::string bytes = options.readFile(path);
  if (!bytes.empty()) return {std::move(bytes), FileProblem::None};
  return {{}, loadDayFile(path).problem};
}

std::vector<FileOutcome> readAll(const std::vector<std::filesystem::path>& files,
                                 const SummaryOptions& options) {
  std::vector<FileOutcome> outcomes(files.size());
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  const auto work = [&](bool reportsProgress) {
    DayReader reader;
    for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
      const std::filesystem::path& path = files[i];
      const auto parts = readObservationName(fileNameOfPath(path.string()));
      FileOutcome& outcome = outcomes[i];
      if (!parts || options.filter.takes(parts->station, parts->date)) {
        outcome.read = true;
        const DayFileBytes day = readDay(path, options);
        outcome.row = reader.read(day.bytes, path, outcome.message, day.problem);
      }
      const std::size_t finished = done.fetch_add(1) + 1;
      if (reportsProgress && options.progress) options.progress(finished, files.size());
    }
  };
  runWithHelpers(
      threadCount(files.size(), options.threads) - 1, [&](bool onCaller) { work(onCaller); },
      [&] { next = files.size(); });
  if (options.progress) options.progress(files.size(), files.size());
  return outcomes;
}

// The later fetch of two files of one station-day, by the archive's rule.
bool fetchedBefore(const SummaryRow& a, const SummaryRow& b) {
  const auto stamp = [](const SummaryRow& row) {
    return FetchStamp{row.mode == QueryMode::History, row.fetchTime, row.file};
  };
  return skyrill::fetchedBefore(stamp(a), stamp(b));
}

// Keeps the latest fetch of each station-day; a day without a date is
// nobody's duplicate. Rows are large and every new page of them costs: the
// sort orders pointers, and the rows move once, into the table.
std::vector<SummaryRow> latestFetches(std::vector<SummaryRow*> rows) {
  const auto day = [](const SummaryRow* row) { return std::tie(row->station, row->date); };
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const SummaryRow* a, const SummaryRow* b) { return day(a) < day(b); });
  std::vector<SummaryRow> kept;
  kept.reserve(rows.size());
  for (std::size_t first = 0, last; first < rows.size(); first = last) {
    SummaryRow* latest = rows[first];
    for (last = first + 1; last < rows.size() && day(rows[last]) == day(latest); ++last) {
      if (latest->date == 0) break;
      if (!fetchedBefore(*rows[last], *latest)) latest = rows[last];
    }
    kept.push_back(std::move(*latest));
  }
  return kept;
}

}  // namespace

std::optional<SummaryRow> summariseDay(std::string_view bytes, const std::filesystem::path& path,
                                       std::string& message) {
  thread_local DayReader reader;
  return reader.read(bytes, path, message);
}

std::string summaryCsv(const std::vector<SummaryRow>& rows) {
  std::string csv(kUtf8ByteOrderMark);
  csv += csvLine(csvHeader());
  for (const SummaryRow& row : rows) csv += csvLine(csvRow(row));
  return csv;
}

bool SummaryFilter::takes(std::string_view stationText, int date) const {
  if (!station.empty() && stationText != station) return false;
  if (from != 0 && date < from) return false;
  return to == 0 || date <= to;
}

SummaryTable buildSummaryTable(const std::vector<std::filesystem::path>& files,
                               const SummaryOptions& options) {
  SummaryTable table;
  std::vector<FileOutcome> outcomes = readAll(files, options);
  std::vector<SummaryRow*> rows;
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    FileOutcome& outcome = outcomes[i];
    if (outcome.row) {
      // Again, for the files whose name could not tell the filter.
      if (options.filter.takes(outcome.row->station, outcome.row->date))
        rows.push_back(&*outcome.row);
    } else if (outcome.read) {
      table.skipped.push_back({files[i].string(), std::move(outcome.message)});
    }
  }
  table.rows = latestFetches(rows);
  return table;
}

}  // namespace skyrill
