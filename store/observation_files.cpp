#include "store/observation_files.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "core/numeric_text.h"
#include "json/json_document.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

// A text as one part of a file path: a folder separator in it would move the
// file out of its folder.
std::string nameField(std::string_view text) {
  std::string field(text);
  std::replace_if(
      field.begin(), field.end(), [](char c) { return c == '/' || c == '\\'; }, '_');
  return field;
}

std::string dateStamp(const QueryRequest& request, std::chrono::system_clock::time_point now) {
  if (request.mode == QueryMode::Today) return formatLocalTime(now, "%Y%m%d_%H%M%S");
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04lld%02lld%02lld", integerValue(request.year),
                integerValue(request.month), integerValue(request.day));
  return stamp;
}

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

std::string makeSuggestedFileName(const QueryRequest& request,
                                  std::chrono::system_clock::time_point now) {
  const char* modeDigit = request.mode == QueryMode::Today ? "1" : "0";
  const char* advancedFlag = request.advancedSource ? "1" : "0";
  return std::string(modeDigit) + "_" + nameField(request.stationNumber) + "_" + advancedFlag +
         "_" + dateStamp(request, now) + ".json";
}

bool ensureFolderPath(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error);
}

std::filesystem::path historyFolder(const std::filesystem::path& programDir) {
  return programDir / "History";
}

bool writeDayFile(const std::filesystem::path& path, std::string_view bytes) {
  return !bytes.empty() && writeWholeFile(path, bytes);
}

bool autoSaveDay(const std::filesystem::path& programDir, std::string_view yearText,
                 std::string_view fileName, std::string_view bytes) {
  if (bytes.empty() || fileName.empty()) return false;
  const std::filesystem::path folder = historyFolder(programDir) / nameField(yearText);
  ensureFolderPath(folder);
  return writeDayFile(folder / nameField(fileName), bytes);
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
