#include "core/day_csv.h"

#include <cstdio>
#include <vector>

#include "core/classifications.h"
#include "core/csv_text.h"
#include "core/numeric_text.h"

namespace skyrill {
namespace {

using Row = std::vector<std::string>;

// A slot text taken apart: the day series appends " {acc}" to the value and
// then the class label in full-width brackets.
struct SlotParts {
  std::string value;
  std::string acc;
  std::string label;  // without its brackets
};

// Splits a slot text whose class label, if attached, is `label`.
SlotParts splitSlotText(std::string_view text, std::string_view label = {}) {
  SlotParts parts;
  if (text.empty()) return parts;
  if (!label.empty() && text.ends_with(label)) text.remove_suffix(label.size());
  parts.label = labelWithoutBrackets(label);
  const auto accStart = text.find(" {");
  if (accStart != std::string_view::npos && text.ends_with('}')) {
    parts.acc = std::string(text.substr(accStart + 2, text.size() - accStart - 3));
    text = text.substr(0, accStart);
  }
  parts.value = std::string(text);
  return parts;
}

// The labels are worked out again from the texts, by the rules that attached
// them, so that a label is only ever cut off where it was appended.
std::string_view windForceOf(const HourlyRecord& hour) {
  return hour.windSpeed.empty() ? "" : windForceLabel(numericValue(hour.windSpeed));
}
std::string_view intensityOf(const HourlyRecord& hour) {
  return hour.precipitation.empty() ? ""
                                    : hourlyPrecipitationLabel(numericValue(hour.precipitation),
                                                               cleanSlotText(hour.temperature));
}
std::string_view visibilityClassOf(const HourlyRecord& hour) {
  if (hour.visibility.empty()) return "";
  return visibilityClassLabel(
      visibilityClass(numericValue(hour.visibility), integerValue(hour.humidity)));
}

void addElement(Row& row, const SlotParts& parts, bool labelled = false) {
  row.push_back(parts.value);
  row.push_back(parts.acc);
  if (labelled) row.push_back(parts.label);
}

Row slotHeader() {
  return {"时次",       "时间",          "气温 (°C)",   "气温 acc", "气压 (hPa)",  "气压 acc",
          "湿度 (%)",   "湿度 acc",      "风向 (°)",    "风向 acc", "风速 (m/s)",  "风速 acc",
          "风力",       "降水量 (mm)",   "降水量 acc",  "降水强度", "能见度 (km)", "能见度 acc",
          "能见度等级", "积雪深度 (cm)", "积雪深度 acc"};
}

Row slotRow(int slot, const HourlyRecord& hour) {
  Row row = {std::to_string(slot), hour.timeText};
  addElement(row, splitSlotText(hour.temperature));
  addElement(row, splitSlotText(hour.pressure));
  addElement(row, splitSlotText(hour.humidity));
  addElement(row, splitSlotText(hour.windDirection));
  addElement(row, splitSlotText(hour.windSpeed, windForceOf(hour)), true);
  addElement(row, splitSlotText(hour.precipitation, intensityOf(hour)), true);
  addElement(row, splitSlotText(hour.visibility, visibilityClassOf(hour)), true);
  addElement(row, splitSlotText(hour.snowDepth));
  return row;
}

std::string hexColour(const Rgb& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
  return text;
}

Row gridHeader() {
  Row row;
  for (std::size_t column = 0; column < kGridColumns.size(); ++column) {
    row.emplace_back(kGridColumns[column].header);
    if (isColouredGridColumn(column))
      row.push_back(std::string(kGridColumns[column].header) + " 颜色");
  }
  return row;
}

Row gridRow(const GridRow& cells) {
  Row row;
  for (std::size_t column = 0; column < cells.size(); ++column) {
    row.push_back(cells[column].text);
    if (!isColouredGridColumn(column)) continue;
    const auto& colours = cells[column].colours;
    row.push_back(colours ? hexColour(colours->background) : "");
  }
  return row;
}

}  // namespace

std::string daySlotsCsv(const DaySeries& series) {
  std::string csv(kUtf8ByteOrderMark);
  csv += csvLine(slotHeader());
  for (int slot = 1; slot <= kSlotCount; ++slot) csv += csvLine(slotRow(slot, series.slot(slot)));
  return csv;
}

std::string dataGridCsv(const DataGrid& grid) {
  std::string csv(kUtf8ByteOrderMark);
  csv += csvLine(gridHeader());
  for (const GridRow& row : grid.rows) csv += csvLine(gridRow(row));
  return csv;
}

}  // namespace skyrill
