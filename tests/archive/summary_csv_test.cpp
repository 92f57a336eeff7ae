#include "archive/summary_csv.h"

#include <gtest/gtest.h>

#include "core/csv_text.h"

namespace skyrill {
namespace {

TEST(SummaryCsv, quotesCellsThatNeedItAndLeavesNoDataEmpty) {
  SummaryRow row;
  row.file = "History/a,\"b\".json";
  row.station = "57083";
  row.date = 20190705;
  row.statistics[2] = {"2.7", "小雨,大雨", "*"};
  const std::string csv = summaryCsv({row});
  ASSERT_TRUE(csv.starts_with(kUtf8ByteOrderMark));
  const std::size_t secondLine = csv.find("\r\n") + 2;
  EXPECT_TRUE(csv.substr(kUtf8ByteOrderMark.size())
                  .starts_with("文件,模式,站号,日期,最高气温 (℃),"
                               "最高气温 等级,最高气温 缺测,"));
  EXPECT_EQ(csv.substr(secondLine),
            "\"History/a,\"\"b\"\".json\",0,57083,2019-07-05,,,,,,,2.7,\"小雨,大雨\",*" +
                std::string(3 * 8, ',') + "\r\n");
}

}  // namespace
}  // namespace skyrill
