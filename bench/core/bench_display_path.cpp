// The display path of one answer, whole and stage by stage, on a realistic
// 24-record day; its floor, the same work written plainly on simdjson's On
// Demand; the parse of large and hostile shapes with its peak memory; and a
// plain Python script doing the same display path, as a yardstick.

#include <malloc.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include "core/answer_check.h"
#include "core/classifications.h"
#include "core/daily_summary.h"
#include "core/day_series.h"
#include "core/day_texts.h"
#include "core/numeric_text.h"
#include "core/query_pipeline.h"
#include "json/json_document.h"
#include "store/observation_files.h"

// ---- Heap accounting: the bytes live now and the most live since a reset --
// Only while a peak is being measured, so that the timed runs pay one
// branch per allocation and no more.

namespace {

std::atomic<bool> counting{false};
std::atomic<std::ptrdiff_t> liveBytes{0};
std::atomic<std::ptrdiff_t> peakBytes{0};

void* counted(void* block) {
  if (block != nullptr && counting.load(std::memory_order_relaxed)) {
    const std::ptrdiff_t live = liveBytes += static_cast<std::ptrdiff_t>(malloc_usable_size(block));
    std::ptrdiff_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
  }
  return block;
}

void release(void* block) noexcept {
  if (block == nullptr) return;
  // A block allocated before the count began lowers the live bytes below
  // where they started; the peak above the start is what is measured.
  if (counting.load(std::memory_order_relaxed)) {
    liveBytes -= static_cast<std::ptrdiff_t>(malloc_usable_size(block));
  }
  std::free(block);
}

void* allocate(std::size_t size) {
  void* block = counted(std::malloc(size == 0 ? 1 : size));
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

void* operator new(std::size_t size) {
  return allocate(size);
}
void* operator new[](std::size_t size) {
  return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return counted(std::malloc(size == 0 ? 1 : size));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return counted(std::malloc(size == 0 ? 1 : size));
}
void operator delete(void* block) noexcept {
  release(block);
}
void operator delete[](void* block) noexcept {
  release(block);
}
void operator delete(void* block, std::size_t) noexcept {
  release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  release(block);
}

namespace skyrill {
namespace {

// The most heap bytes a parse of the text holds at once, per byte of text.
double parsePeakBytesPerByte(const std::string& text) {
  JsonDocument document;
  liveBytes = 0;
  peakBytes = 0;
  counting = true;
  document.parse(text);
  counting = false;
  return static_cast<double>(peakBytes.load()) / static_cast<double>(text.size());
}

// The same for the first parse of a thread, whose parser has no buffers yet.
double firstParsePeakBytesPerByte(const std::string& text) {
  double peak = 0;
  std::thread([&] { peak = parsePeakBytesPerByte(text); }).join();
  return peak;
}

// Both figures as counters.
void countPeakBytes(benchmark::State& state, const std::string& text) {
  state.counters["firstPeakBytesPerByte"] = firstParsePeakBytesPerByte(text);
  parsePeakBytesPerByte(text);
  state.counters["peakBytesPerByte"] = parsePeakBytesPerByte(text);
}

std::string sampleAnswer() {
  return readDayFile(SKYRILL_SAMPLE_DAY);
}

const std::string& answer() {
  static const std::string text = sampleAnswer();
  return text;
}

struct ParsedDay {
  JsonDocument document;
  DaySeries series;
  DailySummary summary;
  ParsedDay() {
    document.parse(answer());
    extractDaySeries(document, QueryMode::History, WindVariant::MaxInstant,
                     VisibilityVariant::TenMinuteMean, series);
    attachPrecipitationLabels(series);
    summary = computeDailySummary(series);
  }
};

void Decode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(decodeAnswer(answer()));
}

void Parse(benchmark::State& state) {
  countPeakBytes(state, answer());
  JsonDocument document;
  for (auto _ : state) benchmark::DoNotOptimize(document.parse(answer()));
}

void Extract(benchmark::State& state) {
  ParsedDay day;
  for (auto _ : state) {
    extractDaySeries(day.document, QueryMode::History, WindVariant::MaxInstant,
                     VisibilityVariant::TenMinuteMean, day.series);
    benchmark::DoNotOptimize(day.series);
  }
}

void PrecipitationLabels(benchmark::State& state) {
  ParsedDay day;
  DaySeries extracted;
  extractDaySeries(day.document, QueryMode::History, WindVariant::MaxInstant,
                   VisibilityVariant::TenMinuteMean, extracted);
  for (auto _ : state) {
    DaySeries series = extracted;
    attachPrecipitationLabels(series);
    benchmark::DoNotOptimize(series);
  }
}

void Statistics(benchmark::State& state) {
  ParsedDay day;
  for (auto _ : state) benchmark::DoNotOptimize(computeDailySummary(day.series));
}

void LineTexts(benchmark::State& state) {
  ParsedDay day;
  for (auto _ : state) {
    benchmark::DoNotOptimize(composeDayTitle(QueryMode::History, day.document));
    benchmark::DoNotOptimize(
        composeStatusLines(day.summary, day.series.maxVisibilityClass, "2019/07/05 08:00:00"));
  }
}

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

void WholeDisplayRun(benchmark::State& state) {
  NullView view;
  QueryPipeline pipeline(view, nullptr, nullptr);
  pipeline.openDayText(answer(), "0_57083_0_20190705.json", false);
  for (auto _ : state) benchmark::DoNotOptimize(pipeline.runQuery(QueryMode::History, false, true));
}

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

std::string& fieldOf(HourlyRecord& hour, std::size_t column) {
  std::string* const fields[] = {&hour.temperature,   &hour.pressure,  &hour.humidity,
                                 &hour.windDirection, &hour.windSpeed, &hour.precipitation,
                                 &hour.visibility,    &hour.snowDepth};
  return *fields[column];
}

// A number token that is already its shortest text: plain digits with no
// zero ending a fraction, few enough for a double to keep them all, not
// below 0.000001 and not minus zero. Trailing white space is left out.
std::optional<std::string_view> shortestForm(std::string_view token) {
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
void readScalar(ondemand::value value, std::string& text, double* number = nullptr) {
  text.clear();
  if (number != nullptr) *number = 0;
  ondemand::json_type type;
  if (value.type().get(type) != simdjson::SUCCESS) return;
  if (type == ondemand::json_type::number) {
    const std::string_view token = value.raw_json_token();
    double read = 0;
    if (value.get_double().get(read) != simdjson::SUCCESS) return;
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
std::size_t columnOf(std::string_view key) {
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
    for (auto member : root) {
      ondemand::field field;
      std::string_view key;
      if (std::move(member).get(field) != simdjson::SUCCESS ||
          field.unescaped_key().get(key) != simdjson::SUCCESS) {
        return false;
      }
      if (key == "date") {
        readScalar(field.value(), date_);
      } else if (key == "wmo") {
        readScalar(field.value(), wmo_);
      } else if (key == "res") {
        ondemand::array records;
        if (field.value().get_array().get(records) != simdjson::SUCCESS) return false;
        hasRecords = readRecords(records);
      }
    }
    return hasRecords;
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
    for (auto member : object) {
      ondemand::field field;
      std::string_view key;
      if (std::move(member).get(field) != simdjson::SUCCESS ||
          field.unescaped_key().get(key) != simdjson::SUCCESS) {
        return;
      }
      if (const std::size_t column = columnOf(key); column != kNoColumn) {
        readScalar(field.value(), record_.texts[column], &record_.numbers[column]);
      } else if (key == "time") {
        readScalar(field.value(), record_.time);
      } else if (key == "name" && readsName_) {
        readScalar(field.value(), record_.name);
      } else if (key == "acc") {
        readAcc(field.value());
      }
    }
  }

  void readAcc(ondemand::value value) {
    ondemand::object acc;
    if (value.get_object().get(acc) != simdjson::SUCCESS) return;
    for (auto member : acc) {
      ondemand::field field;
      std::string_view key;
      if (std::move(member).get(field) != simdjson::SUCCESS ||
          field.unescaped_key().get(key) != simdjson::SUCCESS) {
        return;
      }
      if (const std::size_t column = columnOf(key); column != kNoColumn) {
        readScalar(field.value(), record_.acc[column]);
      }
    }
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
        if (isGreater(t, day.maxTemperature)) day.maxTemperature = t;
        if (isLess(t, day.minTemperature)) day.minTemperature = t;
        day.temperatureSum += t;
        ++day.temperatureCount;
        if (day.wetSlots[i]) {
          day.wetTemperatureSum += t;
          ++day.wetTemperatureCount;
        }
      }
      if (cover(hour.pressure, day.pressureCoverage)) {
        const double p = number[kP];
        if (isGreater(p, day.maxPressure)) day.maxPressure = p;
        if (isLess(p, day.minPressure)) day.minPressure = p;
        day.pressureSum += p;
        ++day.pressureCount;
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

bool showsAsThePipeline(const DisplayFloor& floor) {
  KeepingView view;
  QueryPipeline pipeline(view, nullptr, nullptr);
  if (!pipeline.openDayText(answer(), "0_57083_0_20190705.json", false)) return false;
  const auto sameLine = [](const StatusLine& a, const StatusLine& b) {
    return a.bar == b.bar && a.panel == b.panel && a.text == b.text;
  };
  return view.series.hours == floor.series.hours &&
         view.series.maxVisibilityClass == floor.series.maxVisibilityClass &&
         view.title == floor.title &&
         std::equal(view.lines.begin(), view.lines.end(), floor.lines.begin(), sameLine);
}

void WholeDisplayFloor(benchmark::State& state) {
  DisplayFloor floor;
  if (!floor.run(answer()) || !showsAsThePipeline(floor)) {
    state.SkipWithError("the floor does not show what the pipeline shows");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(floor.run(answer()));
}

// ---- The same display path as a plain Python script ------------------------

// Runs the peer script once on the sample answer and reports its medians (in
// microseconds) as counters; the time of this benchmark means nothing.
void PythonPeer(benchmark::State& state) {
  const std::string command = "python3 " SKYRILL_PYTHON_PEER " " SKYRILL_SAMPLE_DAY " 2>/dev/null";
  for (auto _ : state) {
    FILE* output = popen(command.c_str(), "r");
    if (output == nullptr) {
      state.SkipWithError("python3 did not start");
      return;
    }
    char stage[64];
    double micros = 0;
    while (std::fscanf(output, "%63s %lf", stage, &micros) == 2) {
      state.counters[std::string(stage) + "Us"] = micros;
    }
    if (pclose(output) != 0) state.SkipWithError("the peer script failed");
  }
}

// ---- Large and hostile shapes -----------------------------------------------

// One object of `members` number members with distinct names of one length,
// so that its size grows as the number of members.
std::string wideObject(int members) {
  std::string text = "{";
  for (int i = 0; i < members; ++i) {
    if (i > 0) text += ',';
    char member[32];
    std::snprintf(member, sizeof member, "\"m%06d\":%d", i, i % 1000);
    text += member;
  }
  return text + "}";
}

// [0,0,...,0] of about `bytes` bytes.
std::string zeroArray(std::size_t bytes) {
  std::string text = "[0";
  text.reserve(bytes + 1);
  while (text.size() + 3 <= bytes) text += ",0";
  return text + "]";
}

// An answer of `count` records shaped like the sample's.
std::string manyRecords(int count) {
  const std::string& sample = answer();
  const std::size_t first = sample.find("[{") + 1;
  const std::string record = sample.substr(first, sample.find("},{", first) + 1 - first);
  std::string text = "{\"date\":\"2019-07-05\",\"wmo\":\"57083\",\"res\":[";
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ',';
    text += record;
  }
  return text + "]}";
}

void parseShape(benchmark::State& state, const std::string& text) {
  countPeakBytes(state, text);
  state.counters["inputBytes"] = static_cast<double>(text.size());
  JsonDocument document;
  for (auto _ : state) benchmark::DoNotOptimize(document.parse(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void ParseWideObject(benchmark::State& state) {
  parseShape(state, wideObject(static_cast<int>(state.range(0))));
}

void ParseZeroArray(benchmark::State& state) {
  parseShape(state, zeroArray(static_cast<std::size_t>(state.range(0))));
}

void ParseManyRecords(benchmark::State& state) {
  parseShape(state, manyRecords(static_cast<int>(state.range(0))));
}

BENCHMARK(Decode);
BENCHMARK(Parse);
BENCHMARK(Extract);
BENCHMARK(PrecipitationLabels);
BENCHMARK(Statistics);
BENCHMARK(LineTexts);
BENCHMARK(WholeDisplayRun);
BENCHMARK(WholeDisplayFloor);
BENCHMARK(PythonPeer)->Iterations(1);
BENCHMARK(ParseWideObject)->Arg(20'000)->Arg(100'000)->Arg(200'000)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseZeroArray)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseManyRecords)->Arg(10'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skyrill

BENCHMARK_MAIN();
