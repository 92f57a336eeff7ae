#pragma once

#include <string>

#include "core/data_grid.h"

namespace skyrill {

// The data grid as text, one line per grid row: the caption, the headers,
// then one line per record. Cells are joined by tabs; a coloured cell is its
// text, "@" and its background as "#rrggbb", with "/#ffffff" after that when
// its text is white. Tabs and line breaks inside a text become spaces.
std::string formatGridReport(const DataGrid& grid);

}  // namespace skyrill
