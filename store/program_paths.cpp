#include "store/program_paths.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <vector>

#include "store/whole_file.h"

namespace skyrill {

namespace fs = std::filesystem;

fs::path programFilePath() {
  std::error_code error;
  std::string path = fs::read_symlink("/proc/self/exe", error).string();
  if (error) return {};
  // A file removed while it runs (an upgrade put another in its place) is
  // named as it was started, not with the system's mark of removal.
  constexpr std::string_view kRemoved = " (deleted)";
  if (path.ends_with(kRemoved)) path.resize(path.size() - kRemoved.size());
  return path;
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
// empty when neither is known. A HOME that names no folder is not known:
// nothing is made in its name.
fs::path baseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && fs::path(value).is_absolute()) return value;
  const char* home = std::getenv("HOME");
  std::error_code error;
  if (home == nullptr || *home == '\0' || !fs::is_directory(home, error)) return {};
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

bool makeFolder(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

struct EarlierPlace {
  fs::path from;
  fs::path to;
};

// Where an earlier version kept what, and where it now goes: in the data
// folder the settings and the caches; beside a program in a "bin" folder,
// everything.
std::vector<EarlierPlace> earlierPlaces(const ProgramPlaces& places, const fs::path& programDir) {
  std::vector<EarlierPlace> moves;
  const auto add = [&](const fs::path& folder, bool withData) {
    moves.push_back({folder / kSettingsName, places.settingsFile});
    for (std::string_view cache : kCacheNames) {
      moves.push_back({folder / cache, places.cacheFolder / cache});
    }
    if (!withData) return;
    moves.push_back({folder / "History", places.dataFolder / "History"});
    moves.push_back({folder / kCrashReportName, places.dataFolder / kCrashReportName});
  };
  if (!places.dataFolder.empty() && places.dataFolder != places.cacheFolder) {
    add(places.dataFolder, false);
  }
  if (programDir.filename() == "bin") add(programDir, true);
  return moves;
}

// The words for why a file could not be moved, for the window.
std::string causeInWords(std::error_code error) {
  switch (error.value()) {
    case ENOSPC:
      return "磁盘空间不足";
    case EDQUOT:
      return "超出了磁盘配额";
    case EACCES:
    case EPERM:
      return "没有权限";
    case EROFS:
      return "文件系统是只读的";
    case ENOTDIR:
      return "那里有一个同名的文件，不是文件夹";
    case EIO:
      return "读写出错";
    default:
      return error.message();
  }
}

// A folder of this run's own in the temporary folder; empty when none can be made.
fs::path folderOfThisRun() {
  std::error_code error;
  std::string pattern = (fs::temp_directory_path(error) / "skyrill-XXXXXX").string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

ProgramPlaces programPlaces(const fs::path& programDir) {
  if (isPortable(programDir)) return {programDir / kSettingsName, programDir, programDir, true};
  const fs::path config = userFolder("XDG_CONFIG_HOME", ".config");
  return {config.empty() ? fs::path() : config / kSettingsName,
          userFolder("XDG_DATA_HOME", ".local/share"), userFolder("XDG_CACHE_HOME", ".cache"),
          false};
}

std::optional<EarlierFilesLeft> moveEarlierFiles(const ProgramPlaces& places,
                                                 const fs::path& programDir, MergeSteps& steps) {
  std::optional<EarlierFilesLeft> left;
  for (const EarlierPlace& place : earlierPlaces(places, programDir)) {
    if (place.to.is_relative() || !standsThere(place.from)) continue;
    // A copy an older version of the move left half-made; the originals
    // are still in the old place.
    std::error_code error;
    fs::remove_all(fs::path(place.to.string() + ".moving"), error);
    const std::optional<MergeProblem> problem = mergeInto(place.from, place.to, steps);
    if (problem && !left) left = EarlierFilesLeft{place.from, place.to, *problem};
  }
  return left;
}

PreparedPlaces preparePlaces(ProgramPlaces& places, const fs::path& programDir) {
  PreparedPlaces prepared;
  if (places.portable) {
    prepared.settingsKept = makeFolder(places.dataFolder);
    return prepared;
  }
  // Into the places that are known only: never into a stand-in.
  prepared.earlierFilesLeft = moveEarlierFiles(places, programDir);
  const bool settingsPlaceKnown = !places.settingsFile.empty();
  if (!settingsPlaceKnown || places.dataFolder.empty() || places.cacheFolder.empty()) {
    const fs::path standIn = folderOfThisRun();
    if (!settingsPlaceKnown) places.settingsFile = standIn / kSettingsName;
    if (places.dataFolder.empty()) places.dataFolder = standIn;
    if (places.cacheFolder.empty()) places.cacheFolder = standIn;
    prepared.standIn = standIn;
  }
  prepared.settingsKept = settingsPlaceKnown && makeFolder(places.settingsFile.parent_path());
  makeFolder(places.dataFolder);
  makeFolder(places.cacheFolder);
  return prepared;
}

std::string earlierFilesLeftMessage(const EarlierFilesLeft& left) {
  return "上一版本保存的文件未能全部移到新的位置，尚未移动的仍在：\r\n" + left.oldPlace.string() +
         "\r\n原因：" + causeInWords(left.problem.error) + "（" + left.problem.entry.string() +
         "）\r\n新的位置：" + left.newPlace.string() + "\r\n程序每次启动时都会再试，直到全部移好。";
}

std::string earlierFilesLeftLine(std::string_view program, const EarlierFilesLeft& left) {
  return std::string(program) + ": an earlier version's files are still in " +
         left.oldPlace.string() + ", not all moved to " + left.newPlace.string() + ": " +
         left.problem.entry.string() + ": " +
         writeFailureCause(left.problem.entry, left.problem.error) + "; each start tries again";
}

}  // namespace skyrill
