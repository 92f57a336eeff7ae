#include "store/program_paths.h"

#include <unistd.h>

#include <cstdlib>
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

std::filesystem::path windowProgramDirectory() {
  const std::filesystem::path own = programDirectory();
  std::error_code error;
  if (std::filesystem::exists(own / "skyrill", error)) return own;
  // <build>/tools/<tool>/ beside <build>/app/skyrill.
  const std::filesystem::path built = own.parent_path().parent_path() / "app";
  if (std::filesystem::exists(built / "skyrill", error)) return built;
  return own;
}

namespace {

// $XDG_DATA_HOME, or ~/.local/share; empty when neither is known. A
// relative $XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
std::filesystem::path userDataHome() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && std::filesystem::path(dataHome).is_absolute()) return dataHome;
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  return std::filesystem::path(home) / ".local" / "share";
}

}  // namespace

std::filesystem::path dataDirectory(const std::filesystem::path& programDir) {
  if (::access(programDir.c_str(), W_OK | X_OK) == 0) return programDir;
  const std::filesystem::path dataHome = userDataHome();
  if (dataHome.empty()) return programDir;
  const std::filesystem::path folder = dataHome / "skyrill";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error) ? folder : programDir;
}

}  // namespace skyrill
