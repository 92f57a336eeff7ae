#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

#include <string>
#include <vector>

#include "archive/daily_normals.h"
#include "archive/day_figures.h"
#include "ui/chart_axes.h"

class QPainter;

namespace skyrill {

inline constexpr int kSummaryChartWidth = 960;
inline constexpr int kSummaryChartHeight = 480;

// One station's days over a period, for the summary chart.
struct SummaryChartDays {
  std::string caption;           // e.g. "哈尔滨 50953"
  int first = 0;                 // YYYYMMDD, inclusive
  int last = 0;                  // YYYYMMDD, inclusive
  std::vector<SummaryRow> days;  // rows of the station within the period
  // Behind the temperatures: the daily normals of the highest and lowest
  // temperature, on the days that have them; no band when empty.
  std::vector<NormalBandDay> normals{};
  // Days of the period that hold a record of their calendar day, marked.
  std::vector<RecordDay> records{};
};

// The chart: the daily highest and lowest temperature as a band, over the
// band of their normals where there is one, the daily precipitation as bars
// split by the phase of each hour, the day's highest visibility class as a
// strip of colours, and a date axis; days without a file stay empty. Days
// that hold a record have a mark: a red triangle over the highest
// temperature, a blue one under the lowest, a navy one over the
// precipitation.
void paintSummaryChart(QPainter& painter, const SummaryChartDays& chart);
QImage drawSummaryChart(const SummaryChartDays& chart);

// The labels of the chart's date axis.
std::vector<DateLabel> summaryDateLabels(const SummaryChartDays& chart);

}  // namespace skyrill
