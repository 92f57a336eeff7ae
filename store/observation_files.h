#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/failure_notes.h"
#include "core/query_pipeline.h"
#include "core/query_types.h"

// Observation files: a service answer kept on disk exactly as received.
namespace skyrill {

// The name a fetched day is saved under: mode digit, station, advanced flag
// and date stamp joined by "_", then ".json". The date stamp is the local
// time of `now` as YYYYMMDD_HHMMSS in today mode, else the selected date as
// YYYYMMDD. Folder separators in the station text become "_".
std::string makeSuggestedFileName(const QueryRequest& request,
                                  std::chrono::system_clock::time_point now);

// Creates every missing level of a folder path; true when the folder exists
// afterwards. Failures are otherwise silent.
bool ensureFolderPath(const std::filesystem::path& folder);

// The "History" folder in the program's directory.
std::filesystem::path historyFolder(const std::filesystem::path& programDir);

// Writes answer bytes to a file, replacing it whole. With no bytes nothing
// is written (false): an empty file is no day.
bool writeDayFile(const std::filesystem::path& path, std::string_view bytes);

// Writes answer bytes into the History folder's subfolder for the year text,
// creating the folders on the way.
bool autoSaveDay(const std::filesystem::path& programDir, std::string_view yearText,
                 std::string_view fileName, std::string_view bytes);

// True when "save" has something to offer: a name from a fetch and the
// answer bytes it named.
bool canSaveDay(const QueryState& state);

// The bytes of an observation file, no more than one past the largest text
// a JsonDocument parses; empty when it cannot be read.
std::string readDayFile(const std::filesystem::path& path);

// An observation file as read for opening: its bytes (as readDayFile gives
// them) and what, if anything, stood in the way.
struct DayFileBytes {
  std::string bytes;
  FileProblem problem = FileProblem::None;
};
DayFileBytes loadDayFile(const std::filesystem::path& path);

}  // namespace skyrill
