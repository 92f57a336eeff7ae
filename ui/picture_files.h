#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <system_error>

#include "core/day_series.h"
#include "core/picture_format.h"

class QPainter;

// The day's pictures written to files, in the format the file name's ending
// asks for (pictureFormatOf): a PNG or JPEG image, an SVG drawing, a one-page
// PDF the picture's size (in points). SVG and PDF hold the same drawing as
// vector graphics (the wind barbs stay images).
namespace skyrill {

// The height of the caption line a picture handed on may carry under it.
inline constexpr int kCaptionHeight = 20;

// False when the file cannot be written or its name has no picture ending;
// `error`, when given, then tells why the file could not be written.
// A caption, when given, is a line of text under the picture, which grows by
// kCaptionHeight; without one the picture is the window's.
bool saveDayChart(const DaySeries& series, const QString& path, const QString& caption = {},
                  std::error_code* error = nullptr);
bool saveWindStrip(const DaySeries& series, const QString& path, const QString& caption = {},
                   std::error_code* error = nullptr);

struct SummaryChartDays;
bool saveSummaryChart(const SummaryChartDays& chart, const QString& path,
                      std::error_code* error = nullptr);

// Any picture of the given size: `paint` draws it on the SVG or PDF page,
// `image` gives the PNG's or JPEG's image.
bool savePicture(const QString& path, QSize size, const std::function<void(QPainter&)>& paint,
                 const std::function<QImage()>& image, const QString& caption = {},
                 std::error_code* error = nullptr);

}  // namespace skyrill
