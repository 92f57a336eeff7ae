#include "archive/climate_table.h"

#include <algorithm>
#include <chrono>
#include <functional>

#include "core/calendar_date.h"
#include "core/csv_text.h"
#include "core/numeric_text.h"

namespace skyrill {
namespace {

// The panel each element is read from.
constexpr std::array<StatisticIndex, kClimateElementCount> kElementPanels = {
    kHighestTemperatureStat, kLowestTemperatureStat, kMeanTemperatureStat, kPrecipitationStat};

constexpr std::size_t index(ClimateElement element) {
  return static_cast<std::size_t>(element);
}

constexpr int kMostMissingDays = 5;
constexpr int kMostMissingInARow = 3;

int yearOf(int date) {
  return date / 10000;
}

int monthOf(int date) {
  return date / 100 % 100;
}

int daysInMonth(int yearNumber, int monthNumber) {
  const std::chrono::year_month_day_last end{
      std::chrono::year(yearNumber),
      std::chrono::month_day_last(std::chrono::month(static_cast<unsigned>(monthNumber)))};
  return static_cast<int>(static_cast<unsigned>(end.day()));
}

// A sum of values and their count, for a mean.
struct Mean {
  double sum = 0;
  int count = 0;

  void add(double value) {
    sum += value;
    ++count;
  }
  std::optional<double> value() const {
    return count > 0 ? std::optional<double>(sum / count) : std::nullopt;
  }
};

ClimateNormal normalOf(const Mean& years) {
  return {years.value(), years.count};
}

// Keeps the extreme of the values offered in date order: a later value
// replaces it only when it goes beyond it, so the earliest of equal ones stays.
void keepExtreme(ClimateExtreme& extreme, double value, int date,
                 bool (*beyond)(double value, double extreme)) {
  if (!extreme.value || beyond(value, *extreme.value)) extreme = {value, date};
}

// What one calendar month gathers over the years.
struct MonthGathering {
  std::array<Mean, kClimateElementCount> years;  // of the years' values
  Mean wetDays;                                  // the years of the precipitation's
  ClimateExtreme highestExtreme;
  ClimateExtreme lowestExtreme;
  ClimateExtreme wettestDay;
};

// One year's month of days (consecutive in `days`, by date) into the month's gathering.
void gatherMonth(const ClimateDay* first, const ClimateDay* end, MonthGathering& month) {
  const int length = daysInMonth(yearOf(first->date), monthOf(first->date));
  for (std::size_t element = 0; element < kClimateElementCount; ++element) {
    std::vector<bool> hasValue(static_cast<std::size_t>(length), false);
    Mean days;
    for (const ClimateDay* day = first; day != end; ++day) {
      if (!day->values[element]) continue;
      hasValue[static_cast<std::size_t>(day->date % 100 - 1)] = true;
      days.add(*day->values[element]);
    }
    if (element == index(ClimateElement::Precipitation)) {
      // A total, and a count of wet days, needs every day.
      if (days.count < length) continue;
      month.years[element].add(days.sum);
      month.wetDays.add(static_cast<double>(std::count_if(first, end, [](const ClimateDay& day) {
        return isAtLeast(*day.value(ClimateElement::Precipitation), kWetDayMm);
      })));
    } else if (monthCountsForMean(hasValue)) {
      month.years[element].add(*days.value());
    }
  }
  for (const ClimateDay* day = first; day != end; ++day) {
    if (const auto& value = day->value(ClimateElement::Highest))
      keepExtreme(month.highestExtreme, *value, day->date, isGreater);
    if (const auto& value = day->value(ClimateElement::Lowest))
      keepExtreme(month.lowestExtreme, *value, day->date, isLess);
    if (const auto& value = day->value(ClimateElement::Precipitation))
      keepExtreme(month.wettestDay, *value, day->date, isGreater);
  }
}

ClimateRow monthRow(const MonthGathering& month) {
  ClimateRow row;
  row.highest = normalOf(month.years[index(ClimateElement::Highest)]);
  row.lowest = normalOf(month.years[index(ClimateElement::Lowest)]);
  row.mean = normalOf(month.years[index(ClimateElement::Mean)]);
  row.precipitation = normalOf(month.years[index(ClimateElement::Precipitation)]);
  row.wetDays = normalOf(month.wetDays);
  row.highestExtreme = month.highestExtreme;
  row.lowestExtreme = month.lowestExtreme;
  row.wettestDay = month.wettestDay;
  return row;
}

// The year row's normal of the months' normals: their mean or their sum,
// only when all twelve have one; its years the fewest of theirs.
ClimateNormal ofTheMonths(const std::array<ClimateRow, 12>& months,
                          ClimateNormal ClimateRow::*normal, bool summed) {
  ClimateNormal year{0.0, (months[0].*normal).years};
  for (const ClimateRow& month : months) {
    const ClimateNormal& of = month.*normal;
    year.years = std::min(year.years, of.years);
    if (!of.value || !year.value) {
      year.value.reset();
    } else {
      *year.value += *of.value;
    }
  }
  if (year.value && !summed) *year.value /= static_cast<double>(months.size());
  return year;
}

// The most extreme of the months' extremes, the earliest of equal ones.
ClimateExtreme ofTheMonths(const std::array<ClimateRow, 12>& months,
                           ClimateExtreme ClimateRow::*extreme,
                           bool (*beyond)(double value, double extreme)) {
  ClimateExtreme year;
  for (const ClimateRow& month : months) {
    const ClimateExtreme& of = month.*extreme;
    if (!of.value) continue;
    const bool equal =
        year.value && !beyond(*of.value, *year.value) && !beyond(*year.value, *of.value);
    if (!year.value || beyond(*of.value, *year.value) || (equal && of.date < year.date)) year = of;
  }
  return year;
}

ClimateRow yearRow(const std::array<ClimateRow, 12>& months) {
  ClimateRow year;
  year.mean = ofTheMonths(months, &ClimateRow::mean, false);
  year.highest = ofTheMonths(months, &ClimateRow::highest, false);
  year.lowest = ofTheMonths(months, &ClimateRow::lowest, false);
  year.precipitation = ofTheMonths(months, &ClimateRow::precipitation, true);
  year.wetDays = ofTheMonths(months, &ClimateRow::wetDays, true);
  year.highestExtreme = ofTheMonths(months, &ClimateRow::highestExtreme, isGreater);
  year.lowestExtreme = ofTheMonths(months, &ClimateRow::lowestExtreme, isLess);
  year.wettestDay = ofTheMonths(months, &ClimateRow::wettestDay, isGreater);
  return year;
}

std::string numberCell(const std::optional<double>& value) {
  return value ? roundedText(*value, 1) : std::string();
}

void addNormal(std::vector<std::string>& cells, const ClimateNormal& normal) {
  cells.push_back(numberCell(normal.value));
  cells.push_back(std::to_string(normal.years));
}

void addExtreme(std::vector<std::string>& cells, const ClimateExtreme& extreme) {
  cells.push_back(numberCell(extreme.value));
  cells.push_back(extreme.value ? dateText(extreme.date) : std::string());
}

std::vector<std::string> climateCells(const std::string& month, const ClimateRow& row) {
  std::vector<std::string> cells = {month};
  addNormal(cells, row.mean);
  addNormal(cells, row.highest);
  addNormal(cells, row.lowest);
  addExtreme(cells, row.highestExtreme);
  addExtreme(cells, row.lowestExtreme);
  addNormal(cells, row.precipitation);
  cells.push_back(numberCell(row.wetDays.value));
  addExtreme(cells, row.wettestDay);
  return cells;
}

// The cells as CSV after the byte-order mark.
std::string csvOf(const std::vector<std::string>& header,
                  const std::vector<std::vector<std::string>>& rows) {
  std::string csv(kUtf8ByteOrderMark);
  csv += csvLine(header);
  for (const auto& row : rows) csv += csvLine(row);
  return csv;
}

std::string elementHeading(ClimateElement element) {
  const StatisticIndex panel = kElementPanels[index(element)];
  return statisticName(panel) + " (" + std::string(statisticUnit(panel)) + ")";
}

}  // namespace

ClimateDay climateDayOf(const SummaryRow& row) {
  ClimateDay day;
  day.date = row.date;
  for (std::size_t element = 0; element < kClimateElementCount; ++element) {
    const StatisticCells& cells = row.statistics[kElementPanels[element]];
    day.cells[element] = cells.value;
    day.values[element] = shownValue(cells);
  }
  return day;
}

StationDays::StationDays(std::vector<ClimateDay> days) : days_(std::move(days)) {
  std::erase_if(days_, [](const ClimateDay& day) { return day.date == 0; });
  std::stable_sort(days_.begin(), days_.end(),
                   [](const ClimateDay& a, const ClimateDay& b) { return a.date < b.date; });
  days_.erase(
      std::unique(days_.begin(), days_.end(),
                  [](const ClimateDay& a, const ClimateDay& b) { return a.date == b.date; }),
      days_.end());
}

const ClimateDay* StationDays::on(int date) const {
  const auto [first, end] = between(date, date);
  return first == end ? nullptr : first;
}

std::pair<const ClimateDay*, const ClimateDay*> StationDays::between(int first, int last) const {
  const auto byDate = [](const ClimateDay& day, int date) { return day.date < date; };
  const auto from = std::lower_bound(days_.begin(), days_.end(), first, byDate);
  const auto to = std::lower_bound(from, days_.end(), last + 1, byDate);
  return {days_.data() + (from - days_.begin()), days_.data() + (to - days_.begin())};
}

std::vector<const ClimateDay*> StationDays::onCalendarDay(int monthDay) const {
  std::vector<const ClimateDay*> found;
  for (const ClimateDay& day : days_) {
    if (day.date % 10000 == monthDay) found.push_back(&day);
  }
  return found;
}

bool monthCountsForMean(const std::vector<bool>& dayHasValue) {
  int missing = 0;
  int inARow = 0;
  for (const bool has : dayHasValue) {
    inARow = has ? 0 : inARow + 1;
    missing += has ? 0 : 1;
    if (inARow > kMostMissingInARow) return false;
  }
  return missing <= kMostMissingDays;
}

ClimateTable climateTable(const StationDays& days) {
  std::array<MonthGathering, 12> months;
  const std::vector<ClimateDay>& all = days.all();
  for (std::size_t start = 0; start < all.size();) {
    std::size_t end = start;
    while (end < all.size() && all[end].date / 100 == all[start].date / 100) ++end;
    gatherMonth(&all[start], all.data() + end,
                months[static_cast<std::size_t>(monthOf(all[start].date) - 1)]);
    start = end;
  }
  ClimateTable table;
  for (std::size_t month = 0; month < months.size(); ++month)
    table.months[month] = monthRow(months[month]);
  table.year = yearRow(table.months);
  return table;
}

std::vector<std::string> climateHeader() {
  return {"月份",
          "平均气温 (℃)",
          "平均气温 年数",
          "平均最高气温 (℃)",
          "平均最高气温 年数",
          "平均最低气温 (℃)",
          "平均最低气温 年数",
          "极端最高气温 (℃)",
          "极端最高气温 日期",
          "极端最低气温 (℃)",
          "极端最低气温 日期",
          "降水量 (mm)",
          "降水量 年数",
          "降水日数",
          "日最大降水量 (mm)",
          "日最大降水量 日期"};
}

std::vector<std::vector<std::string>> climateRows(const ClimateTable& table) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t month = 0; month < table.months.size(); ++month)
    rows.push_back(climateCells(std::to_string(month + 1), table.months[month]));
  rows.push_back(climateCells("全年", table.year));
  return rows;
}

