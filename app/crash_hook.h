#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The fatal-error hook. Every fault that ends the program passes through
// the crash question first: uncaught C++ exceptions (those escaping a Qt
// event handler or slot included), Qt fatal messages, and the signals
// SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT.
//
// A faulting process cannot safely open a window, so the hook does the
// least it can: it writes the held text into a scratch file made at
// installation, using only async-signal-safe calls, and replaces the
// process with a fresh copy of the program in crash-report mode, which asks
// the question, may write the report, and ends with status 255. The process
// keeps its id, so whoever waits for the program sees that status.
namespace skyrill {

inline constexpr int kCrashExitStatus = 255;  // -1 as an exit code

// Installs the hook. `heldText` is the answer text offered for the report,
// with every occurrence of `heldTextKey` (the API key) masked; both are read
// when a fault happens and must outlive the process's work.
void installCrashHook(const std::filesystem::path& programFile, const std::string* heldText,
                      const std::string* heldTextKey = nullptr);

// Forgets the held text and removes the scratch file; the hook stays, and a
// later fault still ends in the question (with an empty text).
void releaseCrashHook();

// A fault met in ordinary code (not inside a signal handler). Never returns.
[[noreturn]] void fatalError(int errorNumber, std::string_view errorText);

// Called in a catch block or a terminate handler: the exception being
// handled, described, as a fatal error.
[[noreturn]] void fatalCurrentException();

}  // namespace skyrill
