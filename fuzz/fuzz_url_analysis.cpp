// The web client's reading of a URL, and the request URL of a station-day
// built from a base address: both take text from the settings file, the
// window and a redirecting server.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz/fuzz_check.h"
#include "net/data_service.h"
#include "net/url_parts.h"

namespace skyrill {
namespace {

bool hasUpperCaseAscii(std::string_view text) {
  return text.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string_view::npos;
}

// The URL the client hands to curl for the parts, with the port always written.
std::string rebuiltUrl(const UrlParts& parts) {
  return (parts.secure ? "https://" : "http://") + parts.host + ":" + std::to_string(parts.port) +
         parts.path;
}

void checkAnalysis(std::string_view url) {
  const UrlParts parts = analyzeUrl(url);
  require(!hasUpperCaseAscii(parts.host), "the host is lower-cased");
  require(parts.host.find_first_of(":/") == std::string::npos, "the host holds no port or path");
  require(parts.path.starts_with('/'), "the path starts with /");
  require(parts.path == "/" || url.ends_with(parts.path), "the path is the end of the URL");
  // After a redirect the client reads the next address the same way: what
  // it connects to must read back as the same host, port and path.
  if (!parts.host.empty() && parts.port >= 0) {
    const UrlParts again = analyzeUrl(rebuiltUrl(parts));
    require(again.secure == parts.secure && again.host == parts.host && again.port == parts.port &&
                again.path == parts.path,
            "the parts of a URL read back from the URL they make");
  }
}

QueryRequest fuzzedRequest(FuzzedDataProvider& input) {
  QueryRequest request;
  request.mode = static_cast<QueryMode>(input.ConsumeIntegralInRange(0, 2));
  request.advancedSource = input.ConsumeBool();
  request.stationNumber = input.ConsumeRandomLengthString(16);
  request.year = input.ConsumeRandomLengthString(8);
  request.month = input.ConsumeRandomLengthString(4);
  request.day = input.ConsumeRandomLengthString(4);
  request.apiKey = input.ConsumeRandomLengthString(64);
  return request;
}

void checkQueryUrl(FuzzedDataProvider& input) {
  const QueryRequest request = fuzzedRequest(input);
  const std::string base = input.ConsumeRemainingBytesAsString();
  const std::string url = buildQueryUrl(base, request);
  const bool known = request.mode == QueryMode::History || request.mode == QueryMode::Today;
  require(url.empty() != known, "a URL exactly for the two modes");
  if (!known) return;
  require(url.starts_with(base), "the URL starts with the base address");
  checkAnalysis(url);
  // With its scheme written out, the base address alone names the host the
  // request goes to, whatever the station number, date or key hold.
  const std::string_view lower = analyzeUrl(base).secure ? "https://" : "http://";
  if (base.starts_with(lower) && base.find('/', lower.size()) == std::string::npos) {
    require(analyzeUrl(url).host == serverHostName(base), "the request goes to the base's host");
  }
}

}  // namespace
}  // namespace skyrill

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  skyrill::checkAnalysis(skyrill::inputText(data, size));
  FuzzedDataProvider input(data, size);
  skyrill::checkQueryUrl(input);
  return 0;
}
