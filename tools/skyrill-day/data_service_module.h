#pragma once

#include <memory>
#include <string>

#include "core/query_pipeline.h"

// The data service of skyrill-day lives in a module of its own with the
// network code (curl, TLS), so that a day read from a file loads none of it.
namespace skyrill {

// The module's entry: the data service at `server`, or at the built-in
// address when `server` is empty; the caller owns it.
using OpenDataServiceEntry = AnswerSource*(const char* server);
inline constexpr char kDataServiceModule[] = "skyrill-day-net.so";
inline constexpr char kOpenDataServiceEntry[] = "skyrill_day_open_data_service";

// The data service from the module, loaded by the first call; null with
// `error` when the module cannot be loaded.
std::unique_ptr<AnswerSource> openDataService(const std::string& server, std::string& error);

}  // namespace skyrill
