#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numeric>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// A small model of the climate tables, written apart from the program's
// own code to check it: it reads the daily values from the summary's CSV
// (the values its panels show), keeps them as whole hundredths and computes
// with exact fractions, so that no rounding of its own can agree with the
// program's by accident.
namespace skyrill::testing::climate_model {

// A fraction of whole hundredths.
struct Fraction {
  std::int64_t over = 0;  // numerator, in hundredths
  std::int64_t under = 1;

  Fraction operator+(const Fraction& other) const {
    const std::int64_t common = std::gcd(under, other.under);
    return reduced({over * (other.under / common) + other.over * (under / common),
                    under / common * other.under});
  }
  Fraction dividedBy(std::int64_t count) const { return reduced({over, under * count}); }

  static Fraction reduced(Fraction value) {
    const std::int64_t common = std::gcd(value.over, value.under);
    return common > 1 ? Fraction{value.over / common, value.under / common} : value;
  }
};

// "-0.5" as -50, "7.13" as 713; nothing for an empty cell.
inline std::optional<std::int64_t> hundredths(const std::string& cell) {
  if (cell.empty()) return std::nullopt;
  const bool negative = cell[0] == '-';
  std::int64_t whole = 0;
  std::int64_t fraction = 0;
  int fractionDigits = 0;
  bool afterPoint = false;
  for (const char c : cell.substr(negative ? 1 : 0)) {
    if (c == '.') {
      afterPoint = true;
    } else if (afterPoint) {
      fraction = fraction * 10 + (c - '0');
      ++fractionDigits;
    } else {
      whole = whole * 10 + (c - '0');
    }
  }
  while (fractionDigits < 2) {
    fraction *= 10;
    ++fractionDigits;
  }
  const std::int64_t value = whole * 100 + fraction;
  return negative ? -value : value;
}

// One decimal, halves away from zero, no minus sign on zero.
inline std::string oneDecimal(const Fraction& value) {
  // tenths = round(over / (under * 10)), on magnitudes
  const std::int64_t magnitude = std::llabs(value.over);
  const std::int64_t under = std::llabs(value.under);
  const std::int64_t tenths = (2 * magnitude + 10 * under) / (20 * under);
  const bool negative = (value.over < 0) != (value.under < 0) && tenths != 0;
  return std::string(negative ? "-" : "") + std::to_string(tenths / 10) + "." +
         std::to_string(tenths % 10);
}

inline std::string oneDecimal(std::int64_t hundredthsValue) {
  return oneDecimal(Fraction{hundredthsValue, 1});
}

inline bool isLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

inline int monthLength(int year, int month) {
  static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : lengths[month - 1];
}

inline std::string dashed(int date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
  return text;
}

// Highest, lowest, mean temperature and precipitation, as in the one-day table.
constexpr int kElements = 4;
struct Day {
  int date = 0;
  std::string cells[kElements];
  std::optional<std::int64_t> values[kElements];
};

// The days of the summary's CSV (its header names the columns), by date.
inline std::map<int, Day> daysOfSummary(const std::string& csv) {
  std::istringstream in(csv.substr(3));  // the byte-order mark
  std::string line;
  std::getline(in, line);
  std::vector<std::string> header;
  std::istringstream headerCells(line.substr(0, line.size() - 1));
  for (std::string cell; std::getline(headerCells, cell, ',');) header.push_back(cell);
  const char* wanted[kElements] = {"最高气温 (℃)", "最低气温 (℃)", "平均气温 (℃)", "降水量 (mm)"};
  std::size_t columns[kElements] = {};
  for (int e = 0; e < kElements; ++e) {
    for (std::size_t i = 0; i < header.size(); ++i) {
      if (header[i] == wanted[e]) columns[e] = i;
    }
  }
  std::map<int, Day> days;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::istringstream lineCells(line.substr(0, line.size() - 1) + ",");
    for (std::string cell; std::getline(lineCells, cell, ',');) cells.push_back(cell);
    Day day;
    const std::string& date = cells[3];
    day.date = std::stoi(date.substr(0, 4)) * 10000 + std::stoi(date.substr(5, 2)) * 100 +
               std::stoi(date.substr(8, 2));
    for (int e = 0; e < kElements; ++e) {
      day.cells[e] = cells[columns[e]];
      day.values[e] = hundredths(day.cells[e]);
    }
    days[day.date] = day;
  }
  return days;
}

