#include "store/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

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

constexpr std::string_view kTempSuffix = ".tmp-";
constexpr std::size_t kTempRandomDigits = 8;

// Opens a new file beside the target with a name nobody else uses; its path
// is returned in tempPath. -1 on failure.
int createTempBeside(const std::filesystem::path& target, std::string& tempPath) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%s%08x", kTempSuffix.data(),
                  static_cast<unsigned>(random()));
    tempPath = target.string() + suffix;
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the new file the permissions of the file it replaces.
bool copyPermissions(const std::filesystem::path& target, int fd) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return true;  // no old file: keep the default
  return ::fchmod(fd, info.st_mode & 07777) == 0;
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
  // The first step that fails says why; later ones only clean up.
  const auto failed = [&error] {
    if (!error) error = std::error_code(errno, std::generic_category());
    return false;
  };
  error.clear();
  std::string tempPath;
  FileDescriptor fd(createTempBeside(path, tempPath));
  if (!fd.valid()) return failed();
  bool ok = writeAll(fd.get(), bytes) && copyPermissions(path, fd.get()) && ::fsync(fd.get()) == 0;
  if (!ok) failed();
  ok = (fd.close() || failed()) && ok;
  ok = ok && (std::rename(tempPath.c_str(), path.c_str()) == 0 || failed());
  if (!ok) ::unlink(tempPath.c_str());
  return ok;
}

std::filesystem::path followLinks(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  for (int hop = 0; hop < 40; ++hop) {  // a loop of links ends somewhere
    std::error_code error;
    if (!std::filesystem::is_symlink(current, error)) return current;
    const std::filesystem::path next = std::filesystem::read_symlink(current, error);
    if (error) return current;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current;
}

bool isReadOnlyFile(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

void removeLeftoverTempFiles(const std::filesystem::path& path) {
  const std::string prefix = path.filename().string() + std::string(kTempSuffix);
  std::error_code error;
  std::filesystem::directory_iterator folder(path.parent_path(), error);
  for (; !error && folder != std::filesystem::directory_iterator(); folder.increment(error)) {
    const std::string name = folder->path().filename().string();
    const bool ours =
        name.size() == prefix.size() + kTempRandomDigits && name.starts_with(prefix) &&
        name.find_first_not_of("0123456789abcdef", prefix.size()) == std::string::npos;
    std::error_code ignored;
    if (ours && folder->is_regular_file(ignored)) std::filesystem::remove(folder->path(), ignored);
  }
}

}  // namespace skyrill
