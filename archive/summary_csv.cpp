#include "archive/summary_csv.h"

#include "core/calendar_date.h"
#include "core/csv_text.h"
#include "core/encoding.h"

namespace skyrill {
namespace {

// Hands each cell of a row to `add`, in the header's order.
template <typename Add>
void forEachCell(const SummaryRow& row, Add add) {
  // The CSV says it is UTF-8; a name that is not keeps its valid part.
  add(sanitizeUtf8(row.file));
  add(std::to_string(static_cast<int>(row.mode)));
  add(row.station);
  add(row.date > 0 ? dateText(row.date) : "");
  for (const StatisticCells& statistic : row.statistics) {
    add(statistic.value);
    add(statistic.label);
    add(statistic.mark);
  }
}

}  // namespace

std::vector<std::string> summaryHeader() {
  std::vector<std::string> header = {"文件", "模式", "站号", "日期"};
  for (std::size_t i = 0; i < kStatusLineCount; ++i) {
    const std::string name = statisticName(i);
    const std::string_view unit = statisticUnit(i);
    header.push_back(unit.empty() ? name : name + " (" + std::string(unit) + ")");
    header.push_back(name + " 等级");
    header.push_back(name + " 缺测");
  }
  return header;
}

std::vector<std::string> summaryCells(const SummaryRow& row) {
  std::vector<std::string> cells;
  forEachCell(row, [&cells](std::string_view cell) { cells.emplace_back(cell); });
  return cells;
}

namespace {

// A line as csvLine() makes it of its cells, without a list of them: the
// line is made once for each of many rows.
class CsvLineMaker {
 public:
  void add(std::string_view cell) {
    if (!first_) line_ += ',';
    first_ = false;
    line_ += csvField(cell);
  }

  std::string end() {
    line_ += "\r\n";
    return std::move(line_);
  }

 private:
  std::string line_;
  bool first_ = true;
};

}  // namespace

std::string summaryCsvHead() {
  return std::string(kUtf8ByteOrderMark) + csvLine(summaryHeader());
}

std::string summaryCsvLine(const SummaryRow& row) {
  CsvLineMaker line;
  forEachCell(row, [&line](std::string_view cell) { line.add(cell); });
  return line.end();
}

std::string summaryCsv(const std::vector<SummaryRow>& rows) {
  std::string csv = summaryCsvHead();
  for (const SummaryRow& row : rows) csv += summaryCsvLine(row);
  return csv;
}

}  // namespace skyrill