std::string climateCsv(const ClimateTable& table) {
  return csvOf(climateHeader(), climateRows(table));
}

SameDayTable sameDayTable(const StationDays& days, int monthDay) {
  SameDayTable table;
  table.monthDay = monthDay;
  for (const ClimateDay* day : days.onCalendarDay(monthDay)) table.days.push_back(*day);
  for (std::size_t element = 0; element < kClimateElementCount; ++element) {
    Mean mean;
    for (const ClimateDay& day : table.days) {
      const auto& value = day.values[element];
      if (!value) continue;
      mean.add(*value);
      if (!table.highest[element] || isGreater(*value, *table.highest[element]))
        table.highest[element] = value;
      if (!table.lowest[element] || isLess(*value, *table.lowest[element]))
        table.lowest[element] = value;
    }
    table.mean[element] = mean.value();
  }
  return table;
}

std::vector<std::string> sameDayHeader() {
  std::vector<std::string> header = {"年份", "日期"};
  for (std::size_t element = 0; element < kClimateElementCount; ++element)
    header.push_back(elementHeading(static_cast<ClimateElement>(element)));
  return header;
}

std::vector<std::vector<std::string>> sameDayRows(const SameDayTable& table) {
  std::vector<std::vector<std::string>> rows;
  for (const ClimateDay& day : table.days) {
    std::vector<std::string> cells = {std::to_string(yearOf(day.date)), dateText(day.date)};
    cells.insert(cells.end(), day.cells.begin(), day.cells.end());
    rows.push_back(std::move(cells));
  }
  const auto overYears = [&rows](const char* word, const auto& values) {
    std::vector<std::string> cells = {word, ""};
    for (const auto& value : values) cells.push_back(numberCell(value));
    rows.push_back(std::move(cells));
  };
  overYears("平均", table.mean);
  overYears("最高", table.highest);
  overYears("最低", table.lowest);
  return rows;
}

std::string sameDayCsv(const SameDayTable& table) {
  return csvOf(sameDayHeader(), sameDayRows(table));
}

}  // namespace skyrill
