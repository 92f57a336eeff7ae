#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The crash-report mode: the program started again by the crash hook as
//   skyrill --crash-report NUMBER TEXT HELD-TEXT-FILE
// asks the user whether to save the held text for the author, writes the
// report on Yes, and ends with status 255.
namespace skyrill {

inline constexpr const char* kCrashReportFlag = "--crash-report";
// The name of the scratch file that carries the held text starts so.
inline constexpr std::string_view kHeldFilePrefix = "skyrill-held-";

// True when the command line is that of the crash-report mode.
bool isCrashReportInvocation(int argc, char** argv);

// Runs the mode (it makes its own QApplication); returns the exit status.
int runCrashReport(int argc, char** argv);

// The question and what follows it, in a running application: the report
// goes beside the program file. True when a report was written.
bool askToSaveCrashReport(int errorNumber, std::string_view errorText, std::string_view heldText,
                          const std::filesystem::path& programFile);

}  // namespace skyrill
