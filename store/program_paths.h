#pragma once

#include <filesystem>

// Where the program lives: its files sit beside the executable, not in the
// working directory.
namespace skyrill {

// The full path of the running executable; empty when it cannot be found.
std::filesystem::path programFilePath();

// The folder that holds the running executable.
std::filesystem::path programDirectory();

// The folder of the window program, for the tools that share its files: the
// tool's own folder when the program stands beside it (an installation), or
// the build tree's "app" folder for a tool run from its build folder.
std::filesystem::path windowProgramDirectory();

// The folder that keeps the program's own files (settings, History, the
// station directory caches, the crash report): the program's folder when it
// can be written, as in a copy unpacked anywhere; otherwise, as in an
// installation under /usr, the user's data folder $XDG_DATA_HOME/skyrill
// (~/.local/share/skyrill by default), made when missing. The program's
// folder again when there is no such folder either.
std::filesystem::path dataDirectory(const std::filesystem::path& programDir);

}  // namespace skyrill
