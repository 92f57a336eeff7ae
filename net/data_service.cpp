#include "net/data_service.h"

#include "json/json_document.h"
#include "net/url_parts.h"

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

std::string fetchAnswer(std::string_view url, std::string_view proxy, const WebLimits& limits) {
  WebRequest options;
  options.proxy = proxy;
  return WebClient(limits).request(url, options);
}

std::string DataService::fetch(const QueryRequest& request) {
  const bool useProxy = request.proxyEnabled && !request.proxyAddress.empty();
  return fetchAnswer(buildQueryUrl(baseAddress_, request),
                     useProxy ? request.proxyAddress : std::string(), limits_);
}

}  // namespace skyrill
