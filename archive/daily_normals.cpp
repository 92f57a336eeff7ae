#include "archive/daily_normals.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

#include "core/calendar_date.h"
#include "core/numeric_text.h"

namespace skyrill {
namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr std::size_t index(ClimateElement element) {
  return static_cast<std::size_t>(element);
}

int yearOf(int date) {
  return date / 10000;
}

int dateOf(sys_days day) {
  return dateNumber(std::chrono::year_month_day(day));
}

bool isPrecipitation(std::size_t element) {
  return element == index(ClimateElement::Precipitation);
}

// The values of one element on the date in every saved year, the day on
// display in place of its year's.
struct YearValue {
  int year = 0;
  double value = 0;
};

std::vector<YearValue> yearValues(const SameDayTable& sameDay, std::size_t element, int date,
                                  const std::optional<double>& shown) {
  std::vector<YearValue> values;
  for (const ClimateDay& day : sameDay.days) {
    if (day.date != date && day.values[element])
      values.push_back({yearOf(day.date), *day.values[element]});
  }
  if (shown) values.push_back({yearOf(date), *shown});
  std::sort(values.begin(), values.end(),
            [](const YearValue& a, const YearValue& b) { return a.year < b.year; });
  return values;
}

// The most extreme value and every year that holds it.
YearsRecord recordOf(const std::vector<YearValue>& values, bool (*beyond)(double, double)) {
  YearsRecord record{values.front().value, {}};
  for (const YearValue& year : values) {
    if (beyond(year.value, record.value)) record.value = year.value;
  }
  for (const YearValue& year : values) {
    if (!beyond(record.value, year.value)) record.years.push_back(year.year);
  }
  return record;
}

// The value against the normal as shown: a difference that shows as 0.0 is none.
std::string departureText(double difference, bool precipitation) {
  const std::string amount = roundedText(std::fabs(difference), 1);
  if (amount == roundedText(0, 1)) return "持平";
  const char* word =
      precipitation ? (difference > 0 ? "偏多 " : "偏少 ") : (difference > 0 ? "偏高 " : "偏低 ");
  return word + amount + (precipitation ? "mm" : "℃");
}

// Its place among the years: from the top, or from the foot when below the
// normal.
void rankAmongYears(ElementInClimate& element, const std::vector<YearValue>& values,
                    bool precipitation, bool fromFoot) {
  const double value = *element.value;
  element.rankNumber =
      1 + static_cast<int>(std::count_if(values.begin(), values.end(), [&](const YearValue& year) {
        return fromFoot ? isLess(year.value, value) : isGreater(year.value, value);
      }));
  element.rankedYears = static_cast<int>(values.size());
  const char* word = precipitation ? (fromFoot ? "少" : "多") : (fromFoot ? "低" : "高");
  element.rank = std::to_string(values.front().year) + " 年以来同日第 " +
                 std::to_string(element.rankNumber) + " " + word + "（共 " +
                 std::to_string(element.rankedYears) + " 年）";
}

ElementInClimate elementInClimate(const DayInClimate& day, std::size_t element,
                                  const std::optional<double>& value, const DayNormal& normal) {
  ElementInClimate place;
  place.value = value;
  place.normal = normal;
  const bool precipitation = isPrecipitation(element);
  bool belowNormal = false;
  if (value && normal.value) {
    const double difference = *value - roundHalfAway(*normal.value, 1);
    place.departure = departureText(difference, precipitation);
    belowNormal = place.departure != "持平" && difference < 0;
  }
  const std::vector<YearValue> values = yearValues(day.sameDay, element, day.date, value);
  if (static_cast<int>(values.size()) < kLeastClimateYears) return place;
  if (value) rankAmongYears(place, values, precipitation, belowNormal);
  place.highest = recordOf(values, isGreater);
  place.lowest = recordOf(values, isLess);
  return place;
}

// The extremes of each calendar day over the saved years, for the records.
struct CalendarExtremes {
  std::optional<double> warmest;  // highest of the highest temperatures
  int warmestYears = 0;
  std::optional<double> coldest;  // lowest of the lowest
  int coldestYears = 0;
  std::optional<double> wettest;
  int wettestYears = 0;
};

void keep(std::optional<double>& extreme, int& years, const std::optional<double>& value,
          bool (*beyond)(double, double)) {
  if (!value) return;
  ++years;
  if (!extreme || beyond(*value, *extreme)) extreme = value;
}

// Whether the value is the record: nothing beyond it, and years enough.
bool holds(const std::optional<double>& value, const std::optional<double>& record, int years,
           bool (*beyond)(double, double)) {
  return value && years >= kLeastClimateYears && !beyond(*record, *value);
}

const std::string kDash = "—";

std::string orDash(const std::string& text) {
  return text.empty() ? kDash : text;
}

// "35.1（1997、2004）"; past three years, the first three and how many.
std::string recordText(const std::optional<YearsRecord>& record) {
  constexpr std::size_t kYearsNamed = 3;
  if (!record) return kDash;
  std::string years;
  for (std::size_t i = 0; i < record->years.size() && i < kYearsNamed; ++i)
    years += (i > 0 ? "、" : "") + std::to_string(record->years[i]);
  if (record->years.size() > kYearsNamed)
    years += " 等 " + std::to_string(record->years.size()) + " 年";
  return roundedText(record->value, 1) + "（" + years + "）";
}

std::size_t calendarIndex(int date) {
  return static_cast<std::size_t>(date / 100 % 100 * 32 + date % 100);
}

}  // namespace

