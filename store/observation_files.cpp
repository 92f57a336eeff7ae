#include "store/observation_files.h"

#include <system_error>

#include "json/json_document.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

// Why a file that gave no bytes gave none.
FileProblem problemOfUnread(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return FileProblem::Missing;
  if (std::filesystem::is_directory(status)) return FileProblem::Folder;
  if (std::filesystem::is_regular_file(status) && std::filesystem::file_size(path, error) == 0 &&
      !error) {
    return FileProblem::Empty;
  }
  return FileProblem::Unreadable;
}

}  // namespace

bool ensureFolderPath(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error);
}

bool writeDayFile(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code error;
  return writeDayFile(path, bytes, error);
}

bool writeDayFile(const std::filesystem::path& path, std::string_view bytes,
                  std::error_code& error) {
  if (bytes.empty()) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  return writeWholeFile(path, bytes, error);
}

bool canSaveDay(const QueryState& state) {
  return !state.suggestedFileName.empty() && !state.responseBytes.empty();
}

std::string readDayFile(const std::filesystem::path& path) {
  return loadDayFile(path).bytes;
}

DayFileBytes loadDayFile(const std::filesystem::path& path) {
  // One byte past the size a parse accepts is enough to fail it, as an
  // answer cut at the web client's limit fails.
  std::optional<std::string> bytes = readWholeFile(path, JsonDocument::kMaxTextBytes + 1);
  if (!bytes || bytes->empty()) return {{}, problemOfUnread(path)};
  const bool tooLarge = bytes->size() > JsonDocument::kMaxTextBytes;
  return {std::move(*bytes), tooLarge ? FileProblem::TooLarge : FileProblem::None};
}

}  // namespace skyrill
