#pragma once

// The display path's floor, shared by the benchmarks that measure against
// it: the same work as the window's display of a history answer, written
// plainly on simdjson's On Demand, and the check that it shows what the
// pipeline shows.

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <simdjson.h>

#include "core/classifications.h"
#include "core/daily_summary.h"
#include "core/day_series.h"
#include "core/day_texts.h"
#include "core/numeric_text.h"
#include "core/query_pipeline.h"

namespace skyrill::bench {

// A window that shows nothing: the whole run without drawing.
struct NullView : QueryView {
  QueryRequest readRequest() override { return {}; }
  void setFetchEnabled(bool) override {}
  void showMessage(const UserMessage&) override {}
  void showVariantCaptions(const std::string&, const std::string&) override {}
  void drawDay(const DaySeries&) override {}
  void showTitle(const std::string&) override {}
  void showStatusLines(const std::array<StatusLine, kStatusLineCount>&) override {}
};

// ---- The floor: the same work written plainly on On Demand -----------------
// What the whole run could cost at least: the answer read once with
// simdjson's On Demand straight into the 24 slots, then the statistics and
// the texts, with no tree and no path in between. Only the class rules and
// the number texts are the program's own. It is checked to show what the
// pipeline shows before it is timed.

namespace ondemand = simdjson::ondemand;

// The keys of a slot's fields after its time, in HourlyRecord's order.
constexpr std::array<std::string_view, 8> kFloorKeys = {"T",         "P",   "RH",   "WD0mMAX1h",
                                                        "WS0mMAX1h", "R1h", "V10m", "SD"};
enum FloorColumn : std::size_t { kT, kP, kRH, kWD, kWS, kR1h, kV, kSD };

inline std::string& fieldOf(HourlyRecord& hour, std::size_t column) {
  std::string* const fields[] = {&hour.temperature,   &hour.pressure,  &hour.humidity,
                                 &hour.windDirection, &hour.windSpeed, &hour.precipitation,
                                 &hour.visibility,    &hour.snowDepth};
  return *fields[column];
}

// A number token that is already its shortest text: plain digits with no
// zero ending a fraction, few enough for a double to keep them all, not
// below 0.000001 and not minus zero. Trailing white space is left out.
inline std::optional<std::string_view> shortestForm(std::string_view token) {
  std::size_t end = 0;
  bool point = false;
  for (; end < token.size(); ++end) {
    const char c = token[end];
    if (c == '.') {
      point = true;
    } else if (!(c >= '0' && c <= '9') && !(c == '-' && end == 0)) {
      break;
    }
  }
  if (end < token.size() && token[end] != ' ' && token[end] != '\n' && token[end] != '\r' &&
      token[end] != '\t') {
    return std::nullopt;  // an exponent
  }
  token = token.substr(0, end);
  const std::string_view magnitude = token.starts_with('-') ? token.substr(1) : token;
  if (magnitude.empty() || magnitude.size() > 15) return std::nullopt;
  if (point ? token.back() == '0' || magnitude.starts_with("0.00000") : token == "-0") {
    return std::nullopt;
  }
  return token;
}

// The text of a scalar, and its number when asked; "" and 0 for null,
// objects and arrays.
inline void readScalar(ondemand::value value, std::string& text, double* number = nullptr) {
  text.clear();
  if (number != nullptr) *number = 0;
  ondemand::json_type type;
  if (value.type().get(type) != simdjson::SUCCESS) return;
  if (type == ondemand::json_type::number) {
    const std::string_view token = value.raw_json_token();
    double read = 0;
    if (value.get_double().get(read) != simdjson::SUCCESS) return;
    if (read == 0) read = 0;  // -0 is written "0" and read back as 0
    if (const auto shortest = shortestForm(token)) {
      text.append(*shortest);
    } else {
      text = formatJsonNumber(read);
    }
    if (number != nullptr) *number = read;
  } else if (type == ondemand::json_type::string) {
    std::string_view string;
    if (value.get_string().get(string) != simdjson::SUCCESS) return;
    text.append(string);
    if (number != nullptr) *number = numericValue(string);
  } else if (type == ondemand::json_type::boolean) {
    bool flag = false;
    if (value.get_bool().get(flag) == simdjson::SUCCESS) text = flag ? "true" : "false";
  }
}

// The column of a key, found by its length and bytes; kNoColumn for a key
// of no column (a plain index: an optional returned in registers stalls).
constexpr std::size_t kNoColumn = kFloorKeys.size();
inline std::size_t columnOf(std::string_view key) {
  const auto is = [key](std::size_t column) {
    return std::memcmp(key.data(), kFloorKeys[column].data(), kFloorKeys[column].size()) == 0;
  };
  switch (key.size()) {
    case 1:
      if (key[0] == 'T') return kT;
      if (key[0] == 'P') return kP;
      break;
    case 2:
      if (is(kRH)) return kRH;
      if (is(kSD)) return kSD;
      break;
    case 3:
      if (is(kR1h)) return kR1h;
      break;
    case 4:
      if (is(kV)) return kV;
      break;
    case 9:
      if (is(kWD)) return kWD;
      if (is(kWS)) return kWS;
      break;
  }
  return kNoColumn;
}

// Hands each member's name and value to `read` until it says stop; false
// when a member does not read or `read` stopped.
template <class Read>
bool forEachMember(ondemand::object& object, Read&& read) {
  for (auto member : object) {
    ondemand::field field;
    std::string_view key;
    if (std::move(member).get(field) != simdjson::SUCCESS ||
        field.unescaped_key().get(key) != simdjson::SUCCESS || !read(key, field.value())) {
      return false;
    }
  }
  return true;
}

// One record as read, before its slot is known.
struct FloorRecord {
  std::string time;
  std::array<std::string, kFloorKeys.size()> texts;
  std::array<std::string, kFloorKeys.size()> acc;
  std::array<double, kFloorKeys.size()> numbers{};
  std::string name;
};

class DisplayFloor {
 public:
  DisplayFloor() { padded_.reserve(16 * 1024); }

