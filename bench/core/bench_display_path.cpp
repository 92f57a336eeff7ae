// The display path of one answer, whole and stage by stage, on a realistic
// 24-record day.

#include <benchmark/benchmark.h>

#include "core/answer_check.h"
#include "core/daily_summary.h"
#include "core/day_series.h"
#include "core/day_texts.h"
#include "core/query_pipeline.h"
#include "json/json_document.h"
#include "store/observation_files.h"

namespace skyrill {
namespace {

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

BENCHMARK(Decode);
BENCHMARK(Parse);
BENCHMARK(Extract);
BENCHMARK(PrecipitationLabels);
BENCHMARK(Statistics);
BENCHMARK(LineTexts);
BENCHMARK(WholeDisplayRun);

}  // namespace
}  // namespace skyrill

BENCHMARK_MAIN();
