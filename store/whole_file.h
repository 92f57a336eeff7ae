#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// Files are read and written whole, in one operation each.
namespace skyrill {

// The bytes of a file, at most maxBytes of them; nullopt when it is missing
// or cannot be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = SIZE_MAX);

// The one way the programs write a file. The bytes go to a temporary file
// beside the target, named "<name>.tmp-<process id>-<random>", which is
// synced and renamed over the target before the folder is synced: a failed
// or killed write leaves the old file as it was. A symbolic link is written
// through to its target; an existing file keeps its permissions. A file that
// may not be written (no write bit, or not ours to write) is refused and left
// untouched. The first write into a folder in a run removes the leftovers of
// killed writes there first.
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes);
// The same, telling in `error` why a write failed (e.g. no space left,
// permission denied for a read-only file).
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes,
                    std::error_code& error);

// Why writing `path` failed, in plain words for a message (in English, as
// the tools speak): a full disk, a read-only place, a link that leads nowhere
// or round in a loop, a pipe nobody reads, a device that is not replaced, or
// else the system's own words for the error.
std::string writeFailureCause(const std::filesystem::path& path, std::error_code error);

// Renames `from` to `to` only when nothing stands at `to`: nothing is ever
// replaced (EEXIST then). Fails with EXDEV across file systems.
bool renameToNew(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::error_code& error);

// Copies the regular file `from` to `to` whole: into a temporary file beside
// `to`, with the permissions and modification time of `from`, synced, then
// put in place only when nothing stands at `to` (EEXIST then). A failed or
// killed copy leaves no file under the name `to`.
bool copyToNewFile(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::error_code& error);

// Where writing the path lands: the end of its chain of symbolic links (the
// path itself when it is no link); the target need not exist.
std::filesystem::path followLinks(const std::filesystem::path& path);

// Removes the temporary files in the folder that writes killed half-way left
// behind: only names of the writer's pattern whose process no longer runs, so
// a write going on in another running program is never disturbed.
void removeLeftoverTempFiles(const std::filesystem::path& folder);

// One file written in parts, made whole at the end (writeWholeFile is one
// in a single part): the parts go into a temporary file beside the target,
// which is refused or followed as writeWholeFile says, and commit() syncs it,
// renames it over the target and syncs the folder. Until then the target
// keeps its old bytes; without a commit the temporary file is removed.
// Small appends are buffered, so holding the file costs little memory.
class WholeFileStream {
 public:
  WholeFileStream() = default;
  WholeFileStream(const WholeFileStream&) = delete;
  WholeFileStream& operator=(const WholeFileStream&) = delete;
  ~WholeFileStream();

  // False with the reason when the temporary file cannot be made.
  bool open(const std::filesystem::path& path, std::error_code& error);
  // Adds bytes; a failure is kept and told by commit().
  void append(std::string_view bytes);
  // False with the reason of the first step that failed.
  bool commit(std::error_code& error);

 private:
  bool flush();
  void discard();

  std::filesystem::path target_;
  std::string temp_;
  int fd_ = -1;
  std::string buffer_;
  std::error_code error_;
};

// Many files written whole by one run that writes a lot (a range of days).
// Each goes into its temporary file when added; commit() makes them all last
// with one sync of their file system, renames each over its target and syncs
// their folders once. Until then no target changes: a kill leaves only
// temporary files, which a later write's clean-up removes. Not for sharing
// between threads without a lock.
class WholeFileBatch {
 public:
  WholeFileBatch() = default;
  WholeFileBatch(const WholeFileBatch&) = delete;
  WholeFileBatch& operator=(const WholeFileBatch&) = delete;
  // Temporary files never committed are removed.
  ~WholeFileBatch();

  // Writes the bytes beside the target, as writeWholeFile would refuse or
  // follow it; false with the reason when that fails.
  bool add(const std::filesystem::path& path, std::string_view bytes, std::error_code& error);
  // Puts every file added in place; false with the reason when a step
  // fails, the files not yet in place then removed.
  bool commit(std::error_code& error);
  std::size_t size() const { return pending_.size(); }
  // How many files the last commit put in place, in the order they were
  // added: all of them after a commit that succeeded, those before the
  // failure after one that did not.
  std::size_t placed() const { return placed_; }

 private:
  struct Pending {
    std::filesystem::path target;
    std::string temp;
  };
  void discard();

  std::vector<Pending> pending_;
  std::size_t placed_ = 0;
};

}  // namespace skyrill
