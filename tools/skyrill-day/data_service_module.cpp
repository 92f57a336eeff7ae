#include "tools/skyrill-day/data_service_module.h"

#include "tools/pictures/tool_modules.h"

namespace skyrill {

std::unique_ptr<AnswerSource> openDataService(const std::string& server, std::string& error) {
  const auto open =
      toolModuleFunction<OpenDataServiceEntry>(kDataServiceModule, kOpenDataServiceEntry, error);
  return std::unique_ptr<AnswerSource>(open == nullptr ? nullptr : open(server.c_str()));
}

}  // namespace skyrill
