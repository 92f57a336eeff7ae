#include "net/data_service.h"

#include "json/json_document.h"
#include "net/url_parts.h"
#include "net/web_failure_note.h"

namespace skyrill {

// An answer, like an opened file, is read only as far as a parse can take it.
static_assert(WebLimits{}.maxBodyBytes == JsonDocument::kMaxTextBytes);

std::string defaultServerAddress() {
  return SKYRILL_DEFAULT_SERVER;
}

std::string serverHostName(std::string_view baseAddress) {
  return analyzeUrl(baseAddress).host;
}

std::string endpointName(QueryMode mode, bool advancedSource) {
  std::string name = mode == QueryMode::History ? "history" : "today";
  if (advancedSource) name += '2';
  return name;
}

std::string buildQueryUrl(std::string_view baseAddress, const QueryRequest& request) {
  if (request.mode != QueryMode::History && request.mode != QueryMode::Today) return {};
  std::string url(baseAddress);
  url += "/api/weather/" + request.stationNumber + "/" +
         endpointName(request.mode, request.advancedSource) + "/?key=" + request.apiKey;
  if (request.mode == QueryMode::History) {
    url += "&date=" + request.year + "-" + request.month + "-" + request.day;
  }
  return url;
}

FetchedAnswer DataService::fetch(const QueryRequest& request, CancelFlag* cancel) {
  WebResponse response = exchange(request, cancel);
  std::string note = noteOn(request, response);
  return {std::move(response.body), std::move(note), std::move(response.certificate)};
}

WebResponse DataService::exchange(const QueryRequest& request, CancelFlag* cancel,
                                  WebSession* session) const {
  WebRequest options;
  if (request.proxyEnabled && !request.proxyAddress.empty()) options.proxy = request.proxyAddress;
  return WebClient(limits_, trust_)
      .exchange(buildQueryUrl(baseAddress_, request), options, cancel, session);
}

std::string DataService::noteOn(const QueryRequest& request, const WebResponse& response) {
  // A service reached without a key most likely refused for want of one.
  const bool reached = response.failure == WebFailure::None;
  return reached && request.apiKey.empty() ? missingKeyNote() : webFailureNote(response);
}

}  // namespace skyrill
