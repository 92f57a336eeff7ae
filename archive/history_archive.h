#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
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

// Lists a folder's entries; on an error, those listed before it.
using FolderLister = std::function<std::vector<std::filesystem::directory_entry>(
    const std::filesystem::path& folder, std::error_code& error)>;

// The folder's entries as the file system lists them.
std::vector<std::filesystem::directory_entry> listFolder(const std::filesystem::path& folder,
                                                         std::error_code& error);

// What a walk for observation files found.
struct ObservationFileWalk {
  std::vector<std::filesystem::path> files;    // in path order
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

 private:
  HistoryArchive(std::filesystem::path root, Clock clock, int /*rooted*/);

  std::filesystem::path root_;
  Clock clock_;
  bool autoSave_ = false;
};

}  // namespace skyrill
