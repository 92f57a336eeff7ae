#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "store/folder_merge.h"

// Where the program lives, and where it keeps its own files.
namespace skyrill {

// The full path of the running executable, where it now stands (the path it
// was started from when its file has been removed); empty when it cannot be
// found.
std::filesystem::path programFilePath();

// The folder that holds the running executable.
std::filesystem::path programDirectory();

// The folder of the window program, for the tools that share its files: the
// tool's own folder when the program stands beside it (an installation), or
// the build tree's "app" folder for a tool run from its build folder.
std::filesystem::path windowProgramDirectory();

// Where the program keeps its files. Installed, the user's folders:
//   settings   $XDG_CONFIG_HOME/skyrill/Stormbook.ini  (~/.config/skyrill)
//   History    $XDG_DATA_HOME/skyrill/History          (~/.local/share/skyrill)
//   crash report beside History
//   caches     $XDG_CACHE_HOME/skyrill/                (~/.cache/skyrill)
// Portable, everything beside the program: when a Stormbook.ini stands
// there already, or when the program runs from its build tree; never in a
// folder named "bin", which is a prefix's.
struct ProgramPlaces {
  std::filesystem::path settingsFile;
  std::filesystem::path dataFolder;   // holds History and the crash report
  std::filesystem::path cacheFolder;  // the station directory's caches
  bool portable = false;
};

// The one decision, for the program in `programDir`; reads the XDG
// variables and HOME. Creates nothing. A place that is not known (no HOME,
// or a HOME that names no folder, and no XDG variable for it) is empty.
ProgramPlaces programPlaces(const std::filesystem::path& programDir);

// An earlier version's files that could not all be moved in: where they
// still are, where they belong, and the entry that stopped the move and why.
struct EarlierFilesLeft {
  std::filesystem::path oldPlace;  // e.g. <prefix>/bin/History
  std::filesystem::path newPlace;  // e.g. ~/.local/share/skyrill/History
  MergeProblem problem;
};

// Moves in what an earlier version kept elsewhere: the settings and caches
// from the data folder, and everything from a "bin" folder it wrote into,
// merged by name into what is there (mergeInto). Nothing moves into a place
// that is not known. Every program tries it at its start until all is in;
// nothing is left to tell once it is.
std::optional<EarlierFilesLeft> moveEarlierFiles(const ProgramPlaces& places,
                                                 const std::filesystem::path& programDir,
                                                 MergeSteps& steps = fileSystemSteps());

// What the window learns at start about its places.
struct PreparedPlaces {
  bool settingsKept = true;  // false when no folder for the settings could be had
  std::optional<EarlierFilesLeft> earlierFilesLeft;
  // The folder of this run's own that stands in for places not known; empty
  // when all are known. Its owner removes it at the end.
  std::filesystem::path standIn;
};

// Makes the folders of the places and moves the earlier version's files in.
// A place that is not known gets a folder of this run's own in the
// temporary folder, so that nothing lands in the current folder; nothing
// written there is kept, and the settings count as not kept.
PreparedPlaces preparePlaces(ProgramPlaces& places, const std::filesystem::path& programDir);

// What the window says, once at start, about earlier files left behind.
std::string earlierFilesLeftMessage(const EarlierFilesLeft& left);
inline constexpr std::string_view kEarlierFilesLeftTitle = "旧版本的文件";
// The line a tool says about them on standard error.
std::string earlierFilesLeftLine(std::string_view program, const EarlierFilesLeft& left);

}  // namespace skyrill
