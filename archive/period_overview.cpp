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

std::string presetName(PeriodPreset preset) {
  switch (preset) {
    case PeriodPreset::Last30Days:
      return "近30天";
    case PeriodPreset::ThisMonth:
      return "本月";
    case PeriodPreset::LastMonth:
      return "上月";
    case PeriodPreset::ThisYear:
      return "今年";
    case PeriodPreset::LastYear:
      return "去年";
    case PeriodPreset::Last365Days:
      return "近365天";
    case PeriodPreset::All:
      return "全部";
  }
  return {};
}

std::optional<Period> presetPeriod(PeriodPreset preset, int anchor, int today,
                                   std::optional<Period> saved) {
  using namespace std::chrono;
  const year_month_day day = calendarDate(anchor);
  const year_month month = day.year() / day.month();
  // The anchor's own month or year goes no further than today, unless the
  // anchor itself is later.
  const auto soFar = [anchor, today](year_month_day end) {
    return std::max(anchor, std::min(dateNumber(end), today));
  };
  switch (preset) {
    case PeriodPreset::Last30Days:
      return Period{dateOf(dayOf(anchor) - days(29)), anchor};
    case PeriodPreset::ThisMonth:
      return Period{dateNumber(month / 1), soFar(month / last)};
    case PeriodPreset::LastMonth: {
      const year_month before = month - months(1);
      return Period{dateNumber(before / 1), dateNumber(year_month_day(before / last))};
    }
    case PeriodPreset::ThisYear:
      return Period{dateNumber(day.year() / January / 1), soFar(day.year() / December / 31)};
    case PeriodPreset::LastYear:
      return Period{dateNumber((day.year() - years(1)) / January / 1),
                    dateNumber((day.year() - years(1)) / December / 31)};
    case PeriodPreset::Last365Days:
      return yearEndingAt(anchor);
    case PeriodPreset::All:
      return saved;
  }
  return std::nullopt;
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

std::optional<Period> savedPeriod(const HistoryArchive& archive, const std::string& station) {
  const auto days = archive.daysWhere(station, [](int) { return true; });
  if (days.empty()) return std::nullopt;
  return Period{days.front().name.date, days.back().name.date};
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
