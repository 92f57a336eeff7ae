#pragma once

#include <QString>

#include "core/day_series.h"

// The day's pictures written to files, in the format the file name's ending
// asks for: ".svg" an SVG drawing, ".pdf" a one-page PDF the picture's size
// (in points), anything else a PNG image. SVG and PDF hold the same drawing
// as vector graphics (the wind barbs stay images).
namespace skyrill {

// False when the file cannot be written.
bool saveDayChart(const DaySeries& series, const QString& path);
bool saveWindStrip(const DaySeries& series, const QString& path);

}  // namespace skyrill
