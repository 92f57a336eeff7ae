#pragma once

#include <climits>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "store/folder_merge.h"
#include "tests/store/temp_folder.h"

namespace skyrill::testing {

// The process ended in the middle of a merge.
struct Killed {};

// The file system's steps, cut short on cue: as across file systems (every
// rename fails with EXDEV, so files are copied), a disk that is full after
// so many copies, and a kill after so many removals.
class CutMergeSteps : public MergeSteps {
 public:
  bool acrossFileSystems = false;
  int copiesBeforeFull = INT_MAX;
  int removalsBeforeKill = INT_MAX;

  bool rename(const std::filesystem::path& from, const std::filesystem::path& to,
              std::error_code& error) override {
    if (!acrossFileSystems) return MergeSteps::rename(from, to, error);
    error = std::make_error_code(std::errc::cross_device_link);
    return false;
  }
  bool copy(const std::filesystem::path& from, const std::filesystem::path& to,
            std::error_code& error) override {
    if (copiesBeforeFull-- > 0) return MergeSteps::copy(from, to, error);
    error = std::error_code(ENOSPC, std::generic_category());
    return false;
  }
  bool remove(const std::filesystem::path& path, std::error_code& error) override {
    if (removalsBeforeKill-- <= 0) throw Killed{};
    return MergeSteps::remove(path, error);
  }
};

// Every file below a folder, by its path from there, with its bytes.
inline std::map<std::string, std::string> filesBelow(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  std::error_code error;
  for (std::filesystem::recursive_directory_iterator it(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file()) {
      files[std::filesystem::relative(it->path(), folder).string()] = readBytes(it->path());
    }
  }
  return files;
}

}  // namespace skyrill::testing
