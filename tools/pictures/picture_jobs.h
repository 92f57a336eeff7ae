#pragma once

#include <cstddef>
#include <string>
#include <system_error>

// What a tool hands the pictures module: the pictures to draw and their
// files. The module is built with the tools from the same sources, so the
// two sides agree on these types.
namespace skyrill {

struct DaySeries;
struct SummaryChartDays;
struct ComparisonPlot;

enum class PictureKind { DayChart, WindStrip, SummaryChart, ComparisonChart };

// One picture: what it shows, its file (the format by the file name's
// ending), the caption line under a day's picture (none when empty) and,
// once drawn, whether the file was written and, when it was not, why.
struct PictureJob {
  PictureKind kind = PictureKind::DayChart;
  std::string file;
  const DaySeries* day = nullptr;              // the day chart and the wind strip
  const SummaryChartDays* summary = nullptr;   // the summary chart
  const ComparisonPlot* comparison = nullptr;  // the stations side by side
  std::string caption{};                       // UTF-8
  bool written = false;
  std::error_code error{};
};

// The module's entry: draws the `count` jobs as the program `programName`.
using DrawPicturesEntry = void(PictureJob* jobs, std::size_t count, const char* programName);
inline constexpr char kPicturesModule[] = "skyrill-pictures.so";
inline constexpr char kDrawPicturesEntry[] = "skyrill_draw_pictures";

}  // namespace skyrill
