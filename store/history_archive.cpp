#include "store/history_archive.h"

#include <utility>

#include "store/observation_files.h"

namespace skyrill {

HistoryArchive::HistoryArchive(std::filesystem::path programDir, Clock clock)
    : programDir_(std::move(programDir)), clock_(std::move(clock)) {}

std::string HistoryArchive::suggestFileName(const QueryRequest& request) {
  return makeSuggestedFileName(request, clock_());
}

void HistoryArchive::autoSave(const QueryRequest& request, std::string_view fileName,
                              std::string_view bytes) {
  if (autoSave_) autoSaveDay(programDir_, request.year, fileName, bytes);
}

}  // namespace skyrill
