#include "archive/climate_days.h"

#include "archive/daily_normals.h"
#include "archive/history_archive.h"

namespace skyrill {
namespace {

int yearOf(int date) {
  return date / 10000;
}

// Whether the date lies in the window of the calendar day in some year: its
// own, or the one before or after where a window crosses the new year.
bool inSomeWindow(int date, int monthDay) {
  for (int year = yearOf(date) - 1; year <= yearOf(date) + 1; ++year) {
    if (normalWindow(year, monthDay).holds(date)) return true;
  }
  return false;
}

StationDays climateDaysOf(const std::vector<SummaryRow>& rows,
                          const std::vector<SummaryRow>& moreRows = {}) {
  std::vector<ClimateDay> days;
  days.reserve(rows.size() + moreRows.size());
  for (const auto* list : {&rows, &moreRows}) {
    for (const SummaryRow& row : *list) days.push_back(climateDayOf(row));
  }
  return StationDays(std::move(days));
}

}  // namespace

StationDays walkStationDays(const FoundFiles& files, const SummaryOptions& options,
                            const std::function<void(SkippedFile&&)>& skipped) {
  std::vector<ClimateDay> days;
  const SummarySink sink{[&days](SummaryRow&& row) { days.push_back(climateDayOf(row)); }, skipped};
  streamSummaryTable(files, options, sink);
  return StationDays(std::move(days));
}

StationDays readStationDays(const HistoryArchive& archive, const std::string& station,
                            const PeriodReadOptions& options) {
  const auto files = archive.daysWhere(station, [](int) { return true; });
  return climateDaysOf(readArchivedDays(files, {station, 0, 0}, options).rows);
}

StationDays readStationDaysBeyond(const HistoryArchive& archive, const PeriodDays& known,
                                  const PeriodReadOptions& options) {
  const Period period = known.period;
  const auto files =
      archive.daysWhere(known.station, [period](int day) { return !period.holds(day); });
  return climateDaysOf(readArchivedDays(files, {known.station, 0, 0}, options).rows, known.days);
}

StationDays readDaysAround(const HistoryArchive& archive, const std::string& station, int date,
                           const PeriodReadOptions& options) {
  const int monthDay = date % 10000;
  const auto files =
      archive.daysWhere(station, [monthDay](int day) { return inSomeWindow(day, monthDay); });
  return climateDaysOf(readArchivedDays(files, {station, 0, 0}, options).rows);
}

}  // namespace skyrill