  // The whole display of a history answer; false when it has no records.
  bool run(std::string_view text) {
    series.clear();
    numbers_ = {};
    padded_.reserve(text.size() + simdjson::SIMDJSON_PADDING);
    padded_.assign(text);
    ondemand::document document;
    ondemand::object root;
    if (parser_.iterate(padded_).get(document) != simdjson::SUCCESS ||
        document.get_object().get(root) != simdjson::SUCCESS || !readRoot(root)) {
      return false;
    }
    for (std::size_t i = 0; i < series.hours.size(); ++i) {
      const bool hasTemperature = !series.hours[i].temperature.empty();
      series.hours[i].precipitation += hourlyPrecipitationLabel(
          numbers_[i][kR1h], hasTemperature ? std::optional(numbers_[i][kT]) : std::nullopt);
    }
    title = "历史天气\r\n" + date_ + "\r\n" + name_ + " " + wmo_;
    lines = composeStatusLines(summarise(), series.maxVisibilityClass, kLocalFileLabel);
    return true;
  }

  DaySeries series;
  std::string title;
  std::array<StatusLine, kStatusLineCount> lines;

 private:
  bool readRoot(ondemand::object& root) {
    bool hasRecords = false;
    bool readsWhole = true;
    const bool membersRead = forEachMember(root, [&](std::string_view key, ondemand::value value) {
      if (key == "date") {
        readScalar(value, date_);
      } else if (key == "wmo") {
        readScalar(value, wmo_);
      } else if (key == "res") {
        ondemand::array records;
        readsWhole = value.get_array().get(records) == simdjson::SUCCESS;
        if (readsWhole) hasRecords = readRecords(records);
      }
      return readsWhole;
    });
    return membersRead && hasRecords;
  }

  bool readRecords(ondemand::array& records) {
    int index = 0;
    std::optional<LocalSeconds> previous;
    int slot = 1;
    for (auto element : records) {
      if (index++ == kSlotCount) break;
      ondemand::object object;
      if (element.get_object().get(object) != simdjson::SUCCESS) return false;
      readsName_ = index == 1;  // the title shows the first record's name
      readRecord(object);
      if (index == 1) {
        if (record_.time.empty()) return false;
        name_ = record_.name;
      }
      const auto time = shiftedRecordTime(record_.time);
      if (!time) continue;
      const long long target =
          previous
              ? slot + std::chrono::duration_cast<std::chrono::hours>(*time - *previous).count()
              : slot;
      if (target < 1 || target > kSlotCount) continue;
      slot = static_cast<int>(target);
      previous = time;
      place(*time, series.slot(slot), numbers_[static_cast<std::size_t>(slot - 1)]);
    }
    return index > 0;
  }

  void readRecord(ondemand::object& object) {
    record_.time.clear();
    record_.name.clear();
    for (std::size_t i = 0; i < kFloorKeys.size(); ++i) {
      record_.texts[i].clear();
      record_.acc[i].clear();
      record_.numbers[i] = 0;
    }
    forEachMember(object, [this](std::string_view key, ondemand::value value) {
      if (const std::size_t column = columnOf(key); column != kNoColumn) {
        readScalar(value, record_.texts[column], &record_.numbers[column]);
      } else if (key == "time") {
        readScalar(value, record_.time);
      } else if (key == "name" && readsName_) {
        readScalar(value, record_.name);
      } else if (key == "acc") {
        readAcc(value);
      }
      return true;
    });
  }

  void readAcc(ondemand::value value) {
    ondemand::object acc;
    if (value.get_object().get(acc) != simdjson::SUCCESS) return;
    forEachMember(acc, [this](std::string_view key, ondemand::value value) {
      if (const std::size_t column = columnOf(key); column != kNoColumn) {
        readScalar(value, record_.acc[column]);
      }
      return true;
    });
  }

