#include "archive/summary_csv.h"

#include "core/calendar_date.h"
#include "core/csv_text.h"
#include "core/encoding.h"

namespace skyrill {
namespace {

std::vector<std::string> csvHeader() {
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
  return std::string(kUtf8ByteOrderMark) + csvLine(csvHeader());
}

std::string summaryCsvLine(const SummaryRow& row) {
  CsvLineMaker line;
  // The CSV says it is UTF-8; a name that is not keeps its valid part.
  line.add(sanitizeUtf8(row.file));
  line.add(std::to_string(static_cast<int>(row.mode)));
  line.add(row.station);
  line.add(row.date > 0 ? dateText(row.date) : "");
  for (const StatisticCells& statistic : row.statistics) {
    line.add(statistic.value);
    line.add(statistic.label);
    line.add(statistic.mark);
  }
  return line.end();
}

std::string summaryCsv(const std::vector<SummaryRow>& rows) {
  std::string csv = summaryCsvHead();
  for (const SummaryRow& row : rows) csv += summaryCsvLine(row);
  return csv;
}

}  // namespace skyrill
