#include "store/whole_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <utility>

namespace skyrill {
namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { close(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now; false when the close reports an error.
  bool close() {
    if (fd_ < 0) return true;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

namespace fs = std::filesystem;

constexpr std::string_view kTempMark = ".tmp-";
constexpr std::size_t kTempRandomDigits = 8;

// The folder a file lies in; "." for a bare name.
fs::path folderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// "<name>.tmp-<pid>-<random>": the process id lets a later clean-up tell a
// write that was killed from one still going on. A long name is cut so that
// the temporary name stays within the length a folder allows.
std::string tempName(std::string name, pid_t pid, unsigned random) {
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, "%s%ld-%0*x", kTempMark.data(), static_cast<long>(pid),
                static_cast<int>(kTempRandomDigits), random);
  const std::size_t room = NAME_MAX - std::strlen(suffix);
  if (name.size() > room) name.resize(room);
  return name + suffix;
}

// Opens a new file beside the target with a name nobody else uses; its path
// is returned in tempPath. -1 on failure.
int createTempBeside(const fs::path& target, std::string& tempPath) {
  // Seeded once per thread: a random device opened for each file costs more
  // than the small file written through it.
  thread_local std::minstd_rand random(std::random_device{}());
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempPath = (folderOf(target) /
                tempName(target.filename().string(), ::getpid(), static_cast<unsigned>(random())))
                   .string();
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The process that wrote a temporary file of ours; nullopt for any other name.
std::optional<pid_t> writerOfTemp(std::string_view name) {
  const std::size_t mark = name.rfind(kTempMark);
  if (mark == std::string_view::npos) return std::nullopt;
  const std::string_view rest = name.substr(mark + kTempMark.size());
  const std::size_t dash = rest.find('-');
  if (dash == std::string_view::npos || rest.size() - dash - 1 != kTempRandomDigits ||
      rest.find_first_not_of("0123456789abcdef", dash + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  pid_t pid = 0;
  const auto [end, failure] = std::from_chars(rest.data(), rest.data() + dash, pid);
  if (failure != std::errc() || end != rest.data() + dash || pid <= 0) return std::nullopt;
  return pid;
}

// Only a process that is known to be gone counts as ended: one that runs
// under another user, or under a reused id, keeps its file.
bool hasEnded(pid_t pid) {
  return ::kill(pid, 0) == -1 && errno == ESRCH;
}

// Why the target may not be replaced; no error when it may. A file nobody
// may write to is kept as it is even for root; one that is not ours to write
// is too, although a rename into its folder would replace it. What is no
// regular file (a device such as /dev/null, a pipe, a folder) is never
// replaced by one.
std::error_code refusalOf(const fs::path& target) {
  struct stat info {};
  if (::lstat(target.c_str(), &info) != 0) return {};  // a new file
  if (S_ISLNK(info.st_mode)) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
  if (S_ISDIR(info.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(info.st_mode)) return std::make_error_code(std::errc::operation_not_supported);
  const bool noWriteBit = S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
  if (noWriteBit ||
      (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)) {
    return std::make_error_code(std::errc::permission_denied);
  }
  return {};
}

// Gives the new file the permissions of the file it replaces.
bool copyPermissions(const fs::path& target, int fd) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return true;  // no old file: keep the default
  return ::fchmod(fd, info.st_mode & 07777) == 0;
}

// Makes a rename in the folder last through a power cut. A folder we may not
// open, or a file system that cannot sync folders, is left as it is.
bool syncFolder(const fs::path& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return !fd.valid() || ::fsync(fd.get()) == 0 || errno == EINVAL;
}

// Folders are cleaned once a run: a History year folder is written into
// again and again, and its leftovers only come from earlier runs.
void removeLeftoverTempFilesOnce(const fs::path& folder) {
  static std::mutex guard;
  static std::set<std::string> cleaned;
  {
    const std::lock_guard<std::mutex> lock(guard);
    if (!cleaned.insert(folder.lexically_normal().string()).second) return;
  }
  removeLeftoverTempFiles(folder);
}

// The target a write into `path` replaces, or the reason it may not.
std::optional<fs::path> writableTarget(const fs::path& path, std::error_code& error) {
  fs::path target = followLinks(path);
  error = refusalOf(target);
  if (error) return std::nullopt;
  removeLeftoverTempFilesOnce(folderOf(target));
  return target;
}

std::error_code lastError() {
  return std::error_code(errno, std::generic_category());
}

}  // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
  // Only regular files: a pipe or a device such as /dev/zero would block the
  // open or never end. O_NONBLOCK keeps the open of a pipe from waiting.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  // Straight into the text, sized as the file is now; a file that grows
  // meanwhile is read on in steps, up to maxBytes.
  constexpr std::size_t kStep = 65536;
  std::string bytes;
  std::size_t filled = 0;
  bytes.resize(std::min(static_cast<std::size_t>(info.st_size) + 1, maxBytes));
  while (filled < maxBytes) {
    if (filled == bytes.size()) bytes.resize(std::min(filled + kStep, maxBytes));
    const ssize_t count = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;  // a folder, or a read error
    }
    filled += static_cast<std::size_t>(count);
  }
  bytes.resize(filled);
  return bytes;
}

bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code error;
  return writeWholeFile(path, bytes, error);
}

bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes,
                    std::error_code& error) {
  WholeFileStream file;
  if (!file.open(path, error)) return false;
  file.append(bytes);
  return file.commit(error);
}

WholeFileStream::~WholeFileStream() {
  discard();
}

bool WholeFileStream::open(const fs::path& path, std::error_code& error) {
  discard();
  const std::optional<fs::path> target = writableTarget(path, error);
  if (!target) return false;
  fd_ = createTempBeside(*target, temp_);
  if (fd_ < 0) {
    error = lastError();
    return false;
  }
  target_ = *target;
  error_.clear();
  return true;
}

void WholeFileStream::append(std::string_view bytes) {
  constexpr std::size_t kBufferBytes = 1 << 16;
  if (buffer_.empty() && bytes.size() >= kBufferBytes) {
    // A large part goes straight to the file, not through the buffer.
    if (!error_ && fd_ >= 0 && !writeAll(fd_, bytes)) error_ = lastError();
    return;
  }
  buffer_.append(bytes);
  if (buffer_.size() >= kBufferBytes) flush();
}

bool WholeFileStream::flush() {
  if (!error_ && fd_ >= 0 && !writeAll(fd_, buffer_)) error_ = lastError();
  buffer_.clear();
  return !error_;
}

bool WholeFileStream::commit(std::error_code& error) {
  error.clear();
  if (fd_ < 0) {
    error = std::make_error_code(std::errc::bad_file_descriptor);
    return false;
  }
  if (flush() && !(copyPermissions(target_, fd_) && ::fsync(fd_) == 0)) error_ = lastError();
  FileDescriptor fd(std::exchange(fd_, -1));
  if (!fd.close() && !error_) error_ = lastError();
  if (!error_ && std::rename(temp_.c_str(), target_.c_str()) != 0) error_ = lastError();
  if (error_) {
    error = error_;
    ::unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  temp_.clear();
  if (!syncFolder(folderOf(target_))) error = lastError();
  return !error;
}

void WholeFileStream::discard() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  buffer_.clear();
}

namespace {

// One sync of each file system that holds one of the folders (a sync of one
// with nothing left to write costs little); false when one fails.
bool syncFileSystems(const std::set<std::string>& folders) {
  for (const std::string& folder : folders) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || ::syncfs(fd.get()) != 0) return false;
  }
  return true;
}

}  // namespace

