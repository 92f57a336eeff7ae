#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/query_pipeline.h"

namespace skyrill {

// Names fetched days and, while auto-save is on, writes each into the
// History folder's subfolder for the selected year.
class HistoryArchive : public DayArchive {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  explicit HistoryArchive(
      std::filesystem::path programDir,
      Clock clock = [] { return std::chrono::system_clock::now(); });

  void setAutoSave(bool on) { autoSave_ = on; }
  bool autoSaveEnabled() const { return autoSave_; }

  std::string suggestFileName(const QueryRequest& request) override;
  void autoSave(const QueryRequest& request, std::string_view fileName,
                std::string_view bytes) override;

 private:
  std::filesystem::path programDir_;
  Clock clock_;
  bool autoSave_ = false;
};

}  // namespace skyrill
