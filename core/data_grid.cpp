#include "core/data_grid.h"

#include "core/day_series.h"
#include "core/numeric_text.h"
#include "json/json_document.h"

namespace skyrill {

const std::array<GridColumn, kGridColumnCount> kGridColumns = {{
    {"数据时间", "time", CellFormat::ShownTime, 150},
    {"气温", "T", CellFormat::OneDecimal, 80},
    {"降水量", "R1h", CellFormat::OneDecimal, 80},
    {"湿度", "RH", CellFormat::Integer, 80},
    {"能见度", "V10m", CellFormat::ThreeDecimals, 80},
    {"气压", "P", CellFormat::OneDecimal, 80},
    {"极大风速", "WS0mMAX1h", CellFormat::OneDecimal, 80},
    {"极大风向", "WD0mMAX1h", CellFormat::Integer, 80},
    {"积雪深度", "SD", CellFormat::Integer, 80},
    {"天气现象", "WX", CellFormat::Integer, 80},
    {"2分钟风速", "WS2m", CellFormat::OneDecimal, 100},
    {"2分钟风向", "WD2m", CellFormat::Integer, 100},
}};

namespace {

// The record array of a mode; none for a mode without one.
std::optional<std::string_view> gridPrefix(QueryMode mode) {
  if (mode == QueryMode::History || mode == QueryMode::Today) return recordPrefix(mode);
  return std::nullopt;
}

std::string_view captionLabel(QueryMode mode) {
  switch (mode) {
    case QueryMode::History:
      return "历史天气";
    case QueryMode::Today:
      return "天气实况";
  }
  return "";
}

// A time that does not read is shown as the service sent it, so that the
// row still says what it held.
std::string timeCell(const std::string& serviceTime) {
  const auto shown = shiftedRecordTime(serviceTime);
  return shown ? formatShownTime(*shown) : serviceTime;
}

std::string formatCell(const std::string& text, CellFormat format) {
  if (text.empty()) return text;
  switch (format) {
    case CellFormat::ShownTime:
      return timeCell(text);
    case CellFormat::OneDecimal:
      return formatFixed(numericValue(text), 1);
    case CellFormat::ThreeDecimals:
      return formatFixed(numericValue(text), 3);
    case CellFormat::Integer:
      return std::to_string(integerValue(text));
  }
  return text;
}

// The names of the grid's keys, made ready once.
const JsonNames& gridKeys() {
  static const JsonNames keys = [] {
    std::array<std::string_view, kGridColumnCount> texts;
    for (std::size_t column = 0; column < texts.size(); ++column) {
      texts[column] = kGridColumns[column].key;
    }
    return JsonNames(texts);
  }();
  return keys;
}

// The cells of one record, its members found in one pass.
GridRow readRow(const JsonValue& record) {
  std::array<JsonValue, kGridColumnCount> values;
  record.members(gridKeys(), values);
  GridRow row;
  for (std::size_t column = 0; column < kGridColumns.size(); ++column) {
    row[column].text = formatCell(values[column].text(), kGridColumns[column].format);
  }
  const GridRowColours colours = colourGridRow(rowTexts(row));
  for (std::size_t column = 0; column < row.size(); ++column) row[column].colours = colours[column];
  return row;
}

}  // namespace

std::string gridCaption(const JsonDocument& document, QueryMode displayedMode) {
  const auto prefix = gridPrefix(displayedMode);
  const std::string name = prefix ? document.getText(std::string(*prefix) + "[0].name") : "";
  std::string caption = name + " (" + document.getText("wmo") + ") 的";
  caption += captionLabel(displayedMode);
  return caption;
}

GridRowTexts rowTexts(const GridRow& row) {
  GridRowTexts texts;
  for (std::size_t column = 0; column < row.size(); ++column) texts[column] = row[column].text;
  return texts;
}

DataGrid buildDataGrid(const JsonDocument& document, QueryMode displayedMode) {
  DataGrid grid;
  grid.caption = gridCaption(document, displayedMode);
  const auto prefix = gridPrefix(displayedMode);
  if (!prefix) return grid;
  const JsonValue records = document.at(*prefix);
  grid.rows.reserve(static_cast<std::size_t>(records.count()));
  for (const JsonValue record : records.elements()) grid.rows.push_back(readRow(record));
  return grid;
}

}  // namespace skyrill