WholeFileBatch::~WholeFileBatch() {
  discard();
}

bool WholeFileBatch::add(const fs::path& path, std::string_view bytes, std::error_code& error) {
  const std::optional<fs::path> target = writableTarget(path, error);
  if (!target) return false;
  std::string temp;
  FileDescriptor fd(createTempBeside(*target, temp));
  if (!fd.valid()) {
    error = lastError();
    return false;
  }
  const bool written = writeAll(fd.get(), bytes) && copyPermissions(*target, fd.get());
  if (!written) error = lastError();
  if (!fd.close() && written) error = lastError();
  if (error) {
    ::unlink(temp.c_str());
    return false;
  }
  pending_.push_back({*target, std::move(temp)});
  return true;
}

bool WholeFileBatch::commit(std::error_code& error) {
  error.clear();
  placed_ = 0;
  if (pending_.empty()) return true;
  std::set<std::string> folders;
  for (const Pending& file : pending_) folders.insert(folderOf(file.target).string());
  if (!syncFileSystems(folders)) {
    // Where the file systems cannot be synced whole, each file on its own.
    for (const Pending& file : pending_) {
      FileDescriptor fd(::open(file.temp.c_str(), O_WRONLY | O_CLOEXEC));
      if (!fd.valid() || ::fsync(fd.get()) != 0) {
        error = lastError();
        discard();
        return false;
      }
    }
  }
  for (std::size_t i = 0; i < pending_.size(); ++i) {
    if (std::rename(pending_[i].temp.c_str(), pending_[i].target.c_str()) != 0) {
      error = lastError();
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i));
      discard();
      return false;
    }
    ++placed_;
  }
  pending_.clear();
  for (const std::string& renamedIn : folders) {
    if (!syncFolder(renamedIn)) error = lastError();
  }
  return !error;
}

