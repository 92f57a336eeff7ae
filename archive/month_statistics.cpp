#include "archive/month_statistics.h"

#include <algorithm>
#include <chrono>

#include "core/calendar_date.h"
#include "core/csv_text.h"
#include "core/numeric_text.h"

namespace skyrill {
namespace {

using std::chrono::sys_days;

int monthOf(int date) {
  return date / 100;
}

// A sum and its count, for a mean.
struct Mean {
  double sum = 0;
  int count = 0;

  void add(const std::optional<double>& value) {
    if (!value) return;
    sum += *value;
    ++count;
  }
  std::optional<double> value() const {
    return count > 0 ? std::optional<double>(sum / count) : std::nullopt;
  }
};

// Days come in date order: a later one replaces the extreme only when it
// goes beyond it, so that the earliest of equal ones stays.
void keepExtreme(ClimateExtreme& extreme, const std::optional<double>& value, int date,
                 bool (*beyond)(double, double)) {
  if (value && (!extreme.value || beyond(*value, *extreme.value))) extreme = {value, date};
}

// What one month gathers of its days.
struct MonthGathering {
  MonthStatistics month;
  Mean highest;
  Mean lowest;
  Mean mean;
  Mean precipitation;

  void add(const SummaryRow& day) {
    const DayFigures& figures = day.figures;
    ++month.savedDays;
    highest.add(figures.highestTemperature);
    lowest.add(figures.lowestTemperature);
    mean.add(figures.meanTemperature);
    precipitation.add(figures.precipitationTotal);
    if (figures.precipitationTotal && isAtLeast(*figures.precipitationTotal, kWetDayMm))
      ++month.wetDays;
    keepExtreme(month.highest, figures.highestTemperature, day.date, isGreater);
    keepExtreme(month.lowest, figures.lowestTemperature, day.date, isLess);
    if (figures.visibilityClass) countVisibility(*figures.visibilityClass);
  }

  void countVisibility(int visibilityClass) {
    ++month.visibilityDays;
    switch (obscurationKind(visibilityClass)) {
      case ObscurationKind::Fog:
        ++month.fogDays;
        break;
      case ObscurationKind::Haze:
        ++month.hazeDays;
        break;
      case ObscurationKind::Dust:
        ++month.dustDays;
        break;
      case ObscurationKind::None:
        break;
    }
  }

  MonthStatistics done() {
    month.meanHighest = highest.value();
    month.meanLowest = lowest.value();
    month.meanTemperature = mean.value();
    if (precipitation.count > 0) month.precipitationMm = precipitation.sum;
    return month;
  }
};

std::string numberCell(const std::optional<double>& value) {
  return value ? roundedText(*value, 1) : std::string();
}

// A count of days of an element some day had; empty where none had it.
std::string countCell(int count, bool any) {
  return any ? std::to_string(count) : std::string();
}

std::string monthText(int month) {
  return dateText(month * 100 + 1).substr(0, 7);
}

}  // namespace

ObscurationKind obscurationKind(int visibilityClass) {
  switch (visibilityClass) {
    case 1:   // 轻雾
    case 6:   // 大雾
    case 8:   // 浓雾
    case 10:  // 强浓雾
    case 11:  // 特强浓雾
      return ObscurationKind::Fog;
    case 2:  // 轻微霾 to 重度霾
    case 3:
    case 4:
    case 5:
      return ObscurationKind::Haze;
    case 7:   // 沙尘暴
    case 9:   // 强沙尘暴
    case 12:  // 特强沙尘暴
      return ObscurationKind::Dust;
    default:
      return ObscurationKind::None;
  }
}

std::vector<MonthStatistics> monthStatistics(const std::vector<SummaryRow>& days, Period period) {
  std::vector<MonthStatistics> months;
  auto day = std::lower_bound(days.begin(), days.end(), period.first,
                              [](const SummaryRow& row, int date) { return row.date < date; });
  const sys_days last(calendarDate(period.last));
  sys_days date(calendarDate(period.first));
  while (date <= last) {
    MonthGathering gathering;
    gathering.month.month = monthOf(dateNumber(std::chrono::year_month_day(date)));
    for (; date <= last &&
           monthOf(dateNumber(std::chrono::year_month_day(date))) == gathering.month.month;
         date += std::chrono::days(1)) {
      ++gathering.month.periodDays;
    }
    for (; day != days.end() && monthOf(day->date) == gathering.month.month &&
           day->date <= period.last;
         ++day) {
      gathering.add(*day);
    }
    months.push_back(gathering.done());
  }
  return months;
}

std::vector<std::string> monthStatisticsHeader() {
  return {"月份",     "平均最高气温 (℃)", "平均最低气温 (℃)", "平均气温 (℃)", "降水量 (mm)",
          "降水日数", "最高气温 (℃)",     "最高气温 日期",    "最低气温 (℃)", "最低气温 日期",
          "雾日数",   "霾日数",           "沙尘日数",         "统计日数",     "时段日数"};
}

std::vector<std::vector<std::string>> monthStatisticsRows(
    const std::vector<MonthStatistics>& months) {
  std::vector<std::vector<std::string>> rows;
  for (const MonthStatistics& month : months) {
    const bool visibility = month.visibilityDays > 0;
    rows.push_back({monthText(month.month), numberCell(month.meanHighest),
                    numberCell(month.meanLowest), numberCell(month.meanTemperature),
                    numberCell(month.precipitationMm),
                    countCell(month.wetDays, month.precipitationMm.has_value()),
                    numberCell(month.highest.value),
                    month.highest.value ? dateText(month.highest.date) : std::string(),
                    numberCell(month.lowest.value),
                    month.lowest.value ? dateText(month.lowest.date) : std::string(),
                    countCell(month.fogDays, visibility), countCell(month.hazeDays, visibility),
                    countCell(month.dustDays, visibility), std::to_string(month.savedDays),
                    std::to_string(month.periodDays)});
  }
  return rows;
}

std::string monthStatisticsCsv(const std::vector<MonthStatistics>& months) {
  std::string csv(kUtf8ByteOrderMark);
  csv += csvLine(monthStatisticsHeader());
  for (const auto& row : monthStatisticsRows(months)) csv += csvLine(row);
  return csv;
}

}  // namespace skyrill
