#include "core/answer_check.h"

#include <string>

#include "core/encoding.h"
#include "json/json_document.h"

namespace skyrill {
namespace {

constexpr std::string_view kNoAnswerMessage =
    "获取失败！可能的原因：\r\n获取数据时本地网络或目标服务器出现问题。";
constexpr std::string_view kNotJsonMessage =
    "获取失败！可能的原因：\r\n1. 获取数据时数据源需要提供密钥，但未设置密钥或密钥无效。\r\n"
    "2. 获取数据时本地网络或目标服务器出现问题。\r\n";
constexpr std::string_view kServiceErrorMessage = "获取失败！错误报告：\r\n";
constexpr std::string_view kOutOfMemoryMessage =
    "获取失败！可能的原因：\r\n内存不足，无法读取这一天的数据。";
constexpr std::string_view kNoRecordsMessage =
    "获取失败！可能由以下几种原因造成：\r\n1. 获取数据时所选择的日期超出范围或尚未更新。\r\n"
    "2. 获取数据时气象站号不存在或不被网站所记录。";

}  // namespace

std::string decodeAnswer(std::string_view bytes) {
  return sanitizeUtf8(bytes.substr(0, bytes.find('\0')));
}

CheckedAnswer checkAnswer(std::string_view text, bool parsed, const JsonDocument& document,
                          std::string_view prefix) {
  if (!parsed) {
    // A good answer that memory could not hold is no bad answer.
    if (document.ranOutOfMemory()) return outOfMemoryAnswer();
    if (text.empty()) return {AnswerCheck::NoAnswer, std::string(kNoAnswerMessage), {}};
    return {AnswerCheck::NotJson,
            std::string(kNotJsonMessage) + gb18030Prefix(text, kShownAnswerBytes),
            {}};
  }
  std::string firstTimePath(prefix);
  firstTimePath += "[0].time";
  if (!document.getText(firstTimePath).empty()) return {AnswerCheck::Ok, {}, {}};
  std::string error = document.getText("error");
  if (!error.empty()) {
    // A message box is no place for megabytes: the same cut as for a non-JSON answer.
    std::string shown = gb18030Prefix(error, kShownAnswerBytes);
    std::string detail = shown.size() < error.size() ? error : std::string();
    return {AnswerCheck::ServiceError, std::string(kServiceErrorMessage) + shown,
            std::move(detail)};
  }
  return {AnswerCheck::NoRecords, std::string(kNoRecordsMessage), {}};
}

CheckedAnswer outOfMemoryAnswer() {
  return {AnswerCheck::OutOfMemory, std::string(kOutOfMemoryMessage), {}};
}

}  // namespace skyrill
