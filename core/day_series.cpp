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

// The names a record's texts are read by: the record's own, and those of
// its "acc" object.
struct RecordKeys {
  explicit RecordKeys(const std::array<std::string_view, kRecordKeyCount>& texts)
      : record(texts), acc(std::span(texts).subspan(kFirstCellKey, kCellKeyCount)) {}
  JsonNames record;
  JsonNames acc;
};

// Reads the texts of one record after another, each record's members found
// in one pass. A record without an "acc" object skips the acc lookups: they
// could only give "".
class RecordReader {
 public:
  explicit RecordReader(const RecordKeys& keys) : keys_(keys) {}

  // The record read from now on.
  void read(JsonValue record) {
    record.members(keys_.record, values_);
    const JsonValue acc = values_[kAccKey];
    hasAcc_ = acc.isObject();
    if (hasAcc_) acc.members(keys_.acc, accValues_);
  }

  // The text of a key without a cell (the time), written over `out`.
  void readText(RecordKey key, std::string& out) const { values_[key].assignText(out); }

  // The value's text, followed by " {acc}" when the acc object has a text
  // for the key, written over `out`; `number` becomes the value when it is a
  // plain number (JsonValue::assignText), as its text reads, else empty.
  void readCell(RecordKey key, std::string& out, std::optional<double>& number) const {
    double read;
    if (values_[key].assignText(out, read)) {
      number = read;
    } else {
      number.reset();
    }
    if (!hasAcc_) return;
    const std::string acc = accValues_[key - kFirstCellKey].text();
    if (!acc.empty()) out.append(" {").append(acc).append("}");
  }
  // The number alone when the value is a plain number (`out` emptied),
  // else as readCell.
  void readNumberOrCell(RecordKey key, std::string& out, std::optional<double>& number) const {
    double read;
    if (values_[key].plainNumber(read)) {
      number = read;
      out.clear();
      return;
    }
    readCell(key, out, number);
  }
  // The same for a cell whose number is not kept.
  void readCell(RecordKey key, std::string& out) const {
    std::optional<double> number;
    readCell(key, out, number);
  }

