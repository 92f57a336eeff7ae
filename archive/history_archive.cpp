#include "archive/history_archive.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>
#include <system_error>
#include <utility>

#include "store/observation_files.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;

// What an entry is itself, as far as a walk tells kinds apart: a link, a
// folder, a file or something else. The listing mostly tells already; only
// where it does not is the entry looked at.
fs::file_type ownType(const fs::directory_entry& entry, std::error_code& error) {
  if (entry.is_symlink(error)) return fs::file_type::symlink;
  if (error) return fs::file_type::none;
  if (entry.is_directory(error)) return fs::file_type::directory;
  if (entry.is_regular_file(error)) return fs::file_type::regular;
  return error ? fs::file_type::none : fs::file_type::unknown;
}

// A folder being walked: its entries in name order and the next to look at.
struct OpenFolder {
  fs::path path;
  std::vector<FolderEntry> entries;
  std::size_t next = 0;
};

// A folder's entries in name order; one that cannot be listed is noted.
OpenFolder openFolder(fs::path folder, const FolderLister& list, ObservationFileWalk& walk) {
  std::error_code error;
  OpenFolder open{std::move(folder), {}};
  open.entries = list(open.path, error);
  if (error) walk.unread.push_back({open.path, error});
  std::sort(open.entries.begin(), open.entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return open;
}

// Whether a walk takes an entry that is no folder as a day: a "*.json" file,
// or a link to one. A link that leads nowhere is taken too: reading it gives
// the window's message for that.
bool takesAsDay(const fs::path& path, fs::file_type type) {
  if (path.extension() != ".json") return false;
  if (type != fs::file_type::symlink) return type == fs::file_type::regular;
  std::error_code error;
  return fs::is_regular_file(path, error) || error;
}

// Where one entry of a walk goes: a folder onto the folders open, a file to
// read into the files; anything else is passed over.
void takeEntry(const fs::path& path, const FolderEntry& entry, const FolderLister& list,
               std::vector<OpenFolder>& open, ObservationFileWalk& walk) {
  if (entry.error) {
    walk.unread.push_back({path, entry.error});
  } else if (entry.type == fs::file_type::directory) {
    open.push_back(openFolder(path, list, walk));
  } else if (takesAsDay(path, entry.type)) {
    walk.files.add(path);
  }
}

// Every folder below `top` is listed on its own: one that cannot be listed
// is noted and its siblings are still walked. Entries go in name order, a
// folder's files before those of the next entry: the files come in path
// order.
void walkFolder(const fs::path& top, const FolderLister& list, ObservationFileWalk& walk) {
  std::vector<OpenFolder> open;
  open.push_back(openFolder(top, list, walk));
  while (!open.empty()) {
    OpenFolder& folder = open.back();
    if (folder.next == folder.entries.size()) {
      open.pop_back();
      continue;
    }
    const FolderEntry entry = std::move(folder.entries[folder.next++]);
    takeEntry(folder.path / entry.name, entry, list, open, walk);
  }
}

// What one folder or file given to a walk holds.
void walkArgument(const fs::path& folder, const FolderLister& list, ObservationFileWalk& walk) {
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (status.type() == fs::file_type::not_found) {
    walk.missing.push_back(folder);
  } else if (error) {
    walk.unread.push_back({folder, error});
  } else if (fs::is_directory(status)) {
    walkFolder(folder, list, walk);
  } else if (folder.extension() == ".json" && fs::is_regular_file(status)) {
    walk.files.add(folder);
  }
}

// Whether the files of the arguments, each run in path order on its own,
// are in path order together: they are unless one argument holds another.
bool inPathOrder(const FoundFiles& files, const std::vector<std::size_t>& runStarts) {
  for (std::size_t i = 1; i < runStarts.size(); ++i) {
    const std::size_t start = runStarts[i];
    if (start == 0 || start == files.size()) continue;
    if (files.path(start) < files.path(start - 1)) return false;
  }
  return true;
}

// The arguments that do not exist, in the order given.
std::vector<fs::path> inGivenOrder(const std::vector<fs::path>& given,
                                   const std::vector<fs::path>& missing) {
  std::vector<fs::path> ordered;
  for (const fs::path& folder : given) {
    if (std::find(missing.begin(), missing.end(), folder) != missing.end())
      ordered.push_back(folder);
  }
  return ordered;
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

// Every year folder of the archive: its folders named by digits alone.
std::vector<fs::path> allYearFolders(const fs::path& root) {
  std::vector<fs::path> folders;
  std::error_code error;
  for (fs::directory_iterator entry(root, error); !error && entry != fs::directory_iterator();
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    const bool digits = !name.empty() && std::all_of(name.begin(), name.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    std::error_code kind;
    if (digits && entry->is_directory(kind)) folders.push_back(entry->path());
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

// Calls `visit` with the name of every entry of a folder and whether the
// listing says it is a regular file (true), something else (false) or leaves
// that open (nullopt: a link, or a file system that does not say). Names come
// straight from the listing, so a folder of many thousands of other
// stations' files costs no path per file.
template <typename Visit>
void forEachName(const fs::path& folder, Visit visit) {
  DIR* const listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    std::optional<bool> regular;
    if (entry->d_type == DT_REG)
      regular = true;
    else if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
      regular = false;
    visit(std::string_view(entry->d_name), regular);
  }
  ::closedir(listing);
}

FetchStamp stampOf(const ArchivedDay& day) {
  return FetchStamp{day.name.pastDay, day.name.fetchTime, day.file};
}

// The station's files in the folders on the dates taken, the latest fetch of
// each date, by date.
std::vector<ArchivedDay> latestDays(const std::vector<fs::path>& folders, std::string_view station,
                                    const std::function<bool(int date)>& takes) {
  std::map<int, ArchivedDay> latest;  // by date
  // Other stations' files are passed over by a look at the name alone.
  const std::string stationField = "_" + nameField(station) + "_";
  for (const fs::path& folder : folders) {
    forEachName(folder, [&](std::string_view fileName, std::optional<bool> regular) {
      if (fileName.find(stationField) == std::string_view::npos || !fileName.ends_with(".json"))
        return;
      auto name = readObservationName(fileName);
      if (!name || name->station != station || !takes(name->date)) return;
      ArchivedDay day{folder / fileName, std::move(*name)};
      std::error_code error;  // a link counts as what it leads to
      if (!(regular ? *regular : fs::is_regular_file(day.file, error))) return;
      const auto held = latest.find(day.name.date);
      if (held == latest.end()) {
        latest.emplace(day.name.date, std::move(day));
      } else if (fetchedBefore(stampOf(held->second), stampOf(day))) {
        held->second = std::move(day);
      }
    });
  }
  std::vector<ArchivedDay> days;
  days.reserve(latest.size());
  for (auto& [date, day] : latest) days.push_back(std::move(day));
  return days;
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

std::vector<FolderEntry> listFolder(const fs::path& folder, std::error_code& error) {
  std::vector<FolderEntry> entries;
  for (fs::directory_iterator entry(folder, error); !error && entry != fs::directory_iterator();
       entry.increment(error)) {
    FolderEntry listed;
    listed.name = entry->path().filename().native();
    listed.type = ownType(*entry, listed.error);
    entries.push_back(std::move(listed));
  }
  return entries;
}

FoundFiles::FoundFiles(const std::vector<fs::path>& paths) {
  for (const fs::path& path : paths) add(path);
}

void FoundFiles::add(const fs::path& file) {
  const std::string_view text = file.native();
  const std::size_t nameAt = text.rfind('/') + 1;  // 0 when there is no folder
  const std::string_view name = text.substr(nameAt);
  files_.push_back({folderIndex(text.substr(0, nameAt)), static_cast<std::uint32_t>(name.size()),
                    names_.size()});
  names_ += name;
}

std::string_view FoundFiles::name(std::size_t i) const {
  return nameOf(files_[i]);
}

std::string FoundFiles::pathText(std::size_t i) const {
  const File& file = files_[i];
  std::string text = folders_[file.folder];
  text += nameOf(file);
  return text;
}

std::vector<fs::path> FoundFiles::paths() const {
  std::vector<fs::path> all;
  all.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) all.push_back(path(i));
  return all;
}

void FoundFiles::sortByPath() {
  std::sort(files_.begin(), files_.end(),
            [this](const File& a, const File& b) { return pathBefore(a, b); });
}

std::uint32_t FoundFiles::folderIndex(std::string_view folder) {
  // A walk adds a folder's files one after the other.
  if (!folders_.empty() && folders_.back() == folder)
    return static_cast<std::uint32_t>(folders_.size() - 1);
  const auto [at, added] =
      folderIndexes_.try_emplace(std::string(folder), static_cast<std::uint32_t>(folders_.size()));
  if (added) folders_.push_back(at->first);
  return at->second;
}

std::string_view FoundFiles::nameOf(const File& file) const {
  return std::string_view(names_).substr(file.nameAt, file.nameSize);
}

bool FoundFiles::pathBefore(const File& a, const File& b) const {
  // Within a folder the names tell; across folders the paths compare part
  // by part, as std::filesystem::path does.
  if (a.folder == b.folder) return nameOf(a) < nameOf(b);
  return fs::path(folders_[a.folder]) / nameOf(a) < fs::path(folders_[b.folder]) / nameOf(b);
}

ObservationFileWalk walkObservationFiles(const std::vector<fs::path>& folders,
                                         const FolderLister& list) {
  ObservationFileWalk walk;
  std::vector<fs::path> ordered = folders;
  std::sort(ordered.begin(), ordered.end());
  std::vector<std::size_t> runStarts;
  for (const fs::path& folder : ordered) {
    runStarts.push_back(walk.files.size());
    walkArgument(folder, list, walk);
  }
  if (!inPathOrder(walk.files, runStarts)) walk.files.sortByPath();
  walk.missing = inGivenOrder(folders, walk.missing);
  std::sort(walk.unread.begin(), walk.unread.end(),
            [](const UnreadEntry& a, const UnreadEntry& b) { return a.path < b.path; });
  return walk;
}

std::vector<fs::path> findObservationFiles(const std::vector<fs::path>& folders,
                                           std::vector<fs::path>& missing) {
  ObservationFileWalk walk = walkObservationFiles(folders);
  missing.insert(missing.end(), walk.missing.begin(), walk.missing.end());
  return walk.files.paths();
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

bool HistoryArchive::makeRoot(std::error_code& error) const {
  error.clear();
  fs::create_directories(root_, error);
  if (!error && !fs::is_directory(root_, error) && !error) {
    error = std::make_error_code(std::errc::not_a_directory);
  }
  if (error) return false;
  // Asked with the rights the process acts with; a read-only mount says so
  // even to root.
  if (::faccessat(AT_FDCWD, root_.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    error = std::error_code(errno, std::generic_category());
    return false;
  }
  return true;
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
  setRequestDate(request, date);
  return placeOf(request.year, makeSuggestedFileName(request, {}));
}

bool HistoryArchive::holdsPastDay(std::string_view station, int date, bool advanced) const {
  std::error_code error;
  return fs::is_regular_file(pastDayFile(station, date, advanced), error);
}

std::vector<ArchivedDay> HistoryArchive::daysInPeriod(std::string_view station, int from,
                                                      int to) const {
  return latestDays(yearFolders(root_, from / 10000, to / 10000), station,
                    [from, to](int date) { return from <= date && date <= to; });
}

std::vector<ArchivedDay> HistoryArchive::latestDayOfEachStation() const {
  std::map<std::string, ArchivedDay> latest;  // by station
  for (const fs::path& folder : allYearFolders(root_)) {
    forEachName(folder, [&](std::string_view fileName, std::optional<bool> regular) {
      auto name = fileName.ends_with(".json") ? readObservationName(fileName) : std::nullopt;
      if (!name) return;
      ArchivedDay day{folder / fileName, std::move(*name)};
      std::error_code error;  // a link counts as what it leads to
      if (!(regular ? *regular : fs::is_regular_file(day.file, error))) return;
      const auto held = latest.find(day.name.station);
      if (held == latest.end()) {
        latest.emplace(day.name.station, std::move(day));
      } else if (held->second.name.date < day.name.date ||
                 (held->second.name.date == day.name.date &&
                  fetchedBefore(stampOf(held->second), stampOf(day)))) {
        held->second = std::move(day);
      }
    });
  }
  std::vector<ArchivedDay> days;
  days.reserve(latest.size());
  for (auto& [station, day] : latest) days.push_back(std::move(day));
  return days;
}

std::vector<ArchivedDay> HistoryArchive::daysWhere(
    std::string_view station, const std::function<bool(int date)>& takes) const {
  return latestDays(allYearFolders(root_), station, takes);
}

}  // namespace skyrill
