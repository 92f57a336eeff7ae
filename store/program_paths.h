#pragma once

#include <filesystem>

// Where the program lives: its files sit beside the executable, not in the
// working directory.
namespace skyrill {

// The full path of the running executable; empty when it cannot be found.
std::filesystem::path programFilePath();

// The folder that holds the running executable.
std::filesystem::path programDirectory();

}  // namespace skyrill