 private:
  const RecordKeys& keys_;
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

// The numbers of a record time.
struct TimeFields {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The usual form of an answer's times, "YYYY-MM-DDTHH:MM:SS", read at its
// fixed places as TimeReader reads it; nothing for any other form.
std::optional<TimeFields> readUsualTime(std::string_view text) {
  constexpr std::size_t kLength = 19;
  if (text.size() < kLength || (text.size() > kLength && isDigit(text[kLength]))) {
    return std::nullopt;
  }
  const auto digit = [text](std::size_t at) { return static_cast<unsigned>(text[at] - '0'); };
  constexpr std::size_t kDigitPlaces[] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
  bool digits = true;
  for (const std::size_t at : kDigitPlaces) digits &= digit(at) <= 9;
  if (!digits || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':') {
    return std::nullopt;
  }
  const auto two = [&digit](std::size_t at) {
    return static_cast<int>(digit(at) * 10 + digit(at + 1));
  };
  return TimeFields{two(0) * 100 + two(2), two(5), two(8), two(11), two(14), two(17)};
}

std::optional<TimeFields> readTimeFields(std::string_view text) {
  if (const auto usual = readUsualTime(text)) return usual;
  TimeReader reader(text);
  const auto year = reader.number(4, 4);
  const auto month = reader.number(2);
  const auto day = reader.number(2);
  const auto hour = reader.number(2);
  const auto minute = reader.number(2);
  if (!year || !month || !day || !hour || !minute) return std::nullopt;
  std::optional<int> second = 0;
  if (reader.numberFollows()) second = reader.number(2);
  if (!second) return std::nullopt;
  return TimeFields{*year, *month, *day, *hour, *minute, *second};
}

std::optional<LocalSeconds> readServiceTime(std::string_view text) {
  const std::optional<TimeFields> time = readTimeFields(text);
  if (!time || time->hour > 23 || time->minute > 59 || time->second > 59) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(time->year),
                                         std::chrono::month(static_cast<unsigned>(time->month)),
                                         std::chrono::day(static_cast<unsigned>(time->day))};
  if (!date.ok()) return std::nullopt;
  return std::chrono::local_days(date) + hours(time->hour) + minutes(time->minute) +
         seconds(time->second);
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

RecordKeys makeRecordKeys(WindVariant windVariant, VisibilityVariant visibilityVariant) {
  const auto [directionKey, speedKey] = windKeys(windVariant);
  return RecordKeys({"time", "T", "P", "RH", directionKey, speedKey, "R1h",
                     visibilityKey(visibilityVariant), "SD", "acc"});
}

// The keys of each pair of variants, made ready once.
const RecordKeys& recordKeys(WindVariant windVariant, VisibilityVariant visibilityVariant) {
  static const std::array<std::array<RecordKeys, 2>, 3> keys = [] {
    const auto forWind = [](WindVariant wind) {
      return std::array{makeRecordKeys(wind, VisibilityVariant::TenMinuteMean),
                        makeRecordKeys(wind, VisibilityVariant::Reported)};
    };
    return std::array{forWind(WindVariant::MaxInstant), forWind(WindVariant::TwoMinuteMean),
                      forWind(WindVariant::HourlyInstant)};
  }();
  const std::size_t wind = windVariant == WindVariant::TwoMinuteMean   ? 1
                           : windVariant == WindVariant::HourlyInstant ? 2
                                                                       : 0;
  return keys[wind][visibilityVariant == VisibilityVariant::Reported ? 1 : 0];
}

// Fills a slot with the record's texts and their labels, every field
// written over, and its numbers; raises the day's largest visibility class
// when the record has a visibility.
// A text only a shown slot has is left empty (the slot was cleared) when
// only numbers are asked for.
void readRecord(const RecordReader& reader, LocalSeconds shownTime, HourlyRecord& record,
                SlotNumbers& numbers, int& maxVisibilityClass, SlotTexts texts) {
  const bool shown = texts == SlotTexts::Shown;
  const auto readCell = [&reader, shown](RecordKey key, std::string& out,
                                         std::optional<double>& number) {
    if (shown) {
      reader.readCell(key, out, number);
    } else {
      reader.readNumberOrCell(key, out, number);
    }
  };
  if (shown) assignShownTime(shownTime, record.timeText);
  readCell(kTemperatureKey, record.temperature, numbers.temperature);
  readCell(kPressureKey, record.pressure, numbers.pressure);
  readCell(kHumidityKey, record.humidity, numbers.humidity);
  if (shown) reader.readCell(kWindDirectionKey, record.windDirection);
  readCell(kWindSpeedKey, record.windSpeed, numbers.windSpeed);
  if (!record.windSpeed.empty()) {
    record.windSpeed += windForceLabel(cellNumber(numbers.windSpeed, record.windSpeed));
  }
  readCell(kPrecipitationKey, record.precipitation, numbers.precipitation);
  readCell(kVisibilityKey, record.visibility, numbers.visibility);
  if (numbers.visibility || !record.visibility.empty()) {
    const long long humidity =
        numbers.humidity ? truncatedInteger(*numbers.humidity) : integerValue(record.humidity);
    const int visibility =
        visibilityClass(cellNumber(numbers.visibility, record.visibility), humidity);
    if (!record.visibility.empty()) record.visibility += visibilityClassLabel(visibility);
    maxVisibilityClass = std::max(maxVisibilityClass, visibility);
  }
  if (shown) reader.readCell(kSnowDepthKey, record.snowDepth);
}

}  // namespace

double cellNumber(const std::optional<double>& known, std::string_view text) {
  return known ? *known : numericValue(text);
}

double cellSlotNumber(const std::optional<double>& known, std::string_view text) {
  return known ? *known : slotNumber(text);
}

bool cellPresent(const std::optional<double>& known, std::string_view text) {
  return known || hasSlotText(text);
}

std::optional<double> cellValue(const std::optional<double>& known, std::string_view text) {
  if (known) return known;
  std::string room;
  const std::string_view cleaned = cleanSlotText(text, room);
  if (cleaned.empty()) return std::nullopt;
  return numericValue(cleaned);
}

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
  // Keep the shown year to four digits: only the last hours of 9999 pass it.
  constexpr LocalSeconds kFirstOfYear10000 =
      std::chrono::local_days(std::chrono::year(10000) / 1 / 1);
  if (shifted >= kFirstOfYear10000) return std::nullopt;
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
  // Written two digits at a time: this runs for every record of every display.
  text.assign("0000/00/00 00:00:00");
  char* const out = text.data();
  const auto put = [out](std::size_t at, unsigned value) {
    out[at] = static_cast<char>('0' + value / 10);
    out[at + 1] = static_cast<char>('0' + value % 10);
  };
  const auto year = static_cast<unsigned>(static_cast<int>(ymd.year()));
  put(0, year / 100);
  put(2, year % 100);
  put(5, static_cast<unsigned>(ymd.month()));
  put(8, static_cast<unsigned>(ymd.day()));
  put(11, static_cast<unsigned>(clock.hours().count()));
  put(14, static_cast<unsigned>(clock.minutes().count()));
  put(17, static_cast<unsigned>(clock.seconds().count()));
}

DayNumbers extractDaySeries(const JsonDocument& document, QueryMode mode, WindVariant windVariant,
                            VisibilityVariant visibilityVariant, DaySeries& series,
                            SlotTexts texts) {
  series.clear();
  DayNumbers numbers{};
  const std::string_view prefix = recordPrefix(mode);
  // A record that has no time, or whose slot falls outside 1..24, is left
  // out and the next gap is measured from the last record placed, so the
  // counter always starts from a slot of the day.
  int slot = mode == QueryMode::Today ? kSlotCount : 1;
  std::optional<LocalSeconds> previous;
  RecordReader reader(recordKeys(windVariant, visibilityVariant));
  std::string timeText;
  int index = 0;
  for (const JsonValue record : document.at(prefix).elements()) {
    if (index++ == kRecordsRead) break;
    reader.read(record);
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
    const auto place = static_cast<std::size_t>(slot - 1);
    readRecord(reader, *time, series.hours[place], numbers[place], series.maxVisibilityClass,
               texts);
  }
  return numbers;
}

void attachPrecipitationLabels(DaySeries& series, const DayNumbers& numbers) {
  for (std::size_t i = 0; i < series.hours.size(); ++i) {
    HourlyRecord& hour = series.hours[i];
    const SlotNumbers& known = numbers[i];
    hour.precipitation +=
        hourlyPrecipitationLabel(cellNumber(known.precipitation, hour.precipitation),
                                 cellValue(known.temperature, hour.temperature));
  }
}

}  // namespace skyrill
