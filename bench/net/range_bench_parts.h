#pragma once

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "server_thread.h"
#include "weather_routes.h"

// What the range benchmarks share: one sample service for the whole program,
// so that every side asks the same server, and folders of the run's own.
namespace skyrill::bench {

// The base address of the sample service, started at the first call.
inline const std::string& serviceBase() {
  static sample::ServerThread service(std::make_unique<httplib::Server>());
  static const std::string base = [] {
    sample::addWeatherRoutes(service.server(), {}, false);
    return "http://127.0.0.1:" + std::to_string(service.start("127.0.0.1", 0));
  }();
  return base;
}

// A folder of the run's own, removed at exit.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "skyrill-range-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code error;
    if (!root_.empty()) std::filesystem::remove_all(root_, error);
  }

  // A new empty folder inside, for one run. Nothing is removed until the
  // end: a mass removal between runs would make the file system's inode
  // allocation of the next run scan its freed inodes, a cost of the
  // benchmark's own that either side would pay.
  std::filesystem::path fresh(const std::string& name) {
    const std::filesystem::path folder = root_ / (name + std::to_string(++made_));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
  }

 private:
  std::filesystem::path root_;
  int made_ = 0;
};

}  // namespace skyrill::bench