inline std::string csvRow(const std::vector<std::string>& cells) {
  std::string row;
  for (std::size_t i = 0; i < cells.size(); ++i) row += (i ? "," : "") + cells[i];
  return row + "\r\n";
}

struct Normal {
  Fraction sum;
  int years = 0;
  void add(const Fraction& value) {
    sum = years == 0 ? value : sum + value;
    ++years;
  }
  std::optional<Fraction> mean() const {
    if (years == 0) return std::nullopt;
    return sum.dividedBy(years);
  }
};

struct Extreme {
  std::optional<std::int64_t> value;
  int date = 0;
};

inline void keepHighest(Extreme& extreme, std::int64_t value, int date) {
  if (!extreme.value || value > *extreme.value || (value == *extreme.value && date < extreme.date))
    extreme = {value, date};
}

inline void keepLowest(Extreme& extreme, std::int64_t value, int date) {
  if (!extreme.value || value < *extreme.value || (value == *extreme.value && date < extreme.date))
    extreme = {value, date};
}

inline std::string cellOf(const std::optional<Fraction>& value) {
  return value ? oneDecimal(*value) : "";
}

inline std::vector<std::string> extremeCells(const Extreme& extreme) {
  if (!extreme.value) return {"", ""};
  return {oneDecimal(*extreme.value), dashed(extreme.date)};
}

