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

// Years of days at a station with four seasons, every day with its
// temperatures, some rain or snow, and a visibility class.
skyrill::SummaryChartDays yearsOfDays(int firstYear, int years) {
  skyrill::SummaryChartDays chart;
  chart.caption = "哈尔滨 50953";
  chart.first = firstYear * 10000 + 101;
  chart.last = (firstYear + years - 1) * 10000 + 1231;
  const std::chrono::sys_days first{std::chrono::year(firstYear) / 1 / 1};
  const std::chrono::sys_days end{std::chrono::year(firstYear + years) / 1 / 1};
  for (int i = 0; first + std::chrono::days(i) < end; ++i) {
    const std::chrono::year_month_day date(first + std::chrono::days(i));
    skyrill::SummaryRow row;
    row.station = "50953";
    row.date = static_cast<int>(date.year()) * 10000 +
               static_cast<int>(unsigned(date.month())) * 100 +
               static_cast<int>(unsigned(date.day()));
    // A slow warming, so that later years hold records.
    const double season = 20 * std::sin(i * 2 * 3.14159 / 365.25 - 1.8) + i * 0.0001;
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
  const skyrill::SummaryChartDays chart = yearsOfDays(2015, 10);
  for (auto _ : state) benchmark::DoNotOptimize(skyrill::drawSummaryChart(chart));
}
BENCHMARK(BM_DrawSummaryChartTenYears)->Unit(benchmark::kMillisecond);

// The days as the climate takes them.
skyrill::StationDays stationDaysOf(const skyrill::SummaryChartDays& chart) {
  std::vector<skyrill::ClimateDay> days;
  for (const skyrill::SummaryRow& row : chart.days) {
    skyrill::ClimateDay day;
    day.date = row.date;
    day.values = {row.figures.highestTemperature, row.figures.lowestTemperature,
                  row.figures.meanTemperature, row.figures.precipitationTotal};
    days.push_back(day);
  }
  return skyrill::StationDays(std::move(days));
}

// Thirty years drawn without and with the band of normals and the record
// marks (range(0) 1); the band and the records are made beforehand, off the
// drawing, as the overview makes them while it reads.
void BM_DrawSummaryChartThirtyYears(benchmark::State& state) {
  skyrill::SummaryChartDays chart = yearsOfDays(1991, 30);
  if (state.range(0) == 1) {
    const skyrill::StationDays days = stationDaysOf(chart);
    chart.normals = skyrill::normalBand(days, {chart.first, chart.last});
    chart.records = skyrill::recordDays(days, {chart.first, chart.last});
  }
  for (auto _ : state) benchmark::DoNotOptimize(skyrill::drawSummaryChart(chart));
  state.counters["normalDays"] = static_cast<double>(chart.normals.size());
  state.counters["recordDays"] = static_cast<double>(chart.records.size());
}
BENCHMARK(BM_DrawSummaryChartThirtyYears)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
