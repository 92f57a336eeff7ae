#include "archive/station_comparison.h"

#include <algorithm>

#include "archive/history_archive.h"
#include "core/calendar_date.h"
#include "core/csv_text.h"
#include "core/numeric_text.h"
#include "store/observation_files.h"

namespace skyrill {
namespace {

// "YYYY/MM/DD HH:MM:SS" as the date YYYYMMDD and the hour; nothing for a
// slot without a record.
std::optional<std::pair<int, int>> slotDateAndHour(const std::string& timeText) {
  if (timeText.size() < 13 || timeText[4] != '/' || timeText[7] != '/' || timeText[10] != ' ')
    return std::nullopt;
  const auto number = [&timeText](std::size_t at, std::size_t length) {
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i) {
      if (timeText[i] < '0' || timeText[i] > '9') return -1;
      value = value * 10 + (timeText[i] - '0');
    }
    return value;
  };
  const int year = number(0, 4), month = number(5, 2), day = number(8, 2), hour = number(11, 2);
  if (year < 0 || month < 0 || day < 0 || hour < 0 || hour > 23) return std::nullopt;
  return std::make_pair(year * 10000 + month * 100 + day, hour);
}

// "50953 最高气温 (℃)": a column of a station's element.
std::string columnName(const std::string& station, const std::string& element,
                       std::string_view unit) {
  return station + " " + element + " (" + std::string(unit) + ")";
}

// A current day's answer may lack the station's city: its number alone then.
bool namesCity(const std::string& stationName) {
  return !stationName.empty() && stationName[0] != ' ';
}

DayFileBytes loadWith(const PeriodReadOptions& options, const std::filesystem::path& path) {
  if (!options.readFile) return loadDayFile(path);
  DayFileBytes day{options.readFile(path), FileProblem::None};
  // What stood in the way of no bytes, as the summary tells it.
  if (day.bytes.empty()) day.problem = loadDayFile(path).problem;
  return day;
}

}  // namespace

int PeriodComparison::gapCount() const {
  int gaps = 0;
  for (const PeriodDays& station : stations) gaps += station.gapCount();
  return gaps;
}

ComparisonCollector::ComparisonCollector(const std::vector<std::string>& stations) {
  for (const std::string& station : stations) stations_.push_back({station, {}, {}, {}});
}

void ComparisonCollector::take(SummaryRow&& row) {
  if (row.date == 0) return;  // a day whose date its file does not tell
  for (PeriodDays& station : stations_) {
    if (station.station != row.station) continue;
    // A station's days come by date, one row a day.
    if (!station.days.empty() && station.days.back().date >= row.date) return;
    station.days.push_back(std::move(row));
    return;
  }
}

std::optional<PeriodComparison> ComparisonCollector::finish(int from, int to) && {
  Period period{from, to};
  bool anyDay = false;
  for (PeriodDays& station : stations_) {
    // The walk may have read days beyond the bounds: they are dropped.
    std::erase_if(station.days, [from, to](const SummaryRow& day) {
      return (from != 0 && day.date < from) || (to != 0 && day.date > to);
    });
    if (station.days.empty()) continue;
    anyDay = true;
    if (from == 0)
      period.first = period.first == 0 ? station.days.front().date
                                       : std::min(period.first, station.days.front().date);
    if (to == 0) period.last = std::max(period.last, station.days.back().date);
  }
  if (!anyDay) return std::nullopt;
  return std::move(*this).over(period);
}

PeriodComparison ComparisonCollector::over(Period period) && {
  for (PeriodDays& station : stations_) station.period = period;
  return PeriodComparison{period, std::move(stations_)};
}

PeriodComparison readPeriodComparison(const HistoryArchive& archive,
                                      const std::vector<std::string>& stations, Period period,
                                      const PeriodReadOptions& options) {
  std::vector<ArchivedDay> files;
  for (const std::string& station : stations) {
    auto days = archive.daysInPeriod(station, period.first, period.last);
    std::move(days.begin(), days.end(), std::back_inserter(files));
  }
  SummaryFilter filter;
  filter.stations = stations;
  filter.from = period.first;
  filter.to = period.last;
  SummaryTable table = readArchivedDays(files, filter, options);
  ComparisonCollector collector(stations);
  for (SummaryRow& row : table.rows) collector.take(std::move(row));
  PeriodComparison comparison = std::move(collector).over(period);
  // Each file that could not be read is a gap of its station.
  for (SkippedFile& file : table.skipped) {
    const auto name = readObservationName(fileNameOfPath(file.file));
    for (PeriodDays& station : comparison.stations) {
      if (name && name->station == station.station) station.skipped.push_back(std::move(file));
    }
  }
  return comparison;
}