// The monthly climate table as CSV, by the rules in plain words.
inline std::string climateCsv(const std::map<int, Day>& days) {
  // Mean, highest, lowest temperature; precipitation; wet days.
  Normal normals[13][5];
  Extreme highest[13], lowest[13], wettest[13];
  std::map<int, bool> yearMonths;  // YYYYMM of every month with a saved day
  for (const auto& [date, day] : days) {
    yearMonths[date / 100] = true;
    const int month = date / 100 % 100;
    if (day.values[0]) keepHighest(highest[month], *day.values[0], date);
    if (day.values[1]) keepLowest(lowest[month], *day.values[1], date);
    if (day.values[3]) keepHighest(wettest[month], *day.values[3], date);
  }
  for (const auto& [yearMonth, unused] : yearMonths) {
    const int year = yearMonth / 100;
    const int month = yearMonth % 100;
    const int length = monthLength(year, month);
    // The table's column order: mean (element 2), highest (0), lowest (1).
    const int temperatureColumns[3] = {2, 0, 1};
    for (int column = 0; column < 3; ++column) {
      const int element = temperatureColumns[column];
      int missing = 0, run = 0, longestRun = 0, count = 0;
      std::int64_t sum = 0;
      for (int d = 1; d <= length; ++d) {
        const auto found = days.find(yearMonth * 100 + d);
        const bool has = found != days.end() && found->second.values[element].has_value();
        run = has ? 0 : run + 1;
        longestRun = std::max(longestRun, run);
        if (has) {
          sum += *found->second.values[element];
          ++count;
        } else {
          ++missing;
        }
      }
      if (missing <= 5 && longestRun <= 3) normals[month][column].add(Fraction{sum, count});
    }
    std::int64_t total = 0;
    int wet = 0;
    bool complete = true;
    for (int d = 1; d <= length; ++d) {
      const auto found = days.find(yearMonth * 100 + d);
      if (found == days.end() || !found->second.values[3]) {
        complete = false;
        break;
      }
      total += *found->second.values[3];
      wet += *found->second.values[3] >= 10 ? 1 : 0;
    }
    if (complete) {
      normals[month][3].add(Fraction{total, 1});
      normals[month][4].add(Fraction{wet * 100, 1});
    }
  }
  std::string csv =
      "\xEF\xBB\xBF月份,平均气温 (℃),平均气温 年数,平均最高气温 (℃),平均最高气温 年数,"
      "平均最低气温 (℃),平均最低气温 年数,极端最高气温 (℃),极端最高气温 日期,"
      "极端最低气温 (℃),极端最低气温 日期,降水量 (mm),降水量 年数,降水日数,"
      "日最大降水量 (mm),日最大降水量 日期\r\n";
  const auto row = [](const std::string& name, const std::optional<Fraction> means[5],
                      const int years[5], const Extreme& high, const Extreme& low,
                      const Extreme& wet) {
    std::vector<std::string> cells = {name};
    for (int column = 0; column < 3; ++column) {
      cells.push_back(cellOf(means[column]));
      cells.push_back(std::to_string(years[column]));
    }
    for (const auto& cell : extremeCells(high)) cells.push_back(cell);
    for (const auto& cell : extremeCells(low)) cells.push_back(cell);
    cells.push_back(cellOf(means[3]));
    cells.push_back(std::to_string(years[3]));
    cells.push_back(cellOf(means[4]));
    for (const auto& cell : extremeCells(wet)) cells.push_back(cell);
    return csvRow(cells);
  };
  std::optional<Fraction> yearMeans[5];
  int yearYears[5] = {99999, 99999, 99999, 99999, 99999};
  bool allMonths[5] = {true, true, true, true, true};
  Extreme yearHigh, yearLow, yearWet;
  for (int month = 1; month <= 12; ++month) {
    std::optional<Fraction> means[5];
    int years[5];
    for (int column = 0; column < 5; ++column) {
      means[column] = normals[month][column].mean();
      years[column] = normals[month][column].years;
      yearYears[column] = std::min(yearYears[column], years[column]);
      if (!means[column]) {
        allMonths[column] = false;
      } else {
        yearMeans[column] =
            yearMeans[column] ? *yearMeans[column] + *means[column] : *means[column];
      }
    }
    csv += row(std::to_string(month), means, years, highest[month], lowest[month], wettest[month]);
    if (highest[month].value) keepHighest(yearHigh, *highest[month].value, highest[month].date);
    if (lowest[month].value) keepLowest(yearLow, *lowest[month].value, lowest[month].date);
    if (wettest[month].value) keepHighest(yearWet, *wettest[month].value, wettest[month].date);
  }
  for (int column = 0; column < 5; ++column) {
    if (!allMonths[column]) {
      yearMeans[column].reset();
    } else if (column < 3) {
      yearMeans[column] = yearMeans[column]->dividedBy(12);
    }
  }
  return csv + row("全年", yearMeans, yearYears, yearHigh, yearLow, yearWet);
}

// The table of one calendar day (MMDD) as CSV.
inline std::string sameDayCsv(const std::map<int, Day>& days, int monthDay) {
  std::string csv = "\xEF\xBB\xBF年份,日期,最高气温 (℃),最低气温 (℃),平均气温 (℃),降水量 (mm)\r\n";
  Normal means[kElements];
  Extreme high[kElements], low[kElements];
  for (const auto& [date, day] : days) {
    if (date % 10000 != monthDay) continue;
    std::vector<std::string> cells = {std::to_string(date / 10000), dashed(date)};
    for (int e = 0; e < kElements; ++e) {
      cells.push_back(day.cells[e]);
      if (!day.values[e]) continue;
      means[e].add(Fraction{*day.values[e], 1});
      keepHighest(high[e], *day.values[e], date);
      keepLowest(low[e], *day.values[e], date);
    }
    csv += csvRow(cells);
  }
  std::vector<std::string> mean = {"平均", ""}, most = {"最高", ""}, least = {"最低", ""};
  for (int e = 0; e < kElements; ++e) {
    mean.push_back(cellOf(means[e].mean()));
    most.push_back(high[e].value ? oneDecimal(*high[e].value) : "");
    least.push_back(low[e].value ? oneDecimal(*low[e].value) : "");
  }
  return csv + csvRow(mean) + csvRow(most) + csvRow(least);
}

}  // namespace skyrill::testing::climate_model
