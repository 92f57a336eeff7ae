#include "store/folder_merge.h"

#include <algorithm>
#include <vector>

#include "store/whole_file.h"

namespace skyrill {

namespace fs = std::filesystem;

bool MergeSteps::rename(const fs::path& from, const fs::path& to, std::error_code& error) {
  return renameToNew(from, to, error);
}

bool MergeSteps::copy(const fs::path& from, const fs::path& to, std::error_code& error) {
  error.clear();
  if (fs::is_symlink(fs::symlink_status(from, error))) {
    fs::copy_symlink(from, to, error);
    return !error;
  }
  return copyToNewFile(from, to, error);
}

bool MergeSteps::remove(const fs::path& path, std::error_code& error) {
  error.clear();
  return fs::remove(path, error) && !error;
}

bool MergeSteps::makeFolder(const fs::path& folder, std::error_code& error) {
  error.clear();
  fs::create_directories(folder, error);
  return !error;
}

MergeSteps& fileSystemSteps() {
  static MergeSteps steps;
  return steps;
}

fs::path olderCopyName(const fs::path& file, int number) {
  std::string name = file.stem().string() + " (older copy";
  if (number > 1) name += " " + std::to_string(number);
  name += ")" + file.extension().string();
  return file.parent_path() / name;
}

namespace {

fs::file_status statusOf(const fs::path& path) {
  std::error_code error;
  return fs::symlink_status(path, error);
}

bool standsThere(const fs::path& path) {
  return fs::exists(statusOf(path));
}

// Whether two entries hold the same: the same bytes, or links to the same
// place. Read whole: only what the two old versions kept of one day meets
// here, a few kilobytes each.
bool sameContent(const fs::path& a, const fs::path& b) {
  const fs::file_status first = statusOf(a);
  const fs::file_status second = statusOf(b);
  if (fs::is_symlink(first) && fs::is_symlink(second)) {
    std::error_code error;
    return fs::read_symlink(a, error) == fs::read_symlink(b, error) && !error;
  }
  if (!fs::is_regular_file(first) || !fs::is_regular_file(second)) return false;
  const std::optional<std::string> left = readWholeFile(a);
  return left && left == readWholeFile(b);
}

// Whether `a` was written after `b`.
bool writtenLater(const fs::path& a, const fs::path& b) {
  std::error_code error;
  const auto first = fs::last_write_time(a, error);
  const auto second = fs::last_write_time(b, error);
  return !error && first > second;
}

class Merge {
 public:
  explicit Merge(MergeSteps& steps) : steps_(steps) {}

  void entry(const fs::path& from, const fs::path& to) {
    const fs::file_status status = statusOf(from);
    if (fs::is_directory(status)) {
      folder(from, to);
    } else if (fs::is_regular_file(status) || fs::is_symlink(status)) {
      file(from, to);
    }
    // A device, a pipe or a socket is no file of ours: it stays.
  }

  const std::optional<MergeProblem>& problem() const { return problem_; }

 private:
  // Keeps the first problem; false, for the caller to give up the entry.
  bool failed(const fs::path& entry, std::error_code error) {
    if (!problem_) problem_ = MergeProblem{entry, error};
    return false;
  }

  void folder(const fs::path& from, const fs::path& to) {
    std::error_code error;
    if (!standsThere(to)) {
      if (!makeParent(to)) return;
      if (steps_.rename(from, to, error)) return;
      // Across file systems, or not to be removed from the old place: what
      // can be is copied in, name by name.
      if (!steps_.makeFolder(to, error)) {
        failed(to, error);
        return;
      }
    } else if (!fs::is_directory(statusOf(to))) {
      failed(to, std::make_error_code(std::errc::not_a_directory));
      return;
    }
    // Left by a copy that was killed: the next write into the folder would
    // remove them too.
    removeLeftoverTempFiles(to);
    std::vector<fs::path> names;
    for (fs::directory_iterator it(from, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
      names.push_back(it->path().filename());
    }
    // Gone meanwhile: another program of ours moved it.
    if (error == std::errc::no_such_file_or_directory) return;
    if (error) {
      failed(from, error);
      return;
    }
    std::sort(names.begin(), names.end());
    for (const fs::path& name : names) entry(from / name, to / name);
    // Whatever stayed behind keeps the folder; that alone is no problem.
    if (!steps_.remove(from, error) && error != std::errc::directory_not_empty) failed(from, error);
  }

  void file(const fs::path& from, const fs::path& to) {
    if (!standsThere(to)) {
      moveToFreeName(from, to);
    } else if (sameContent(from, to)) {
      drop(from);
    } else if (writtenLater(from, to)) {
      // The later fetch takes the name; the one in place goes beside it.
      if (keepBeside(to, to)) moveToFreeName(from, to);
    } else {
      keepBeside(from, to);
    }
  }

  // Moves `from` to the name `to`, where nothing stands; across file systems
  // the old file goes only once the copy is found to hold its bytes.
  bool moveToFreeName(const fs::path& from, const fs::path& to) {
    std::error_code error;
    if (!makeParent(to)) return false;
    if (steps_.rename(from, to, error)) return true;
    if (!standsThere(from)) return true;  // moved meanwhile by another program of ours
    if (!steps_.copy(from, to, error)) return failed(to, error);
    if (!sameContent(from, to)) return failed(to, std::make_error_code(std::errc::io_error));
    return drop(from);
  }

  // Puts `file` beside `taken` under the first older-copy name that is free
  // or holds the same already.
  bool keepBeside(const fs::path& file, const fs::path& taken) {
    for (int number = 1;; ++number) {
      const fs::path beside = olderCopyName(taken, number);
      if (!standsThere(beside)) return moveToFreeName(file, beside);
      if (sameContent(file, beside)) return drop(file);
    }
  }

  bool drop(const fs::path& file) {
    std::error_code error;
    return steps_.remove(file, error) || failed(file, error);
  }

  bool makeParent(const fs::path& path) {
    std::error_code error;
    const fs::path parent = path.parent_path();
    return fs::is_directory(statusOf(parent)) || steps_.makeFolder(parent, error) ||
           failed(parent, error);
  }

  MergeSteps& steps_;
  std::optional<MergeProblem> problem_;
};

}  // namespace

std::optional<MergeProblem> mergeInto(const fs::path& from, const fs::path& to, MergeSteps& steps) {
  Merge merge(steps);
  merge.entry(from, to);
  return merge.problem();
}

}  // namespace skyrill
