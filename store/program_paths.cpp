#include "store/program_paths.h"

#include <system_error>

namespace skyrill {

std::filesystem::path programFilePath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

std::filesystem::path programDirectory() {
  return programFilePath().parent_path();
}

}  // namespace skyrill
