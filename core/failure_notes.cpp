#include "core/failure_notes.h"

#include "json/json_document.h"

namespace skyrill {
namespace {

std::string_view problemText(FileProblem problem) {
  switch (problem) {
    case FileProblem::Missing:
      return "文件不存在";
    case FileProblem::Folder:
      return "这是一个文件夹，不是文件";
    case FileProblem::Empty:
      return "文件是空的";
    case FileProblem::TooLarge:
      return "文件太大（超过 16 MiB），不是一天的观测数据";
    case FileProblem::Unreadable:
      return "无法读取该文件（没有权限或不是普通文件）";
    case FileProblem::None:
      break;
  }
  return {};
}

constexpr std::string_view kJsonButNoDay = "文件是 JSON，但不是一天的观测数据";

// True for JSON's null alone, white space around it allowed: JSON all the
// same, though no document holds it.
bool isJsonNull(std::string_view text) {
  constexpr std::string_view kJsonSpace = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kJsonSpace);
  if (first == std::string_view::npos) return false;
  return text.substr(first, text.find_last_not_of(kJsonSpace) + 1 - first) == "null";
}

std::string_view outcomeText(AnswerCheck outcome, std::string_view text) {
  switch (outcome) {
    // Bytes whose text ends before it begins (a NUL first) are no JSON either.
    case AnswerCheck::NoAnswer:
    case AnswerCheck::NotJson:
      return isJsonNull(text) ? kJsonButNoDay : "文件不是 JSON 文本";
    case AnswerCheck::ServiceError:
      return "文件保存的是数据服务的错误答复，不是一天的观测数据";
    case AnswerCheck::NoRecords:
      return kJsonButNoDay;
    case AnswerCheck::OutOfMemory:  // the message says it all; the file may be good
    case AnswerCheck::Ok:
      break;
  }
  return {};
}

static_assert(JsonDocument::kMaxTextBytes == 16 * 1024 * 1024, "the size the note names");

}  // namespace

std::string fileFailureNote(std::string_view fileName, FileProblem problem, AnswerCheck outcome,
                            std::string_view text) {
  const std::string_view what =
      problem == FileProblem::None ? outcomeText(outcome, text) : problemText(problem);
  if (what.empty()) return {};
  return "文件“" + std::string(fileName) + "”：" + std::string(what) + "。";
}

std::string missingKeyNote() {
  return "尚未设置密钥：请在菜单“数据 → 密钥”中输入 API Key。";
}

std::string withNote(std::string message, std::string_view note) {
  if (note.empty()) return message;
  message += "\r\n\r\n";
  message += note;
  return message;
}

}  // namespace skyrill
