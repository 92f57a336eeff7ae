#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/daily_summary.h"
#include "core/query_types.h"

namespace skyrill {

class JsonDocument;

// The title label's text: kind of data, date, station name and WMO number,
// separated by "\r\n".
std::string composeDayTitle(QueryMode mode, const JsonDocument& document);

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

// The panel captions shown before the first day, in bar order.
std::array<StatusLine, kStatusLineCount> initialStatusLines();

}  // namespace skyrill
