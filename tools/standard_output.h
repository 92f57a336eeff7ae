#pragma once

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "store/whole_file.h"

// How the tools write their output and say what they could not write.
namespace skyrill {

// Standard output, written as std::cout writes it, keeping the reason of
// the first write that failed: a full disk, or a pipe nobody reads any more
// (the tools ignore SIGPIPE, so such a write fails rather than ending them).
class StandardOutput {
 public:
  void write(std::string_view text) {
    if (!error_ && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) keepError();
  }
  // Flushes what is held; false with the reason when some of it is lost.
  bool finish(std::error_code& error) {
    if (!error_ && std::fflush(stdout) != 0) keepError();
    error = error_;
    return !error_;
  }

 private:
  void keepError() { error_ = std::error_code(errno != 0 ? errno : EIO, std::generic_category()); }

  std::error_code error_;
};

// "PROGRAM: cannot write FILE: CAUSE" on standard error.
inline void reportNotWritten(const char* program, const std::string& file, std::error_code error) {
  std::cerr << program << ": cannot write " << file;
  if (error) std::cerr << ": " << writeFailureCause(file, error);
  std::cerr << '\n';
}

}  // namespace skyrill
