// The network module of skyrill-day: the data service with curl and TLS
// behind it, loaded only by a run that fetches.

#include <type_traits>

#include "net/data_service.h"
#include "tools/pictures/tool_modules.h"
#include "tools/skyrill-day/data_service_module.h"

SKYRILL_MODULE_ENTRY skyrill::AnswerSource* skyrill_day_open_data_service(const char* server) {
  const std::string base = *server == '\0' ? skyrill::defaultServerAddress() : server;
  return new skyrill::DataService(base);
}

// skyrill-day calls the entry by this type.
static_assert(
    std::is_same_v<decltype(skyrill_day_open_data_service), skyrill::OpenDataServiceEntry>);
