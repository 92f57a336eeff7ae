#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "core/failure_notes.h"
#include "core/query_pipeline.h"
#include "core/query_types.h"

// Observation files: a service answer kept on disk exactly as received.
namespace skyrill {

// Creates every missing level of a folder path; true when the folder exists
// afterwards. Failures are otherwise silent.
bool ensureFolderPath(const std::filesystem::path& folder);

// Writes answer bytes to a file, replacing it whole. With no bytes nothing
// is written (false): an empty file is no day.
bool writeDayFile(const std::filesystem::path& path, std::string_view bytes);
// The same, telling in `error` why a write failed.
bool writeDayFile(const std::filesystem::path& path, std::string_view bytes,
                  std::error_code& error);

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
