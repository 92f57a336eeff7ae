#include "core/day_series.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <utility>

#include "core/classifications.h"
#include "core/numeric_text.h"
#include "json/json_document.h"

namespace skyrill {

namespace {

using std::chrono::days;
using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

// Only the first 24 records of an answer are read.
constexpr int kRecordsRead = 24;
constexpr hours kServiceToShownTime{8};

// The keys of a record that fill its slot, in the order an answer writes
// them, so that one pass over the record finds them all.
enum RecordKey : std::size_t {
  kTimeKey,
  kTemperatureKey,
  kPressureKey,
  kHumidityKey,
  kWindDirectionKey,
  kWindSpeedKey,
  kPrecipitationKey,
  kVisibilityKey,
  kSnowDepthKey,
  kAccKey,
  kRecordKeyCount
};
// The keys with a cell, the ones an "acc" object may hold too.
constexpr std::size_t kFirstCellKey = kTemperatureKey;
constexpr std::size_t kCellKeyCount = kAccKey - kFirstCellKey;

using RecordKeys = std::array<JsonName, kRecordKeyCount>;

// Reads the texts of one record, its members found in one pass. A record
// without an "acc" object skips the acc lookups: they could only give "".
class RecordReader {
 public:
  RecordReader(JsonValue record, const RecordKeys& keys) {
    record.members(keys, values_);
    const JsonValue acc = values_[kAccKey];
    hasAcc_ = acc.isObject();
    if (hasAcc_) acc.members(std::span(keys).subspan(kFirstCellKey, kCellKeyCount), accValues_);
  }

  // The text of a key without a cell (the time), written over `out`.
  void readText(RecordKey key, std::string& out) const { values_[key].assignText(out); }

  // The value's text, followed by " {acc}" when the acc object has a text
  // for the key, written over `out`.
  void readCell(RecordKey key, std::string& out) const {
    values_[key].assignText(out);
    if (!hasAcc_) return;
    const std::string acc = accValues_[key - kFirstCellKey].text();
    if (!acc.empty()) out.append(" {").append(acc).append("}");
  }

 private:
  std::array<JsonValue, kRecordKeyCount> values_;
  std::array<JsonValue, kCellKeyCount> accValues_;
  bool hasAcc_ = false;
};

// Reads the date-and-time fields of a record time one number at a time.
class TimeReader {
 public:
  explicit TimeReader(std::string_view text) : text_(text) {}

  // A run of minDigits to maxDigits ASCII digits, after any separators.
  std::optional<int> number(std::size_t maxDigits, std::size_t minDigits = 1) {
    skipSeparators();
    std::size_t digits = 0;
    int value = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
      if (++digits > maxDigits) return std::nullopt;
    }
    if (digits < minDigits) return std::nullopt;
    return value;
  }

  // True when a number follows the separators here (the optional seconds).
  bool numberFollows() {
    std::size_t pos = pos_;
    while (pos < text_.size() && isSeparator(text_[pos])) ++pos;
    return pos < text_.size() && text_[pos] >= '0' && text_[pos] <= '9';
  }

