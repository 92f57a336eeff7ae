#include "archive/history_archive.h"

#include <algorithm>
#include <map>
#include <system_error>
#include <utility>

#include "store/observation_files.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;

bool isObservationFile(const fs::directory_entry& entry) {
  std::error_code error;
  return entry.path().extension() == ".json" && entry.is_regular_file(error);
}

// The year folders that may hold days of [fromYear, toYear]: a current day
// goes to the year its list showed, which may be a year off at a new year.
std::vector<fs::path> yearFolders(const fs::path& root, int fromYear, int toYear) {
  std::vector<fs::path> folders;
  for (int year = fromYear - 1; year <= toYear + 1; ++year) {
    const fs::path folder = root / std::to_string(year);
    std::error_code error;
    if (fs::is_directory(folder, error)) folders.push_back(folder);
  }
  return folders;
}

}  // namespace

fs::path historyFolder(const fs::path& dataDir) {
  return dataDir / "History";
}

bool fetchedBefore(const FetchStamp& a, const FetchStamp& b) {
  const auto named = [](const FetchStamp& stamp) {
    return std::make_pair(stamp.pastDay, stamp.fetchTime);
  };
  if (named(a) != named(b)) return named(a) < named(b);
  // Duplicates are few: only they pay for a stat.
  std::error_code error;
  return fs::last_write_time(a.file, error) < fs::last_write_time(b.file, error);
}

std::vector<fs::path> findObservationFiles(const std::vector<fs::path>& folders,
                                           std::vector<fs::path>& missing) {
  std::vector<fs::path> found;
  for (const fs::path& folder : folders) {
    std::error_code error;
    const fs::directory_entry top(folder, error);
    if (!top.exists(error)) {
      missing.push_back(folder);
      continue;
    }
    if (!top.is_directory(error)) {
      if (isObservationFile(top)) found.push_back(top.path());
      continue;
    }
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                          error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
      if (isObservationFile(*walk)) found.push_back(walk->path());
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

HistoryArchive::HistoryArchive(const fs::path& dataDir, Clock clock)
    : HistoryArchive(historyFolder(dataDir), std::move(clock), 0) {}

HistoryArchive::HistoryArchive(fs::path root, Clock clock, int)
    : root_(std::move(root)), clock_(std::move(clock)) {}

HistoryArchive HistoryArchive::inFolder(fs::path root, Clock clock) {
  return HistoryArchive(std::move(root), std::move(clock), 0);
}

std::string HistoryArchive::suggestFileName(const QueryRequest& request) {
  return makeSuggestedFileName(request, clock_());
}

void HistoryArchive::autoSave(const QueryRequest& request, std::string_view fileName,
                              std::string_view bytes) {
  if (autoSave_) save(request.year, fileName, bytes);
}

fs::path HistoryArchive::placeOf(std::string_view yearText, std::string_view fileName) const {
  return root_ / nameField(yearText) / nameField(fileName);
}

bool HistoryArchive::save(std::string_view yearText, std::string_view fileName,
                          std::string_view bytes, std::error_code* error) const {
  if (bytes.empty() || fileName.empty()) return false;
  const fs::path file = placeOf(yearText, fileName);
  ensureFolderPath(file.parent_path());
  std::error_code writeError;
  const bool written = writeWholeFile(file, bytes, writeError);
  if (error) *error = writeError;
  return written;
}

fs::path HistoryArchive::pastDayFile(std::string_view station, int date, bool advanced) const {
  QueryRequest request;
  request.mode = QueryMode::History;
  request.stationNumber = station;
  request.advancedSource = advanced;
  request.year = std::to_string(date / 10000);
  request.month = std::to_string(date / 100 % 100);
  request.day = std::to_string(date % 100);
  return placeOf(request.year, makeSuggestedFileName(request, {}));
}

bool HistoryArchive::holdsPastDay(std::string_view station, int date, bool advanced) const {
  std::error_code error;
  return fs::is_regular_file(pastDayFile(station, date, advanced), error);
}

std::vector<ArchivedDay> HistoryArchive::daysInPeriod(std::string_view station, int from,
                                                      int to) const {
  std::map<int, ArchivedDay> latest;  // by date
  const auto stampOf = [](const ArchivedDay& day) {
    return FetchStamp{day.name.pastDay, day.name.fetchTime, day.file};
  };
  // Other stations' files are passed over by a look at the name alone.
  const std::string stationField = "_" + nameField(station) + "_";
  for (const fs::path& folder : yearFolders(root_, from / 10000, to / 10000)) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error); !error && entry != fs::directory_iterator();
         entry.increment(error)) {
      const std::string fileName = entry->path().filename().string();
      if (fileName.find(stationField) == std::string::npos || !isObservationFile(*entry)) continue;
      auto name = readObservationName(fileName);
      if (!name || name->station != station || name->date < from || name->date > to) continue;
      ArchivedDay day{entry->path(), std::move(*name)};
      const auto held = latest.find(day.name.date);
      if (held == latest.end()) {
        latest.emplace(day.name.date, std::move(day));
      } else if (fetchedBefore(stampOf(held->second), stampOf(day))) {
        held->second = std::move(day);
      }
    }
  }
  std::vector<ArchivedDay> days;
  days.reserve(latest.size());
  for (auto& [date, day] : latest) days.push_back(std::move(day));
  return days;
}

}  // namespace skyrill