  void place(LocalSeconds time, HourlyRecord& hour,
             std::array<double, kFloorKeys.size()>& numbers) {
    assignShownTime(time, hour.timeText);
    for (std::size_t i = 0; i < kFloorKeys.size(); ++i) {
      std::string& text = fieldOf(hour, i);
      text.swap(record_.texts[i]);
      if (!record_.acc[i].empty()) text.append(" {").append(record_.acc[i]).append("}");
    }
    numbers = record_.numbers;
    if (!hour.windSpeed.empty()) hour.windSpeed += windForceLabel(numbers[kWS]);
    if (!hour.visibility.empty()) {
      const int visibility =
          visibilityClass(numbers[kV], static_cast<long long>(std::trunc(numbers[kRH])));
      hour.visibility += visibilityClassLabel(visibility);
      series.maxVisibilityClass = std::max(series.maxVisibilityClass, visibility);
    }
  }

  DailySummary summarise() const {
    DailySummary day;
    for (std::size_t i = 0; i < series.hours.size(); ++i) {
      const HourlyRecord& hour = series.hours[i];
      const auto& number = numbers_[i];
      const auto addToRange = [](double value, double& max, double& min, double& sum, int& count) {
        if (isGreater(value, max)) max = value;
        if (isLess(value, min)) min = value;
        sum += value;
        ++count;
      };
      const auto cover = [](const std::string& text, ElementCoverage& coverage) {
        (text.empty() ? coverage.incomplete : coverage.present) = true;
        return !text.empty();
      };
      cover(hour.precipitation, day.precipitationCoverage);
      if (isGreater(number[kR1h], 0)) {
        day.totalPrecipitation += number[kR1h];
        day.wetSlots[i] = true;
      }
      day.maxHourlyPrecipitation = isGreater(number[kR1h], day.maxHourlyPrecipitation)
                                       ? number[kR1h]
                                       : day.maxHourlyPrecipitation;
      if (cover(hour.temperature, day.temperatureCoverage)) {
        const double t = number[kT];
        addToRange(t, day.maxTemperature, day.minTemperature, day.temperatureSum,
                   day.temperatureCount);
        if (day.wetSlots[i]) {
          day.wetTemperatureSum += t;
          ++day.wetTemperatureCount;
        }
      }
      if (cover(hour.pressure, day.pressureCoverage)) {
        addToRange(number[kP], day.maxPressure, day.minPressure, day.pressureSum,
                   day.pressureCount);
      }
      if (cover(hour.visibility, day.visibilityCoverage) && isAtLeast(number[kV], 0) &&
          isLess(number[kV], day.minVisibility)) {
        day.minVisibility = number[kV];
      }
      cover(hour.windSpeed, day.windSpeedCoverage);
      if (isGreater(number[kWS], day.maxWindSpeed)) day.maxWindSpeed = number[kWS];
    }
    if (day.wetTemperatureCount > 0) {
      day.dayPrecipitationLabel = dailyPrecipitationLabel(
          day.totalPrecipitation, day.wetTemperatureSum / day.wetTemperatureCount);
      day.maxHourlyLabel = hourlyPrecipitationLabel(day.maxHourlyPrecipitation, "");
    }
    day.maxWindForceLabel = windForceLabel(day.maxWindSpeed);
    return day;
  }

  ondemand::parser parser_;
  std::string padded_;
  FloorRecord record_;
  bool readsName_ = false;
  std::array<std::array<double, kFloorKeys.size()>, kSlotCount> numbers_{};
  std::string date_;
  std::string wmo_;
  std::string name_;
};

// A window that keeps what it is shown.
struct KeepingView : NullView {
  DaySeries series;
  std::string title;
  std::array<StatusLine, kStatusLineCount> lines;
  void drawDay(const DaySeries& shown) override { series = shown; }
  void showTitle(const std::string& shown) override { title = shown; }
  void showStatusLines(const std::array<StatusLine, kStatusLineCount>& shown) override {
    lines = shown;
  }
};

inline bool showsAsThePipeline(const DisplayFloor& floor, std::string_view bytes,
                               std::string_view fileName) {
  KeepingView view;
  QueryPipeline pipeline(view, nullptr, nullptr);
  if (!pipeline.openDayText(bytes, fileName, false)) return false;
  const auto sameLine = [](const StatusLine& a, const StatusLine& b) {
    return a.bar == b.bar && a.panel == b.panel && a.text == b.text;
  };
  return view.series.hours == floor.series.hours &&
         view.series.maxVisibilityClass == floor.series.maxVisibilityClass &&
         view.title == floor.title &&
         std::equal(view.lines.begin(), view.lines.end(), floor.lines.begin(), sameLine);
}

}  // namespace skyrill::bench