 private:
  // An upper-case "T" reads as a space.
  static bool isSeparator(char c) {
    return c == '-' || c == ':' || c == ' ' || c == '/' || c == 'T';
  }
  void skipSeparators() {
    while (pos_ < text_.size() && isSeparator(text_[pos_])) ++pos_;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

std::optional<LocalSeconds> readServiceTime(std::string_view text) {
  TimeReader reader(text);
  const auto year = reader.number(4, 4);
  const auto month = reader.number(2);
  const auto day = reader.number(2);
  const auto hour = reader.number(2);
  const auto minute = reader.number(2);
  if (!year || !month || !day || !hour || !minute) return std::nullopt;
  std::optional<int> second = 0;
  if (reader.numberFollows()) second = reader.number(2);
  if (!second || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(*year),
                                         std::chrono::month(static_cast<unsigned>(*month)),
                                         std::chrono::day(static_cast<unsigned>(*day))};
  if (!date.ok()) return std::nullopt;
  return std::chrono::local_days(date) + hours(*hour) + minutes(*minute) + seconds(*second);
}

// The two keys of the wind variant: direction, then speed.
std::pair<const char*, const char*> windKeys(WindVariant variant) {
  switch (variant) {
    case WindVariant::TwoMinuteMean:
      return {"WD2m", "WS2m"};
    case WindVariant::HourlyInstant:
      return {"WD0m", "WS0m"};
    case WindVariant::MaxInstant:
      break;
  }
  return {"WD0mMAX1h", "WS0mMAX1h"};
}

const char* visibilityKey(VisibilityVariant variant) {
  return variant == VisibilityVariant::Reported ? "V" : "V10m";
}

RecordKeys recordKeys(WindVariant windVariant, VisibilityVariant visibilityVariant) {
  const auto [directionKey, speedKey] = windKeys(windVariant);
  return {JsonName("time"),       JsonName("T"),
          JsonName("P"),          JsonName("RH"),
          JsonName(directionKey), JsonName(speedKey),
          JsonName("R1h"),        JsonName(visibilityKey(visibilityVariant)),
          JsonName("SD"),         JsonName("acc")};
}

// Fills a slot with the record's texts and their labels, every field
// written over; raises the day's largest visibility class when the record
// has a visibility.
void readRecord(const RecordReader& reader, LocalSeconds shownTime, HourlyRecord& record,
                int& maxVisibilityClass) {
  assignShownTime(shownTime, record.timeText);
  reader.readCell(kTemperatureKey, record.temperature);
  reader.readCell(kPressureKey, record.pressure);
  reader.readCell(kHumidityKey, record.humidity);
  reader.readCell(kWindDirectionKey, record.windDirection);
  reader.readCell(kWindSpeedKey, record.windSpeed);
  if (!record.windSpeed.empty()) record.windSpeed += windForceLabel(numericValue(record.windSpeed));
  reader.readCell(kPrecipitationKey, record.precipitation);
  reader.readCell(kVisibilityKey, record.visibility);
  if (!record.visibility.empty()) {
    const int visibility =
        visibilityClass(numericValue(record.visibility), integerValue(record.humidity));
    record.visibility += visibilityClassLabel(visibility);
    maxVisibilityClass = std::max(maxVisibilityClass, visibility);
  }
  reader.readCell(kSnowDepthKey, record.snowDepth);
}

}  // namespace

void HourlyRecord::clear() {
  static_assert(sizeof(HourlyRecord) == 9 * sizeof(std::string), "a text is left out below");
  for (std::string* text : {&timeText, &temperature, &pressure, &humidity, &windDirection,
                            &windSpeed, &precipitation, &visibility, &snowDepth}) {
    text->clear();
  }
}

void DaySeries::clear() {
  for (HourlyRecord& hour : hours) hour.clear();
  maxVisibilityClass = 0;
}

std::string readCell(const JsonDocument& document, std::string_view prefix, int index,
                     std::string_view key) {
  const JsonValue record = document.at(prefix).element(static_cast<std::size_t>(index));
  std::string cell = record.member(key).text();
  const std::string acc = record.member("acc").member(key).text();
  if (!acc.empty()) cell.append(" {").append(acc).append("}");
  return cell;
}

std::optional<LocalSeconds> shiftedRecordTime(std::string_view serviceTime) {
  const auto time = readServiceTime(serviceTime);
  if (!time) return std::nullopt;
  const LocalSeconds shifted = *time + kServiceToShownTime;
  // Keep the shown year to four digits.
  if (std::chrono::year_month_day(std::chrono::floor<days>(shifted)).year() >
      std::chrono::year(9999)) {
    return std::nullopt;
  }
  return shifted;
}

std::string formatShownTime(LocalSeconds time) {
  std::string text;
  assignShownTime(time, text);
  return text;
}

void assignShownTime(LocalSeconds time, std::string& text) {
  const auto date = std::chrono::floor<days>(time);
  const std::chrono::year_month_day ymd(date);
  const std::chrono::hh_mm_ss clock(time - date);
  // Written digit by digit: this runs for every record of every display.
  text.assign("0000/00/00 00:00:00");
  const auto put = [&text](std::size_t end, int value, int width) {
    for (int i = 1; i <= width; ++i, value /= 10)
      text[end - i] = static_cast<char>('0' + value % 10);
  };
  put(4, static_cast<int>(ymd.year()), 4);
  put(7, static_cast<int>(static_cast<unsigned>(ymd.month())), 2);
  put(10, static_cast<int>(static_cast<unsigned>(ymd.day())), 2);
  put(13, static_cast<int>(clock.hours().count()), 2);
  put(16, static_cast<int>(clock.minutes().count()), 2);
  put(19, static_cast<int>(clock.seconds().count()), 2);
}

void extractDaySeries(const JsonDocument& document, QueryMode mode, WindVariant windVariant,
                      VisibilityVariant visibilityVariant, DaySeries& series) {
  series.clear();
  const std::string_view prefix = recordPrefix(mode);
  // A record that has no time, or whose slot falls outside 1..24, is left
  // out and the next gap is measured from the last record placed, so the
  // counter always starts from a slot of the day.
  int slot = mode == QueryMode::Today ? kSlotCount : 1;
  std::optional<LocalSeconds> previous;
  const JsonValue records = document.at(prefix);
  const RecordKeys keys = recordKeys(windVariant, visibilityVariant);
  std::string timeText;
  for (int index = 0; index < kRecordsRead; ++index) {
    const RecordReader reader(records.element(static_cast<std::size_t>(index)), keys);
    reader.readText(kTimeKey, timeText);
    const auto time = shiftedRecordTime(timeText);
    if (!time) continue;
    // Today's records run newest first, so its counter moves down by the
    // hours back in time: both modes move it by the signed whole hours.
    long long target = slot;
    if (previous) target += std::chrono::duration_cast<hours>(*time - *previous).count();
    if (target < 1 || target > kSlotCount) continue;
    slot = static_cast<int>(target);
    previous = time;
    readRecord(reader, *time, series.slot(slot), series.maxVisibilityClass);
  }
}

void attachPrecipitationLabels(DaySeries& series) {
  std::string room;
  for (HourlyRecord& hour : series.hours) {
    hour.precipitation += hourlyPrecipitationLabel(numericValue(hour.precipitation),
                                                   cleanSlotText(hour.temperature, room));
  }
}

}  // namespace skyrill
