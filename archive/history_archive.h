#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "archive/archive_names.h"
#include "core/query_pipeline.h"

// The History archive: every fetched day's answer, kept under the year it
// was asked for and named after its query. The one home of where a day goes
// and how days are found again; the window's auto-save, the range fetcher
// and the summary all go through it.
namespace skyrill {

// The "History" folder of a data folder.
std::filesystem::path historyFolder(const std::filesystem::path& dataDir);

// A file of the archive with what its name tells.
struct ArchivedDay {
  std::filesystem::path file;
  ObservationName name;
};

// When a file of a day was fetched, as far as its name and the file tell.
struct FetchStamp {
  bool pastDay = true;  // a past day's file was fetched once the day was over
  int fetchTime = 0;    // HHMMSS of a current day's fetch
  std::filesystem::path file;
};

// Whether `a` was fetched before `b`, both files of one station-day: a past
// day's file counts as fetched after any current-day file of that day, then
// the later fetch time in the name, then the later modification time.
bool fetchedBefore(const FetchStamp& a, const FetchStamp& b);

// Something met on a walk that could not be looked into: a folder that
// could not be listed (gone since its parent was, no permission) or an entry
// whose kind could not be told.
struct UnreadEntry {
  std::filesystem::path path;
  std::error_code error;
};

// An entry of a folder: its name and what it is itself (a link as a link:
// symlink, directory, regular, or unknown for any other kind), or why that
// could not be told.
struct FolderEntry {
  std::string name;
  std::filesystem::file_type type = std::filesystem::file_type::none;
  std::error_code error;
};

// Lists a folder's entries; on an error, those listed before it.
using FolderLister = std::function<std::vector<FolderEntry>(const std::filesystem::path& folder,
                                                            std::error_code& error)>;

// The folder's entries as the file system lists them.
std::vector<FolderEntry> listFolder(const std::filesystem::path& folder, std::error_code& error);

// Files as found, each held as its folder and its name: over many thousands
// of files a few dozen bytes a file, where a path takes hundreds.
class FoundFiles {
 public:
  FoundFiles() = default;
  explicit FoundFiles(const std::vector<std::filesystem::path>& paths);

  // Adds a file at the end.
  void add(const std::filesystem::path& file);

  std::size_t size() const { return files_.size(); }
  bool empty() const { return files_.empty(); }
  // The name of the i-th file.
  std::string_view name(std::size_t i) const;
  // The i-th file's path as it was added.
  std::string pathText(std::size_t i) const;
  std::filesystem::path path(std::size_t i) const { return pathText(i); }
  std::vector<std::filesystem::path> paths() const;

  // Puts the files in the order of their paths.
  void sortByPath();

 private:
  struct File {
    std::uint32_t folder = 0;  // index into folders_
    std::uint32_t nameSize = 0;
    std::size_t nameAt = 0;  // into names_
  };

  std::uint32_t folderIndex(std::string_view folder);
  std::string_view nameOf(const File& file) const;
  bool pathBefore(const File& a, const File& b) const;

  std::vector<std::string> folders_;  // each the start of its files' paths
  std::unordered_map<std::string, std::uint32_t> folderIndexes_;
  std::string names_;
  std::vector<File> files_;
};

// What a walk for observation files found.
struct ObservationFileWalk {
  FoundFiles files;                            // in path order
  std::vector<std::filesystem::path> missing;  // the arguments that do not exist
  std::vector<UnreadEntry> unread;             // in path order
};

// Every "*.json" file below the folders, at any depth (a file given in place
// of a folder counts too), through links to files but not to folders below.
// A link that leads nowhere is taken too, for its reading to say what is
// wrong. What cannot be looked into is noted and the walk goes on.
ObservationFileWalk walkObservationFiles(const std::vector<std::filesystem::path>& folders,
                                         const FolderLister& list = listFolder);

// The files of that walk alone; `missing` gets the arguments that do not exist.
std::vector<std::filesystem::path> findObservationFiles(
    const std::vector<std::filesystem::path>& folders, std::vector<std::filesystem::path>& missing);

class HistoryArchive : public DayArchive {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // The archive in the "History" folder of a data folder.
  explicit HistoryArchive(
      const std::filesystem::path& dataDir,
      Clock clock = [] { return std::chrono::system_clock::now(); });
  // The archive in a folder of its own choosing, e.g. one given to a tool.
  static HistoryArchive inFolder(
      std::filesystem::path root, Clock clock = [] { return std::chrono::system_clock::now(); });

  const std::filesystem::path& root() const { return root_; }

  void setAutoSave(bool on) { autoSave_ = on; }
  bool autoSaveEnabled() const { return autoSave_; }

  // DayArchive: names fetched days, and saves them while auto-save is on.
  std::string suggestFileName(const QueryRequest& request) override;
  void autoSave(const QueryRequest& request, std::string_view fileName,
                std::string_view bytes) override;

  // Makes the archive's folder; false, with the reason in `error`, when it
  // cannot be made or days cannot be written into it.
  bool makeRoot(std::error_code& error) const;

  // Where a day named so goes: the subfolder for the year text, which for a
  // fetch is the year list's text.
  std::filesystem::path placeOf(std::string_view yearText, std::string_view fileName) const;
  // Writes a day whole (a temporary file renamed over it), making the
  // folders on the way; false, with the reason in `error`, when it could not
  // be written. No bytes are no day and are not written.
  bool save(std::string_view yearText, std::string_view fileName, std::string_view bytes,
            std::error_code* error = nullptr) const;

  // The file a station's past day from the normal or advanced source is
  // saved in, and whether it is there. A current-day file is no saved past day.
  std::filesystem::path pastDayFile(std::string_view station, int date, bool advanced) const;
  bool holdsPastDay(std::string_view station, int date, bool advanced) const;

  // The station's days from `from` to `to` (YYYYMMDD, both included) held in
  // the archive, by date, each the latest fetch of its day.
  std::vector<ArchivedDay> daysInPeriod(std::string_view station, int from, int to) const;
  // The station's days on the dates `takes` takes, over every year folder of
  // the archive; by date, each the latest fetch of its day. Only names are
  // looked at.
  std::vector<ArchivedDay> daysWhere(std::string_view station,
                                     const std::function<bool(int date)>& takes) const;
  // Every station with a day in the archive, by number, each with its
  // latest day (the latest date, then the latest fetch). Only names are
  // looked at.
  std::vector<ArchivedDay> latestDayOfEachStation() const;

 private:
  HistoryArchive(std::filesystem::path root, Clock clock, int /*rooted*/);

  std::filesystem::path root_;
  Clock clock_;
  bool autoSave_ = false;
};

}  // namespace skyrill
