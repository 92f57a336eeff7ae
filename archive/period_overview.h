#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/day_walk.h"

// One station's saved days over a period, as the overview window shows them:
// which days there are, which are missing, and what each one says.
namespace skyrill {

class HistoryArchive;
struct ArchivedDay;

// A span of days, both ends included, as YYYYMMDD.
struct Period {
  int first = 0;
  int last = 0;

  // The number of days; at least 1.
  int length() const;
  // The day `index` days after the first, and back.
  int dateAt(int index) const;
  int indexOf(int date) const;
  bool holds(int date) const { return first <= date && date <= last; }
  bool operator==(const Period&) const = default;
};

// The 365 days that end at `lastDay`.
Period yearEndingAt(int lastDay);

// The periods the overview offers by name, counted from the day it follows.
enum class PeriodPreset { Last30Days, ThisMonth, LastMonth, ThisYear, LastYear, Last365Days, All };
inline constexpr std::array<PeriodPreset, 7> kPeriodPresets = {
    PeriodPreset::Last30Days, PeriodPreset::ThisMonth, PeriodPreset::LastMonth,
    PeriodPreset::ThisYear,   PeriodPreset::LastYear,  PeriodPreset::Last365Days,
    PeriodPreset::All};

// "近30天", "本月", "上月", "今年", "去年", "近365天", "全部".
std::string presetName(PeriodPreset preset);

// The period of a preset for the day `anchor` (YYYYMMDD): the 30 or 365 days
// that end at it; its month or year, or the one before, whole, except that
// its own month or year ends today when it is the current one; or `saved`,
// the first to the last saved day, for 全部 (nothing without one).
std::optional<Period> presetPeriod(PeriodPreset preset, int anchor, int today,
                                   std::optional<Period> saved = std::nullopt);

struct PeriodDays {
  std::string station;
  Period period;
  std::vector<SummaryRow> days;      // by date, the latest fetch of each
  std::vector<SkippedFile> skipped;  // files that could not be read: gaps too

  // The day's row; nothing for a gap.
  const SummaryRow* dayOn(int date) const;
  int gapCount() const;
  // The station's name and number as the latest day that names its city
  // gives them, e.g. "哈尔滨 50953"; the number alone until then.
  std::string caption() const;
};

struct PeriodReadOptions {
  // Reads a file's bytes (empty when it cannot be read); readDayFile when unset.
  std::function<std::string(const std::filesystem::path&)> readFile;
  // Asked before each file; once true the rest are passed over and what
  // comes back is to be thrown away.
  std::function<bool()> stopped;
  unsigned threads = 0;  // 0: one per core
  DayVariants variants;  // the wind and visibility the days are read with
};

// Files of the archive, each read as the main window would open it, several
// at a time; the days the filter takes.
SummaryTable readArchivedDays(const std::vector<ArchivedDay>& days, const SummaryFilter& filter,
                              const PeriodReadOptions& options);

// The station's days of the period held in the archive, each read as the
// main window would open it, several files at a time.
PeriodDays readPeriodDays(const HistoryArchive& archive, const std::string& station, Period period,
                          const PeriodReadOptions& options);

// The first to the last saved day of the station, by the archive's names;
// nothing when it has none.
std::optional<Period> savedPeriod(const HistoryArchive& archive, const std::string& station);

// What the pointer over a day shows: "2024-01-20  最高 -12.0℃  最低 -25.3℃
// 降水 0.4mm  能见度等级 3", "—" for a value the day lacks, or the date
// and "无数据" for a gap.
std::string dayReadout(const PeriodDays& days, int date);

// How much of the period is saved, e.g. "已保存 300 天，缺 65 天".
std::string coverageText(const PeriodDays& days);

}  // namespace skyrill
