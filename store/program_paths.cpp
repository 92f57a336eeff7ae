#include "store/program_paths.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace skyrill {

namespace fs = std::filesystem;

fs::path programFilePath() {
  std::error_code error;
  fs::path path = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : path;
}

fs::path programDirectory() {
  return programFilePath().parent_path();
}

fs::path windowProgramDirectory() {
  const fs::path own = programDirectory();
  std::error_code error;
  if (fs::exists(own / "skyrill", error)) return own;
  // <build>/tools/<tool>/ beside <build>/app/skyrill.
  const fs::path built = own.parent_path().parent_path() / "app";
  if (fs::exists(built / "skyrill", error)) return built;
  return own;
}

namespace {

constexpr std::string_view kSettingsName = "Stormbook.ini";
constexpr std::string_view kCrashReportName = "skyrill_Bug.log";
constexpr std::array<std::string_view, 3> kCacheNames = {"ProvinceData", "SiteData",
                                                         "StationLists"};

// An XDG base folder: the variable when it holds an absolute path (a
// relative one is invalid, as the XDG rules say), else HOME + the default;
// empty when neither is known.
fs::path baseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && fs::path(value).is_absolute()) return value;
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  return fs::path(home) / underHome;
}

fs::path userFolder(const char* variable, const char* underHome) {
  const fs::path base = baseFolder(variable, underHome);
  return base.empty() ? fs::path() : base / "skyrill";
}

bool standsThere(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

// A build tree's program folder: CMake keeps its own files beside ours.
bool isBuildTree(const fs::path& programDir) {
  return standsThere(programDir / "CMakeFiles");
}

bool isPortable(const fs::path& programDir) {
  if (programDir.filename() == "bin") return false;
  return standsThere(programDir / kSettingsName) || isBuildTree(programDir);
}

// Moves a file or folder to where it now belongs, unless something is
// there already: nothing is overwritten, nothing lost. Nothing moves to a
// place that is not known (no home folder). A move across file systems
// copies under a name of its own and puts the copy in place once whole, so
// that a copy that fails half-way is removed and tried again at the next
// start; then the original goes.
void moveOnce(const fs::path& from, const fs::path& to) {
  if (to.is_relative() || !standsThere(from) || standsThere(to)) return;
  std::error_code error;
  fs::create_directories(to.parent_path(), error);
  fs::rename(from, to, error);
  if (!error) return;
  fs::path moving = to;
  moving += ".moving";
  fs::remove_all(moving, error);
  fs::copy(from, moving, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
  if (!error) fs::rename(moving, to, error);
  if (error) {
    std::error_code ignored;
    fs::remove_all(moving, ignored);
    return;
  }
  fs::remove_all(from, error);
}

bool makeFolder(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// What an earlier version kept in `folder`, moved into the places.
void moveEarlierFiles(const fs::path& folder, const ProgramPlaces& places, bool withData) {
  if (folder.empty()) return;
  moveOnce(folder / kSettingsName, places.settingsFile);
  for (std::string_view cache : kCacheNames) moveOnce(folder / cache, places.cacheFolder / cache);
  if (!withData) return;
  moveOnce(folder / "History", places.dataFolder / "History");
  moveOnce(folder / kCrashReportName, places.dataFolder / kCrashReportName);
}

}  // namespace

ProgramPlaces programPlaces(const fs::path& programDir) {
  if (isPortable(programDir)) return {programDir / kSettingsName, programDir, programDir, true};
  const fs::path config = userFolder("XDG_CONFIG_HOME", ".config");
  return {config.empty() ? fs::path() : config / kSettingsName,
          userFolder("XDG_DATA_HOME", ".local/share"), userFolder("XDG_CACHE_HOME", ".cache"),
          false};
}

bool preparePlaces(const ProgramPlaces& places, const fs::path& programDir) {
  if (places.portable) return makeFolder(places.dataFolder);
  const bool kept = makeFolder(places.settingsFile.parent_path());
  makeFolder(places.dataFolder);
  makeFolder(places.cacheFolder);
  // Earlier versions kept everything in the data folder, or beside an
  // installed program they could write beside.
  if (places.dataFolder != places.cacheFolder) moveEarlierFiles(places.dataFolder, places, false);
  if (programDir.filename() == "bin") moveEarlierFiles(programDir, places, true);
  return kept;
}

}  // namespace skyrill
