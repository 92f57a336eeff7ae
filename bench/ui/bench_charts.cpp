// Drawing the chart and the wind strip for a full day: every slot has every
// element, the winds cover the icon table and turn in all directions.
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/day_series.h"
#include "ui/day_chart.h"
#include "ui/wind_strip.h"

namespace {

using skyrill::DaySeries;

std::string decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

DaySeries fullDay() {
  DaySeries series;
  for (int i = 1; i <= skyrill::kSlotCount; ++i) {
    skyrill::HourlyRecord& hour = series.slot(i);
    hour.timeText = "2019/07/05 " + std::string(i < 10 ? "0" : "") + std::to_string(i) + ":00:00";
    hour.temperature = decimal(i % 6 == 0 ? 1.0 : 20.0 + i * 0.5);
    hour.pressure = decimal(1000.0 + i * 0.3);
    hour.humidity = std::to_string(50 + i);
    hour.windDirection = std::to_string(i * 37 % 360);
    hour.windSpeed = decimal(i * 2.1) + "（5级）";
    hour.precipitation = decimal(i % 4 * 2.5) + "（中）";
    hour.visibility = decimal(i * 0.4) + "（轻雾）";
    hour.snowDepth = std::to_string(i % 5);
  }
  return series;
}

void BM_DrawDayChart(benchmark::State& state) {
  const DaySeries series = fullDay();
  for (auto _ : state) benchmark::DoNotOptimize(skyrill::drawDayChart(series));
}
BENCHMARK(BM_DrawDayChart)->Unit(benchmark::kMillisecond);

void BM_DrawWindStrip(benchmark::State& state) {
  const DaySeries series = fullDay();
  for (auto _ : state) benchmark::DoNotOptimize(skyrill::drawWindStrip(series));
}
BENCHMARK(BM_DrawWindStrip)->Unit(benchmark::kMillisecond);

}  // namespace

// Text drawing needs a QGuiApplication.
int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
