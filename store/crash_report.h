#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// What the program says and saves when a fatal error ends it: a question
// offering to save the held answer text for the author, and the report file.
namespace skyrill {

inline constexpr std::string_view kCrashTitle = "程序崩溃";
inline constexpr std::string_view kCrashSaveFailedText = "数据保存失败。";

// The longest start of the held text the question shows, in GB18030 bytes.
inline constexpr std::size_t kCrashSummaryBytes = 100;

// The first 100 GB18030 bytes of the text (no character cut), followed by
// " .." when the text is longer.
std::string crashSummary(std::string_view heldText);

// The question shown for a fatal error with its number and text.
std::string crashQuestionText(int errorNumber, std::string_view errorText,
                              std::string_view heldText);

// The program's file name + "_Bug.log", in its data folder (its own folder
// when that can be written; the temporary folder when none is known).
std::filesystem::path crashReportPath(const std::filesystem::path& programFile);

// Writes the held text in GB18030 as the report; true when it was written.
bool writeCrashReport(const std::filesystem::path& path, std::string_view heldText);

// The confirmation after the report was written.
std::string crashSavedText(const std::filesystem::path& path);

}  // namespace skyrill
