#pragma once

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "tests/store/temp_folder.h"

namespace skyrill::test {

namespace fs = std::filesystem;

// Holds back the reads of files that `holds` picks until it is opened;
// going away, it opens.
class ReadGate {
 public:
  explicit ReadGate(std::function<bool(const fs::path&)> holds) : holds_(std::move(holds)) {}
  ~ReadGate() { open(); }

  void open() {
    const std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  void close() {
    const std::lock_guard lock(mutex_);
    open_ = false;
  }

  std::string read(const fs::path& path) {
    if (holds_(path)) {
      std::unique_lock lock(mutex_);
      ++waiting_;
      opened_.wait(lock, [this] { return open_; });
      --waiting_;
    }
    return testing::readBytes(path);
  }

  bool hasWaiting() {
    const std::lock_guard lock(mutex_);
    return waiting_ > 0;
  }

 private:
  std::function<bool(const fs::path&)> holds_;
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  int waiting_ = 0;
};

}  // namespace skyrill::test
