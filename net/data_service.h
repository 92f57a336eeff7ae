#pragma once

#include <string>
#include <string_view>

#include "core/query_pipeline.h"
#include "core/query_types.h"
#include "net/web_client.h"

namespace skyrill {

// The data service's base address built into the program.
std::string defaultServerAddress();

// The host name of a base address, e.g. "127.0.0.1" for "http://127.0.0.1:8765".
std::string serverHostName(std::string_view baseAddress);

// "history" or "today", with "2" for the advanced source.
std::string endpointName(QueryMode mode, bool advancedSource);

// The request URL of a station-day, pieces joined as they are held; empty
// for a mode that has no endpoint.
std::string buildQueryUrl(std::string_view baseAddress, const QueryRequest& request);

// One GET of the URL, through the proxy when one is given: the answer bytes,
// empty on network failure, and a note on what went wrong.
FetchedAnswer fetchAnswer(std::string_view url, std::string_view proxy,
                          const WebLimits& limits = {}, CancelFlag* cancel = nullptr);

// The data service at one base address.
class DataService : public AnswerSource {
 public:
  explicit DataService(std::string baseAddress, WebLimits limits = {})
      : baseAddress_(std::move(baseAddress)), limits_(limits) {}

  FetchedAnswer fetch(const QueryRequest& request, CancelFlag* cancel = nullptr) override;

  // The request's exchange with all that is known of it, over the session's
  // connections when one is given.
  WebResponse exchange(const QueryRequest& request, CancelFlag* cancel = nullptr,
                       WebSession* session = nullptr) const;
  // The line a refusal of the exchange's answer gets: what went wrong on the
  // way, or that no key was given to a service that was reached.
  static std::string noteOn(const QueryRequest& request, const WebResponse& response);

 private:
  std::string baseAddress_;
  WebLimits limits_;
};

}  // namespace skyrill
