#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/daily_summary.h"
#include "core/query_types.h"

namespace skyrill {

class JsonDocument;

// Source label of a day opened from a file.
inline constexpr std::string_view kLocalFileLabel = "本地文件";

// The title label's text: kind of data, date, station name and WMO number,
// separated by "\r\n".
std::string composeDayTitle(QueryMode mode, const JsonDocument& document);

// The caption line a picture handed on may carry: station, date, kind of
// data and source, e.g. "杭州 58453　2019-07-05　历史天气　来源：数据服务（2019/07/06
// 08:00:00 获取）", or "来源：本地文件" for a day opened from a file.
std::string composePictureCaption(QueryMode mode, const JsonDocument& document,
                                  std::string_view sourceLabel);

// One status-bar panel text and where it goes (bar 1..3, panel from 0).
struct StatusLine {
  int bar = 0;
  int panel = 0;
  std::string text;
};

inline constexpr int kStatusLineCount = 11;

// The eleven panel texts, in the order they are written.
std::array<StatusLine, kStatusLineCount> composeStatusLines(const DailySummary& summary,
                                                            int maxVisibilityClass,
                                                            std::string_view sourceLabel);

// What one panel shows of a summed-up day: the value as written, the class
// label and whether some hour lacked the element; `present` is false when
// the panel says there is no data. The panel text is its caption, then the
// value, unit, "*" when incomplete and the label, or the no-data text.
struct PanelFigure {
  bool present = true;
  bool incomplete = false;
  std::string value;
  std::string label;
};

// The eleven panels' figures, in bar order (that of initialStatusLines()).
std::array<PanelFigure, kStatusLineCount> composePanelFigures(const DailySummary& summary,
                                                              int maxVisibilityClass,
                                                              std::string_view sourceLabel);

// The unit the panel at `barIndex` writes after its value ("℃"); none for
// the fetch time.
std::string_view panelUnit(std::size_t barIndex);

// The panel captions shown before the first day, in bar order.
std::array<StatusLine, kStatusLineCount> initialStatusLines();

}  // namespace skyrill
