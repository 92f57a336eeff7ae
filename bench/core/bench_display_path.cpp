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

#include "bench/core/display_floor.h"
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

using bench::DisplayFloor;
using bench::NullView;
using bench::showsAsThePipeline;

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

void WholeDisplayRun(benchmark::State& state) {
  NullView view;
  QueryPipeline pipeline(view, nullptr, nullptr);
  pipeline.openDayText(answer(), "0_57083_0_20190705.json", false);
  for (auto _ : state) benchmark::DoNotOptimize(pipeline.runQuery(QueryMode::History, false, true));
}

void WholeDisplayFloor(benchmark::State& state) {
  DisplayFloor floor;
  if (!floor.run(answer()) || !showsAsThePipeline(floor, answer(), "0_57083_0_20190705.json")) {
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
