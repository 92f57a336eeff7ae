#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The severity colours of the data grid's cells.
namespace skyrill {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const Rgb&) const = default;
};

// What a colour rule gives a cell: a background, and white text where the
// rule asks for it (black otherwise).
struct CellColours {
  Rgb background;
  bool whiteText = false;

  bool operator==(const CellColours&) const = default;
};

inline constexpr int kGridColumnCount = 12;

// The texts of one grid row, columns 0 to 11, as they stand in the grid.
using GridRowTexts = std::array<std::string, kGridColumnCount>;
// The colours the rules give each cell of a row; empty where no rule applies.
using GridRowColours = std::array<std::optional<CellColours>, kGridColumnCount>;

// Colours temperature (1), precipitation (2), humidity (3), visibility (4)
// and the two wind speeds (6, 10) from the row's texts. An empty text is
// never coloured. Precipitation takes its scale from the temperature text of
// the row, visibility its dry test from the humidity text.
GridRowColours colourGridRow(const GridRowTexts& texts);

// True for the columns colourGridRow can colour.
bool isColouredGridColumn(std::size_t column);

}  // namespace skyrill
