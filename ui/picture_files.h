#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

#include "core/day_series.h"

class QPainter;

// The day's pictures written to files, in the format the file name's ending
// asks for: ".svg" an SVG drawing, ".pdf" a one-page PDF the picture's size
// (in points), anything else a PNG image. SVG and PDF hold the same drawing
// as vector graphics (the wind barbs stay images).
namespace skyrill {

// False when the file cannot be written.
bool saveDayChart(const DaySeries& series, const QString& path);
bool saveWindStrip(const DaySeries& series, const QString& path);

struct SummaryChartDays;
bool saveSummaryChart(const SummaryChartDays& chart, const QString& path);

// Any picture of the given size: `paint` draws it on the SVG or PDF page,
// `image` gives the PNG's image.
bool savePicture(const QString& path, QSize size, const std::function<void(QPainter&)>& paint,
                 const std::function<QImage()>& image);

}  // namespace skyrill
