#pragma once

#include <string>
#include <string_view>

namespace skyrill {

class JsonDocument;

// The outcome of checking an answer.
enum class AnswerCheck {
  Ok,            // the first record has a time
  NoAnswer,      // empty text: network trouble
  NotJson,       // a text that does not parse, e.g. an error page
  ServiceError,  // JSON without records but with an "error" member
  NoRecords,     // JSON without records and without an error
  OutOfMemory,   // the answer could not be held in memory, whatever it is
};

// Title of every failure message of a run.
inline constexpr std::string_view kFailureTitle = "未能获取数据";

// How much of a non-JSON answer or of a service's error text a message
// shows, in GB18030 bytes (no character is cut).
inline constexpr std::size_t kShownAnswerBytes = 1024;

struct CheckedAnswer {
  AnswerCheck outcome = AnswerCheck::Ok;
  std::string message;  // empty for Ok; lines separated by "\r\n"
  std::string detail;   // the service's whole error text when the message cuts it
};

// The answer bytes as program text: invalid UTF-8 sequences become U+FFFD
// and the text ends at the first NUL byte.
std::string decodeAnswer(std::string_view bytes);

// Decides the outcome of an answer text already parsed into the document.
CheckedAnswer checkAnswer(std::string_view text, bool parsed, const JsonDocument& document,
                          std::string_view prefix);

// The outcome of an answer that memory could not hold.
CheckedAnswer outOfMemoryAnswer();

}  // namespace skyrill