Period normalWindow(int year, int monthDay) {
  const std::chrono::year_month_day centre{
      std::chrono::year(year), std::chrono::month(static_cast<unsigned>(monthDay / 100)),
      std::chrono::day(static_cast<unsigned>(monthDay % 100))};
  if (!centre.ok()) {  // 02-29 of a year without it
    const sys_days february28 = std::chrono::year(year) / std::chrono::February / 28;
    return {dateOf(february28 - days(kNormalWindowDays - 1)),
            dateOf(february28 + days(kNormalWindowDays))};
  }
  return {dateOf(sys_days(centre) - days(kNormalWindowDays)),
          dateOf(sys_days(centre) + days(kNormalWindowDays))};
}

Period climateDownloadPeriod(int date, int latest) {
  const int monthDay = date % 10000;
  return {normalWindow(yearOf(date) - (kLeastClimateYears - 1), monthDay).first,
          std::min(normalWindow(yearOf(date), monthDay).last, latest)};
}

std::array<DayNormal, kClimateElementCount> calendarDayNormals(const StationDays& days,
                                                               int monthDay) {
  std::array<DayNormal, kClimateElementCount> normals;
  if (days.empty()) return normals;
  std::array<double, kClimateElementCount> sums{};
  std::array<int, kClimateElementCount> counts{};
  const int firstYear = yearOf(days.all().front().date) - 1;
  const int lastYear = yearOf(days.all().back().date) + 1;
  for (int year = firstYear; year <= lastYear; ++year) {
    const Period window = normalWindow(year, monthDay);
    const auto [first, end] = days.between(window.first, window.last);
    for (std::size_t element = 0; element < kClimateElementCount; ++element) {
      bool any = false;
      for (const ClimateDay* day = first; day != end; ++day) {
        if (!day->values[element]) continue;
        sums[element] += *day->values[element];
        ++counts[element];
        any = true;
      }
      normals[element].years += any ? 1 : 0;
    }
  }
  for (std::size_t element = 0; element < kClimateElementCount; ++element) {
    if (normals[element].years >= kLeastClimateYears)
      normals[element].value = sums[element] / counts[element];
  }
  return normals;
}