std::string comparisonCsv(const PeriodComparison& comparison,
                          const std::vector<DailyElement>& elements) {
  std::vector<std::string> header = {"日期"};
  for (const PeriodDays& station : comparison.stations) {
    for (const DailyElement element : elements)
      header.push_back(
          columnName(station.station, dailyElementName(element), dailyElementUnit(element)));
  }
  std::string csv = std::string(kUtf8ByteOrderMark) + csvLine(header);

  // Each station's days are by date: one pass along each.
  std::vector<std::size_t> next(comparison.stations.size(), 0);
  std::vector<std::string> cells(header.size());
  const Period& period = comparison.period;
  for (int index = 0; index < period.length(); ++index) {
    const int date = period.dateAt(index);
    cells[0] = dateText(date);
    std::size_t cell = 1;
    for (std::size_t s = 0; s < comparison.stations.size(); ++s) {
      const std::vector<SummaryRow>& days = comparison.stations[s].days;
      std::size_t& at = next[s];
      while (at < days.size() && days[at].date < date) ++at;
      const bool held = at < days.size() && days[at].date == date;
      for (const DailyElement element : elements)
        cells[cell++] = held ? dailyCell(days[at], element) : "";
    }
    csv += csvLine(cells);
  }
  return csv;
}

std::string ComparedDay::caption() const {
  return day && namesCity(day->row.stationName) ? day->row.stationName : station;
}

std::vector<ComparedDay> readDayComparison(const HistoryArchive& archive,
                                           const std::vector<std::string>& stations, int date,
                                           const PeriodReadOptions& options) {
  std::vector<ComparedDay> days;
  for (const std::string& station : stations) {
    ComparedDay compared{station, std::nullopt, {}};
    const auto files = archive.daysInPeriod(station, date, date);
    // Of several files of the day, the latest fetch that can be read.
    for (auto file = files.rbegin(); file != files.rend() && !compared.day; ++file) {
      if (options.stopped && options.stopped()) break;
      compared.day = readDayWithHours(loadWith(options, file->file), file->file.string(),
                                      compared.message, options.variants);
    }
    days.push_back(std::move(compared));
  }
  return days;
}

std::array<std::optional<double>, 24> valuesByHour(const DaySeries& series, int date,
                                                   HourElement element) {
  std::array<std::optional<double>, 24> values;
  for (const HourlyRecord& hour : series.hours) {
    const auto when = slotDateAndHour(hour.timeText);
    if (!when || when->first != date) continue;
    values[static_cast<std::size_t>(when->second)] = hourValue(hour, element);
  }
  return values;
}

std::string dayComparisonCsv(const std::vector<ComparedDay>& days, int date, HourElement element,
                             const std::string& name) {
  std::vector<std::string> header = {"时间"};
  std::vector<std::array<std::optional<double>, 24>> values;
  for (const ComparedDay& day : days) {
    header.push_back(columnName(day.station, name, hourElementUnit(element)));
    values.push_back(day.day ? valuesByHour(day.day->series, date, element)
                             : std::array<std::optional<double>, 24>{});
  }
  std::string csv = std::string(kUtf8ByteOrderMark) + csvLine(header);
  std::vector<std::string> cells(header.size());
  for (std::size_t hour = 0; hour < 24; ++hour) {
    cells[0] = dateText(date) + (hour < 10 ? " 0" : " ") + std::to_string(hour) + ":00";
    for (std::size_t s = 0; s < values.size(); ++s) {
      const auto& value = values[s][hour];
      cells[s + 1] = value ? roundedText(*value, hourElementDecimals(element)) : "";
    }
    csv += csvLine(cells);
  }
  return csv;
}

StationChoices::Added StationChoices::add(const std::string& station) {
  if (std::find(stations_.begin(), stations_.end(), station) != stations_.end())
    return Added::AlreadyThere;
  if (stations_.size() >= kMostComparedStations) return Added::Full;
  stations_.push_back(station);
  return Added::Yes;
}

void StationChoices::remove(std::size_t index) {
  if (index < stations_.size()) stations_.erase(stations_.begin() + static_cast<long>(index));
}

void StationChoices::move(std::size_t index, int step) {
  const long to = static_cast<long>(index) + step;
  if (index >= stations_.size() || to < 0 || to >= static_cast<long>(stations_.size())) return;
  std::swap(stations_[index], stations_[static_cast<std::size_t>(to)]);
}

std::vector<ArchivedStation> archivedStations(const HistoryArchive& archive) {
  std::vector<ArchivedStation> stations;
  for (const ArchivedDay& day : archive.latestDayOfEachStation()) {
    ArchivedStation station{day.name.station, day.name.station};
    std::string message;
    const auto row = summariseDay(readDayFile(day.file), day.file, message);
    if (row && namesCity(row->stationName)) station.caption = row->stationName;
    stations.push_back(std::move(station));
  }
  return stations;
}

}  // namespace skyrill
