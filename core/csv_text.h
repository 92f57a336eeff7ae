#pragma once

#include <string>
#include <string_view>
#include <vector>

// CSV text for spreadsheets: fields quoted only where they must be, lines
// ended by CR LF, the whole text UTF-8 after a byte-order mark (which tells
// spreadsheet programs the encoding).
namespace skyrill {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The field as written: in double quotes, its quotes doubled, when it holds a
// comma, a quote, a CR or an LF; as it is otherwise.
std::string csvField(std::string_view text);

// A class label such as "（4级）" without its full-width brackets; any other
// text as it is.
std::string labelWithoutBrackets(std::string_view label);

// The fields joined by commas, ended by CR LF.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace skyrill
