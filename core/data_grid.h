#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/grid_colours.h"
#include "core/query_types.h"

namespace skyrill {

class JsonDocument;

// How a column writes the value of its key.
enum class CellFormat {
  ShownTime,      // the record time 8 hours later, YYYY/MM/DD HH:MM:SS
  OneDecimal,     // "%.1f" of the numeric value
  ThreeDecimals,  // "%.3f" of the numeric value
  Integer,        // the integer value
};

// One column of the data grid: its header, the record key it shows, the
// format of its cells and its width in pixels.
struct GridColumn {
  const char* header;
  const char* key;
  CellFormat format;
  int widthPx;
};

// Columns 0 to 11 in grid order.
extern const std::array<GridColumn, kGridColumnCount> kGridColumns;

// Design size of a grid row, in pixels.
inline constexpr int kGridRowHeightPx = 24;

struct GridCell {
  std::string text;                    // "" for a missing value
  std::optional<CellColours> colours;  // empty: the grid's white background, black text

  bool operator==(const GridCell&) const = default;
};

using GridRow = std::array<GridCell, kGridColumnCount>;

// The day's records as the data grid shows them.
struct DataGrid {
  std::string caption;        // the window caption
  std::vector<GridRow> rows;  // one per record, in the answer's order
};

// The grid of the records of the displayed mode's array, every record in the
// answer's order (records beyond the 24th and records whose time does not
// read included), each value formatted and coloured. A mode other than
// History and Today has no records: the grid is then empty.
DataGrid buildDataGrid(const JsonDocument& document, QueryMode displayedMode);

// The window caption: "name (wmo) 的历史天气" or "... 的天气实况".
std::string gridCaption(const JsonDocument& document, QueryMode displayedMode);

// The texts of a row, for colouring.
GridRowTexts rowTexts(const GridRow& row);

}  // namespace skyrill
