#include "tools/skyrill-day/grid_report.h"

#include <cstdio>

namespace skyrill {
namespace {

// A text kept on its line and within its cell.
std::string oneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

std::string hexColour(const Rgb& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
  return text;
}

std::string cellText(const GridCell& cell) {
  std::string text = oneLine(cell.text);
  if (!cell.colours) return text;
  text += "@" + hexColour(cell.colours->background);
  if (cell.colours->whiteText) text += "/#ffffff";
  return text;
}

}  // namespace

std::string formatGridReport(const DataGrid& grid) {
  std::string report = oneLine(grid.caption) + '\n';
  for (const GridColumn& column : kGridColumns) {
    if (&column != &kGridColumns.front()) report += '\t';
    report += column.header;
  }
  report += '\n';
  for (const GridRow& row : grid.rows) {
    for (std::size_t column = 0; column < row.size(); ++column) {
      if (column > 0) report += '\t';
      report += cellText(row[column]);
    }
    report += '\n';
  }
  return report;
}

}  // namespace skyrill
