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

// The data service at one base address.
class DataService : public AnswerSource {
 public:
  // Secure requests accept what the trust accepts (the system's trust store
  // alone without one); the trust must outlive the service.
  explicit DataService(std::string baseAddress, WebLimits limits = {},
                       const CertificateTrust* trust = nullptr)
      : baseAddress_(std::move(baseAddress)), limits_(limits), trust_(trust) {}

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
  const CertificateTrust* trust_;
};

}  // namespace skyrill