std::vector<NormalBandDay> normalBand(const StationDays& saved, Period period) {
  std::map<int, std::array<DayNormal, kClimateElementCount>> byCalendarDay;
  std::vector<NormalBandDay> band;
  const sys_days last = sys_days(calendarDate(period.last));
  for (sys_days day = sys_days(calendarDate(period.first)); day <= last; day += days(1)) {
    const int date = dateOf(day);
    auto normals = byCalendarDay.find(date % 10000);
    if (normals == byCalendarDay.end())
      normals = byCalendarDay.emplace(date % 10000, calendarDayNormals(saved, date % 10000)).first;
    const DayNormal& lowest = normals->second[index(ClimateElement::Lowest)];
    const DayNormal& highest = normals->second[index(ClimateElement::Highest)];
    if (lowest.value && highest.value) band.push_back({date, *lowest.value, *highest.value});
  }
  return band;
}

std::vector<RecordDay> recordDays(const StationDays& days, Period period) {
  std::vector<CalendarExtremes> extremes(13 * 32);
  for (const ClimateDay& day : days.all()) {
    CalendarExtremes& of = extremes[calendarIndex(day.date)];
    keep(of.warmest, of.warmestYears, day.value(ClimateElement::Highest), isGreater);
    keep(of.coldest, of.coldestYears, day.value(ClimateElement::Lowest), isLess);
    const auto& amount = day.value(ClimateElement::Precipitation);
    keep(of.wettest, of.wettestYears, amount, isGreater);
  }
  std::vector<RecordDay> records;
  const auto [first, end] = days.between(period.first, period.last);
  for (const ClimateDay* day = first; day != end; ++day) {
    const CalendarExtremes& of = extremes[calendarIndex(day->date)];
    const auto& amount = day->value(ClimateElement::Precipitation);
    RecordDay record{
        day->date,
        holds(day->value(ClimateElement::Highest), of.warmest, of.warmestYears, isGreater),
        holds(day->value(ClimateElement::Lowest), of.coldest, of.coldestYears, isLess),
        holds(amount, of.wettest, of.wettestYears, isGreater) && isAtLeast(*amount, kWetDayMm)};
    if (record.warmest || record.coldest || record.wettest) records.push_back(record);
  }
  return records;
}

bool DayInClimate::fewYears() const {
  return static_cast<int>(sameDay.days.size()) < kLeastClimateYears;
}

DayInClimate dayInClimate(const StationDays& days, int date,
                          const std::optional<ClimateDay>& shown) {
  DayInClimate day;
  day.date = date;
  day.sameDay = sameDayTable(days, date % 10000);
  const auto normals = calendarDayNormals(days, date % 10000);
  const ClimateDay* saved = days.on(date);
  const ClimateDay* values = shown ? &*shown : saved;
  for (std::size_t element = 0; element < kClimateElementCount; ++element) {
    const std::optional<double> value = values ? values->values[element] : std::nullopt;
    if (values) day.cells[element] = values->cells[element];
    day.elements[element] = elementInClimate(day, element, value, normals[element]);
  }
  return day;
}

std::vector<std::string> dayInClimateHeader() {
  std::vector<std::string> header = sameDayHeader();
  header.erase(header.begin(), header.begin() + 2);  // 年份, 日期
  header.insert(header.begin(), "");
  return header;
}

std::vector<std::vector<std::string>> dayInClimateRows(const DayInClimate& day) {
  std::vector<std::vector<std::string>> rows = {
      {"当日"}, {"常年值（前后 7 天）"}, {"距平"}, {"排位"}, {"同日最高"}, {"同日最低"}};
  for (std::size_t element = 0; element < kClimateElementCount; ++element) {
    const ElementInClimate& place = day.elements[element];
    const DayNormal& normal = place.normal;
    rows[0].push_back(orDash(day.cells[element]));
    rows[1].push_back(normal.value ? roundedText(*normal.value, 1) + "（" +
                                         std::to_string(normal.years) + " 年）"
                                   : kDash);
    rows[2].push_back(orDash(place.departure));
    rows[3].push_back(orDash(place.rank));
    rows[4].push_back(recordText(place.highest));
    rows[5].push_back(isPrecipitation(element) ? kDash : recordText(place.lowest));
  }
  return rows;
}

}  // namespace skyrill
