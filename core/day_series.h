#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "core/query_types.h"

namespace skyrill {

class JsonDocument;

// One hour slot: the observation texts as the service sent them, with the
// class labels attached. An empty text marks a missing value.
struct HourlyRecord {
  std::string timeText;       // shifted time, YYYY/MM/DD HH:MM:SS
  std::string temperature;    // °C
  std::string pressure;       // hPa
  std::string humidity;       // %
  std::string windDirection;  // degrees
  std::string windSpeed;      // m/s, with its wind-force label
  std::string precipitation;  // mm, with its intensity label once drawn
  std::string visibility;     // km, with its visibility-class label
  std::string snowDepth;      // cm

  bool operator==(const HourlyRecord&) const = default;
  // Every text emptied, its room kept for the next day.
  void clear();
};

inline constexpr int kSlotCount = 24;

// The day's 24 hour slots, numbered 1 to 24.
struct DaySeries {
  std::array<HourlyRecord, kSlotCount> hours{};  // slot n is hours[n - 1]
  int maxVisibilityClass = 0;                    // highest visibility class met while extracting

  // Every slot emptied, the texts' room kept for the next day.
  void clear();
  HourlyRecord& slot(int number) { return hours[static_cast<std::size_t>(number - 1)]; }
  const HourlyRecord& slot(int number) const { return hours[static_cast<std::size_t>(number - 1)]; }
};

// The numbers of a slot's cells whose values were plain JSON numbers (see
// JsonValue::assignText), kept by the extraction: such a cell's text starts
// with the number's shortest form, so every reading of the text
// (numericValue, slotNumber) gives that number, and the cell is present.
// Empty where the text has to be read.
struct SlotNumbers {
  std::optional<double> temperature;
  std::optional<double> pressure;
  std::optional<double> humidity;
  std::optional<double> windSpeed;
  std::optional<double> precipitation;
  std::optional<double> visibility;
};
using DayNumbers = std::array<SlotNumbers, kSlotCount>;

// A cell's number as numericValue reads its text.
double cellNumber(const std::optional<double>& known, std::string_view text);
// A cell's number as slotNumber reads its text.
double cellSlotNumber(const std::optional<double>& known, std::string_view text);
// Whether the cell has its element (hasSlotText).
bool cellPresent(const std::optional<double>& known, std::string_view text);
// The cell's number as its cleaned text reads; nothing when the cell lacks
// its element.
std::optional<double> cellValue(const std::optional<double>& known, std::string_view text);

using LocalSeconds = std::chrono::local_seconds;

// The cell text of record `index` (0-based) for one key: the value's text,
// followed by " {acc}" when the record's "acc" object has a text for the key.
std::string readCell(const JsonDocument& document, std::string_view prefix, int index,
                     std::string_view key);

// A record time as shown: upper-case "T" becomes a space, the text is read as
// year-month-day hour:minute[:second] and 8 hours are added. The numbers are
// ASCII digits (a four-digit year, one or two digits for the others) with
// any run of "-", "/", ":" or spaces between them. Text after the seconds,
// or after the minutes when no number follows, is ignored (a "Z", "+00:00",
// ".000"); a zone is not applied. Empty when the text does not read as a
// valid date and time, or when the shifted year passes 9999.
std::optional<LocalSeconds> shiftedRecordTime(std::string_view serviceTime);
// YYYY/MM/DD HH:MM:SS.
std::string formatShownTime(LocalSeconds time);
// The same written over `text`, whose room is reused.
void assignShownTime(LocalSeconds time, std::string& text);

// What the extraction writes of each slot.
enum class SlotTexts {
  Shown,        // every text as the window shows it
  NumbersOnly,  // what the day's figures read: no time, wind direction or
                // snow depth, and no text for a cell whose number is kept
};

// Rebuilds the series from the first 24 records of the mode's array: History
// fills from slot 1 upwards, Today from slot 24 downwards, gaps in whole
// hours. A record whose slot would fall outside 1..24 is skipped like one
// without a time: the next gap is measured from the last record placed.
// Gives the numbers of the cells whose values were plain numbers.
DayNumbers extractDaySeries(const JsonDocument& document, QueryMode mode, WindVariant windVariant,
                            VisibilityVariant visibilityVariant, DaySeries& series,
                            SlotTexts texts = SlotTexts::Shown);

// Appends to each slot's precipitation text the hourly intensity label of its
// amount, by the slot's temperature (done once per display, before drawing).
// `numbers`: those the extraction kept, if any.
void attachPrecipitationLabels(DaySeries& series, const DayNumbers& numbers = {});

}  // namespace skyrill
