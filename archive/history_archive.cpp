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

// Where one entry of a walk goes: a folder onto the folders still to list,
// a file to read into the files; anything else is passed over.
void takeEntry(const fs::directory_entry& entry, std::vector<fs::path>& pending,
               ObservationFileWalk& walk) {
  std::error_code error;
  const fs::file_status own = entry.symlink_status(error);
  if (error) {
    walk.unread.push_back({entry.path(), error});
  } else if (fs::is_directory(own)) {
    pending.push_back(entry.path());
  } else if (entry.path().extension() == ".json") {
    // A link that leads nowhere is a day that cannot be read: reading it
    // gives the window's message for that.
    const bool regular = entry.is_regular_file(error);
    if (regular || error) walk.files.push_back(entry.path());
  }
}

// Every folder below `top` is listed on its own: one that cannot be listed
// is noted and its siblings are still walked.
void walkFolder(const fs::path& top, const FolderLister& list, ObservationFileWalk& walk) {
  std::vector<fs::path> pending = {top};
  while (!pending.empty()) {
    const fs::path folder = std::move(pending.back());
    pending.pop_back();
    std::error_code error;
    for (const fs::directory_entry& entry : list(folder, error)) takeEntry(entry, pending, walk);
    if (error) walk.unread.push_back({folder, error});
  }
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

std::vector<fs::directory_entry> listFolder(const fs::path& folder, std::error_code& error) {
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator entry(folder, error); !error && entry != fs::directory_iterator();
       entry.increment(error)) {
    entries.push_back(*entry);
  }
  return entries;
}

ObservationFileWalk walkObservationFiles(const std::vector<fs::path>& folders,
                                         const FolderLister& list) {
  ObservationFileWalk walk;
  for (const fs::path& folder : folders) {
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (status.type() == fs::file_type::not_found) {
      walk.missing.push_back(folder);
    } else if (error) {
      walk.unread.push_back({folder, error});
    } else if (fs::is_directory(status)) {
      walkFolder(folder, list, walk);
    } else if (folder.extension() == ".json" && fs::is_regular_file(status)) {
      walk.files.push_back(folder);
    }
  }
  std::sort(walk.files.begin(), walk.files.end());
  std::sort(walk.unread.begin(), walk.unread.end(),
            [](const UnreadEntry& a, const UnreadEntry& b) { return a.path < b.path; });
  return walk;
}

std::vector<fs::path> findObservationFiles(const std::vector<fs::path>& folders,
                                           std::vector<fs::path>& missing) {
  ObservationFileWalk walk = walkObservationFiles(folders);
  missing.insert(missing.end(), walk.missing.begin(), walk.missing.end());
  return std::move(walk.files);
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
