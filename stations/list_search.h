#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "stations/directory_lists.h"

// How a typed text finds an entry of the directory's lists.
namespace skyrill {

// True when the text begins with the prefix, ASCII letters compared without
// regard to case. Other letters must match as they are: the lists hold
// Chinese names, for which case does not arise.
bool beginsWithIgnoringCase(std::string_view text, std::string_view prefix);

// The first province whose display text begins with the typed text, else
// the first whose name's pinyin does (pinyinBeginsWith).
std::optional<std::size_t> findProvince(const std::vector<ProvinceEntry>& provinces,
                                        std::string_view typed);

// The first station whose display text (its city first) begins with the
// typed text, else the first whose number begins with it, else the first
// whose city's pinyin does (pinyinBeginsWith).
std::optional<std::size_t> findStation(const std::vector<StationEntry>& stations,
                                       std::string_view typed);

}  // namespace skyrill
