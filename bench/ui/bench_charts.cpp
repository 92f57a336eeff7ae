// Drawing the chart and the wind strip for a full day: every slot has every
// element, the winds cover the icon table and turn in all directions.
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/day_series.h"
#include "ui/day_chart.h"
#include "ui/summary_chart.h"
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

// Ten years of days at a station with four seasons, every day with its
// temperatures, some rain or snow, and a visibility class.
skyrill::SummaryChartDays tenYears() {
  skyrill::SummaryChartDays chart;
  chart.caption = "哈尔滨 50953";
  chart.first = 20150101;
  chart.last = 20241231;
  const std::chrono::sys_days first{std::chrono::year(2015) / 1 / 1};
  for (int i = 0; i < 3653; ++i) {
    const std::chrono::year_month_day date(first + std::chrono::days(i));
    skyrill::SummaryRow row;
    row.station = "50953";
    row.date = static_cast<int>(date.year()) * 10000 +
               static_cast<int>(unsigned(date.month())) * 100 +
               static_cast<int>(unsigned(date.day()));
    const double season = 20 * std::sin(i * 2 * 3.14159 / 365.25 - 1.8);
    row.figures.highestTemperature = season + 5 + i % 7;
    row.figures.lowestTemperature = season - 5 - i % 5;
    const double amount = i % 4 == 0 ? i % 37 : 0;
    row.figures.precipitationTotal = amount;
    row.figures.precipitation[static_cast<std::size_t>(i % 3)] = amount;
    row.figures.visibilityClass = i % 13;
    chart.days.push_back(row);
  }
  return chart;
}

void BM_DrawSummaryChartTenYears(benchmark::State& state) {
  const skyrill::SummaryChartDays chart = tenYears();
  for (auto _ : state) benchmark::DoNotOptimize(skyrill::drawSummaryChart(chart));
}
BENCHMARK(BM_DrawSummaryChartTenYears)->Unit(benchmark::kMillisecond);

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
