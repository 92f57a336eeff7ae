#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

// What one place holds, moved into another by name, as the program moves an
// earlier version's files into where they now belong. Nothing is ever
// overwritten and nothing lost, and a move cut short (a full disk, no
// permission, a kill) is finished by the next one.
namespace skyrill {

// The file system steps of a merge; a test puts in one that fails on cue.
class MergeSteps {
 public:
  virtual ~MergeSteps() = default;
  // Renames `from` to `to`, where nothing may stand (EEXIST then); EXDEV
  // across file systems.
  virtual bool rename(const std::filesystem::path& from, const std::filesystem::path& to,
                      std::error_code& error);
  // Copies the regular file `from` to `to` whole and synced, keeping its
  // modification time; nothing may stand at `to`.
  virtual bool copy(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::error_code& error);
  // Removes a file, a link or an empty folder.
  virtual bool remove(const std::filesystem::path& path, std::error_code& error);
  // Makes a folder and the folders above it.
  virtual bool makeFolder(const std::filesystem::path& folder, std::error_code& error);
};

// The steps on the file system itself.
MergeSteps& fileSystemSteps();

// What a merge could not do: the entry it could not move or remove, and why.
struct MergeProblem {
  std::filesystem::path entry;
  std::error_code error;
};

// Moves the file or folder `from` to `to`. A folder whose name is free moves
// whole; otherwise what it holds is merged into the folder there, name by
// name. A file whose name is free moves (across file systems: copied whole,
// then removed once the copy is found to hold its bytes); one whose name is
// taken by the same bytes is dropped from the old place; one whose name is
// taken by other bytes is kept as well: the later of the two (by
// modification time) under the name, the other beside it under the name
// with " (older copy)" before its ending. What cannot be moved stays where
// it was, and the first such entry is told; the merge goes on with the rest.
std::optional<MergeProblem> mergeInto(const std::filesystem::path& from,
                                      const std::filesystem::path& to,
                                      MergeSteps& steps = fileSystemSteps());

// The name a file taken by another of its name is kept under, beside it:
// "0_58453_0_20240120 (older copy).json", then "(older copy 2)" and on.
std::filesystem::path olderCopyName(const std::filesystem::path& file, int number);

}  // namespace skyrill
