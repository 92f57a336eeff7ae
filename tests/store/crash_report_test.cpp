#include "store/crash_report.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace skyrill {
namespace {

std::string repeat(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(CrashSummary, ShowsTheFirstHundredGb18030Bytes) {
  struct Case {
    const char* what;
    std::string held;
    std::string summary;
  } cases[] = {
      {"nothing held", "", ""},
      {"exactly 100 bytes", repeat("a", 100), repeat("a", 100)},
      {"101 bytes", repeat("a", 101), repeat("a", 100) + " .."},
      {"50 two-byte characters", repeat("风", 50), repeat("风", 50)},
      {"51 two-byte characters", repeat("风", 51), repeat("风", 50) + " .."},
      {"a character across the cut", "a" + repeat("风", 50), "a" + repeat("风", 49) + " .."},
  };
  for (const Case& c : cases) EXPECT_EQ(crashSummary(c.held), c.summary) << c.what;
}

TEST(CrashQuestion, NamesTheErrorAndTheHeldData) {
  EXPECT_EQ(
      crashQuestionText(5, "Access violation", "{\"a\":\"风\"}"),
      "程序出错，需要关闭。\r\n错误信息：5 Access violation\r\n"
      "是否保存本次获取的数据？将该数据提交至软件作者可以更容易定位错误所在并修复这个错误。\r\n"
      "数据摘要：\r\n长度 10\r\n{\"a\":\"风\"}");
  EXPECT_EQ(
      crashQuestionText(-1, "", ""),
      "程序出错，需要关闭。\r\n错误信息：-1 \r\n"
      "是否保存本次获取的数据？将该数据提交至软件作者可以更容易定位错误所在并修复这个错误。\r\n"
      "数据摘要：\r\n长度 0\r\n");
}

TEST(CrashReport, IsNamedAfterTheProgramFile) {
  const testing::TempFolder folder;  // a portable copy's folder: the report goes beside
  testing::writeBytes(folder / "Stormbook.ini", "");
  EXPECT_EQ(crashReportPath(folder / "Stormbook.exe"), folder / "Stormbook.exe_Bug.log");
  EXPECT_EQ(crashReportPath(folder / "skyrill"), folder / "skyrill_Bug.log");
  EXPECT_EQ(crashSavedText("/opt/skyrill/skyrill_Bug.log"),
            "数据保存完成。\r\n保存在 /opt/skyrill/skyrill_Bug.log 文件中。");
  EXPECT_EQ(kCrashSaveFailedText, "数据保存失败。");
  EXPECT_EQ(kCrashTitle, "程序崩溃");
}

TEST(CrashReport, HoldsTheGb18030Text) {
  testing::TempFolder folder;
  const auto path = folder / "skyrill_Bug.log";
  testing::writeBytes(path, "an older report");
  EXPECT_TRUE(writeCrashReport(path, "{\"风\":1}"));
  EXPECT_EQ(testing::readBytes(path), "{\"\xB7\xE7\":1}");
  EXPECT_TRUE(writeCrashReport(path, ""));
  EXPECT_EQ(testing::readBytes(path), "");
  EXPECT_FALSE(writeCrashReport(folder / "missing" / "skyrill_Bug.log", "x"));
}

}  // namespace
}  // namespace skyrill
