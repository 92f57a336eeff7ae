#pragma once

#include <string>

#include "core/data_grid.h"
#include "core/day_series.h"

// A shown day as CSV text for spreadsheets (see core/csv_text.h for the
// quoting): the numbers stand alone in their cells, so that a spreadsheet
// reads them as numbers.
namespace skyrill {

// The 24 hour slots: a header row naming each element with its unit, then one
// row per slot. Each element's value, its "acc" text and, for wind speed,
// precipitation and visibility, its class label (without the brackets) have
// columns of their own; a missing value is an empty cell.
std::string daySlotsCsv(const DaySeries& series);

// The data grid: its header row, then one row per record with the cells'
// texts; after each column the colour rules can colour, a "<header> 颜色"
// column with the cell's background as "#rrggbb", empty when uncoloured.
std::string dataGridCsv(const DataGrid& grid);

}  // namespace skyrill
