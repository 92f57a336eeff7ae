#include "core/answer_check.h"

#include <gtest/gtest.h>

#include "json/json_document.h"

namespace skyrill {
namespace {

CheckedAnswer check(std::string_view text, std::string_view prefix = "res") {
  JsonDocument document;
  const bool parsed = document.parse(text);
  return checkAnswer(text, parsed, document, prefix);
}

TEST(AnswerCheck, outcomesAndTheirMessages) {
  struct Case {
    std::string text;
    std::string prefix;
    AnswerCheck outcome;
    std::string message;
  } cases[] = {
      {R"({"res":[{"time":"2019-07-05T00:00:00"}]})", "res", AnswerCheck::Ok, ""},
      {R"({"today":[{"time":"2019-07-05T00:00:00"}]})", "today", AnswerCheck::Ok, ""},
      {"", "res", AnswerCheck::NoAnswer,
       "获取失败！可能的原因：\r\n获取数据时本地网络或目标服务器出现问题。"},
      {"<html>403</html>", "res", AnswerCheck::NotJson,
       "获取失败！可能的原因：\r\n1. 获取数据时数据源需要提供密钥，但未设置密钥或密钥无效。\r\n"
       "2. 获取数据时本地网络或目标服务器出现问题。\r\n<html>403</html>"},
      {R"({"error":"key invalid","res":[]})", "res", AnswerCheck::ServiceError,
       "获取失败！错误报告：\r\nkey invalid"},
      {R"({"res":[]})", "res", AnswerCheck::NoRecords,
       "获取失败！可能由以下几种原因造成：\r\n1. 获取数据时所选择的日期超出范围或尚未更新。\r\n"
       "2. 获取数据时气象站号不存在或不被网站所记录。"},
      // Records under the other mode's prefix do not count.
      {R"({"res":[{"time":"2019-07-05T00:00:00"}]})", "today", AnswerCheck::NoRecords, ""},
      // A first record without a time: no records, even when later ones have one.
      {R"({"res":[{"T":1},{"time":"2019-07-05T01:00:00"}]})", "res", AnswerCheck::NoRecords, ""},
      {"null", "res", AnswerCheck::NotJson, ""},
      {R"({"res":[1,2)", "res", AnswerCheck::NotJson, ""},
  };
  for (const Case& c : cases) {
    const CheckedAnswer result = check(c.text, c.prefix);
    EXPECT_EQ(result.outcome, c.outcome) << c.text;
    if (!c.message.empty() || c.outcome == AnswerCheck::Ok) {
      EXPECT_EQ(result.message, c.message) << c.text;
    }
  }
}

TEST(AnswerCheck, notJsonShowsTheFirst1024Gb18030Bytes) {
  const std::string head =
      "获取失败！可能的原因：\r\n1. 获取数据时数据源需要提供密钥，但未设置密钥或密钥无效。\r\n"
      "2. 获取数据时本地网络或目标服务器出现问题。\r\n";
  const std::string ascii(3000, 'x');
  EXPECT_EQ(check(ascii).message, head + std::string(1024, 'x'));
  // 600 two-byte characters: 512 fit, none is cut in half.
  std::string han;
  for (int i = 0; i < 600; ++i) han += "错";
  std::string expected;
  for (int i = 0; i < 512; ++i) expected += "错";
  EXPECT_EQ(check(han).message, head + expected);
  // One ASCII byte first: the 512th character would straddle the limit.
  EXPECT_EQ(check("<" + han).message, head + "<" + expected.substr(0, 511 * 3));
}

TEST(AnswerCheck, serviceErrorShowsTheFirst1024Gb18030BytesOfTheError) {
  std::string han;
  for (int i = 0; i < 600; ++i) han += "错";
  std::string expected;
  for (int i = 0; i < 511; ++i) expected += "错";
  // "x" and 511 two-byte characters make 1023 bytes; the next would not fit.
  EXPECT_EQ(check(R"({"error":"x)" + han + R"("})").message,
            "获取失败！错误报告：\r\nx" + expected);
}

TEST(DecodeAnswer, keepsValidTextEndsAtNulAndReplacesInvalidBytes) {
  EXPECT_EQ(decodeAnswer(R"({"name":"郑州"})"), R"({"name":"郑州"})");
  EXPECT_EQ(decodeAnswer(std::string("{}\0garbage", 10)), "{}");
  EXPECT_EQ(decodeAnswer("a\xFF"), "a\uFFFD");
  EXPECT_EQ(decodeAnswer(""), "");
}

}  // namespace
}  // namespace skyrill
