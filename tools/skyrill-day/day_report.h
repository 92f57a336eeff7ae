#pragma once

#include <array>
#include <string>

#include "core/day_series.h"
#include "core/day_texts.h"

namespace skyrill {

// The report of a shown day, one item per line: the title's three lines, the
// eleven panels in bar order and, with slots, the 24 slots' nine texts joined
// by tabs.
std::string formatDayReport(const std::string& title,
                            const std::array<StatusLine, kStatusLineCount>& lines,
                            const DaySeries* slots);

// A message's text with its "\r\n" line breaks as "\n".
std::string plainLines(std::string_view text);

}  // namespace skyrill
