#include "archive/period_overview.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "archive/history_archive.h"
#include "core/calendar_date.h"
#include "core/numeric_text.h"
#include "store/observation_files.h"

namespace skyrill {
namespace {

using std::chrono::sys_days;

sys_days dayOf(int date) {
  return sys_days(calendarDate(date));
}

int dateOf(sys_days day) {
  return dateNumber(std::chrono::year_month_day(day));
}

std::string valueOrDash(const std::optional<double>& value, const char* unit) {
  return value ? roundedText(*value, 1) + unit : "—";
}

std::string visibilityText(const DayFigures& figures) {
  return figures.visibilityClass ? std::to_string(*figures.visibilityClass) : "—";
}

}  // namespace

int Period::length() const {
  return std::max(1, static_cast<int>((dayOf(last) - dayOf(first)).count()) + 1);
}

int Period::dateAt(int index) const {
  return dateOf(dayOf(first) + std::chrono::days(index));
}

int Period::indexOf(int date) const {
  return static_cast<int>((dayOf(date) - dayOf(first)).count());
}

Period yearEndingAt(int lastDay) {
  return {dateOf(dayOf(lastDay) - std::chrono::days(364)), lastDay};
}

const SummaryRow* PeriodDays::dayOn(int date) const {
  const auto row = std::lower_bound(days.begin(), days.end(), date,
                                    [](const SummaryRow& day, int d) { return day.date < d; });
  return row != days.end() && row->date == date ? &*row : nullptr;
}

int PeriodDays::gapCount() const {
  return period.length() - static_cast<int>(days.size());
}

std::string PeriodDays::caption() const {
  // A current day's answer may lack the city: the station alone then.
  for (auto day = days.rbegin(); day != days.rend(); ++day) {
    if (!day->stationName.empty() && day->stationName[0] != ' ') return day->stationName;
  }
  return station;
}

SummaryTable readArchivedDays(const std::vector<ArchivedDay>& days, const SummaryFilter& filter,
                              const PeriodReadOptions& options) {
  std::vector<std::filesystem::path> files;
  files.reserve(days.size());
  for (const ArchivedDay& day : days) files.push_back(day.file);
  SummaryOptions summary;
  summary.filter = filter;
  summary.threads = options.threads;
  summary.variants = options.variants;
  summary.readFile = [&options](const std::filesystem::path& path) {
    // An empty file is refused at once: the quickest way past the rest.
    if (options.stopped && options.stopped()) return std::string();
    return options.readFile ? options.readFile(path) : readDayFile(path);
  };
  return buildSummaryTable(files, summary);
}

PeriodDays readPeriodDays(const HistoryArchive& archive, const std::string& station, Period period,
                          const PeriodReadOptions& options) {
  SummaryTable table = readArchivedDays(archive.daysInPeriod(station, period.first, period.last),
                                        {station, period.first, period.last}, options);
  return {station, period, std::move(table.rows), std::move(table.skipped)};
}

std::string dayReadout(const PeriodDays& days, int date) {
  const std::string when = dateText(date) + "  ";
  const SummaryRow* day = days.dayOn(date);
  if (!day) return when + "无数据";
  const DayFigures& figures = day->figures;
  return when + "最高 " + valueOrDash(figures.highestTemperature, "℃") + "  最低 " +
         valueOrDash(figures.lowestTemperature, "℃") + "  降水 " +
         valueOrDash(figures.precipitationTotal, "mm") + "  能见度等级 " + visibilityText(figures);
}

std::string coverageText(const PeriodDays& days) {
  std::string text = "已保存 " + std::to_string(days.days.size()) + " 天";
  if (days.gapCount() > 0) text += "，缺 " + std::to_string(days.gapCount()) + " 天";
  if (!days.skipped.empty()) text += "，" + std::to_string(days.skipped.size()) + " 个文件无法读取";
  return text;
}

}  // namespace skyrill