void WholeFileBatch::discard() {
  for (const Pending& file : pending_) ::unlink(file.temp.c_str());
  pending_.clear();
}

namespace {

// A rename that replaces nothing; a file system that cannot promise it
// (RENAME_NOREPLACE unknown to it) gets a hard link and an unlink, which
// cannot replace either.
bool renameNoReplace(const char* from, const char* to) {
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from, to) != 0) return false;
  ::unlink(from);
  return true;
}

bool copyBytes(int from, int to) {
  char chunk[1 << 16];
  for (;;) {
    const ssize_t count = ::read(from, chunk, sizeof chunk);
    if (count == 0) return true;
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!writeAll(to, std::string_view(chunk, static_cast<std::size_t>(count)))) return false;
  }
}

}  // namespace

bool renameToNew(const fs::path& from, const fs::path& to, std::error_code& error) {
  error.clear();
  if (!renameNoReplace(from.c_str(), to.c_str())) {
    error = lastError();
    return false;
  }
  if (!syncFolder(folderOf(to)) || !syncFolder(folderOf(from))) error = lastError();
  return !error;
}

bool copyToNewFile(const fs::path& from, const fs::path& to, std::error_code& error) {
  error.clear();
  FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (!source.valid() || ::fstat(source.get(), &info) != 0) {
    error = lastError();
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = std::make_error_code(std::errc::operation_not_supported);
    return false;
  }
  std::string temp;
  FileDescriptor copy(createTempBeside(to, temp));
  if (!copy.valid()) {
    error = lastError();
    return false;
  }
  const timespec times[2] = {info.st_atim, info.st_mtim};
  const bool copied = copyBytes(source.get(), copy.get()) &&
                      ::fchmod(copy.get(), info.st_mode & 07777) == 0 &&
                      ::futimens(copy.get(), times) == 0 && ::fsync(copy.get()) == 0;
  if (!copied) error = lastError();
  if (!copy.close() && !error) error = lastError();
  if (!error && !renameNoReplace(temp.c_str(), to.c_str())) error = lastError();
  if (error) {
    ::unlink(temp.c_str());
    return false;
  }
  if (!syncFolder(folderOf(to))) error = lastError();
  return !error;
}

std::string writeFailureCause(const std::filesystem::path& path, std::error_code error) {
  const bool fromTheSystem =
      error.category() == std::generic_category() || error.category() == std::system_category();
  switch (fromTheSystem ? error.value() : 0) {
    case ENOSPC:
      return "no space left on the device";
    case EDQUOT:
      return "the disk quota is used up";
    case EFBIG:
      return "the file would grow past the largest size allowed";
    case EROFS:
      return "the file system is read-only";
    case EACCES:
    case EPERM:
      return "permission denied";
    case ELOOP:
      return "its symbolic links lead round in a loop";
    case EPIPE:
      return "nobody reads the pipe any more";
    case EISDIR:
      return "it is a folder";
    case ENOTDIR:
      return "a file stands where a folder goes";
    case EOPNOTSUPP:
      return "it is no regular file (a device, a pipe or a socket) and is not replaced";
    case ENOENT: {
      const fs::path target = followLinks(path);
      if (target != path) {
        return "it is a symbolic link to " + target.string() + ", whose folder does not exist";
      }
      return "the folder " + folderOf(path).string() + " does not exist";
    }
    default:
      return error.message();
  }
}

std::filesystem::path followLinks(const std::filesystem::path& path) {
  fs::path current = path;
  for (int hop = 0; hop < 40; ++hop) {  // a loop of links ends somewhere
    std::error_code error;
    if (!fs::is_symlink(current, error)) return current;
    const fs::path next = fs::read_symlink(current, error);
    if (error) return current;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current;
}

void removeLeftoverTempFiles(const std::filesystem::path& folder) {
  std::error_code error;
  fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error);
  for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
    const std::optional<pid_t> writer = writerOfTemp(entry->path().filename().string());
    std::error_code ignored;
    if (writer && hasEnded(*writer) && entry->is_regular_file(ignored)) {
      fs::remove(entry->path(), ignored);
    }
  }
}

}  // namespace skyrill
