#pragma once

#include <functional>
#include <string>

#include "archive/climate_table.h"
#include "archive/day_walk.h"
#include "archive/period_overview.h"

// A station's saved days read for its climate, each as the window opens a
// file: all of them, those found by a walk, or only those a day's normals
// need.
namespace skyrill {

class HistoryArchive;

// The days of the files a walk found that the options' filter takes; each
// file that cannot be read goes to `skipped`.
StationDays walkStationDays(const FoundFiles& files, const SummaryOptions& options,
                            const std::function<void(SkippedFile&&)>& skipped);

// Every saved day of the station in the archive.
StationDays readStationDays(const HistoryArchive& archive, const std::string& station,
                            const PeriodReadOptions& options);

// Every saved day of the station, those of a period read already taken from
// `known` and only the others read.
StationDays readStationDaysBeyond(const HistoryArchive& archive, const PeriodDays& known,
                                  const PeriodReadOptions& options);

// The station's saved days within the window of the date's calendar day in
// every year the archive holds: all that dayInClimate needs, a few hundred
// files where the archive holds thousands.
StationDays readDaysAround(const HistoryArchive& archive, const std::string& station, int date,
                           const PeriodReadOptions& options);

}  // namespace skyrill
