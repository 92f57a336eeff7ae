#pragma once

#include <filesystem>

// Where the program lives, and where it keeps its own files.
namespace skyrill {

// The full path of the running executable; empty when it cannot be found.
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
// variables and HOME. Creates nothing.
ProgramPlaces programPlaces(const std::filesystem::path& programDir);

// Makes the folders of the places and moves in, once and whole, what an
// earlier version kept elsewhere: the settings and caches from the data
// folder, and everything from a "bin" folder it wrote into. False when the
// settings cannot be kept anywhere (no folder can be made).
bool preparePlaces(const ProgramPlaces& places, const std::filesystem::path& programDir);

}  // namespace skyrill
