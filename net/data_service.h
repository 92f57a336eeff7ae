#pragma once

#include <mutex>
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

// What is wrong with a base address the user gives: empty when it is an
// http:// or https:// address with a host, on one line.
std::string baseAddressProblem(std::string_view address);

// The data service at one base address.
class DataService : public AnswerSource {
 public:
  // Secure requests accept what the trust accepts (the system's trust store
  // alone without one); the trust must outlive the service.
  explicit DataService(std::string baseAddress, WebLimits limits = {},
                       const CertificateTrust* trust = nullptr)
      : baseAddress_(std::move(baseAddress)), limits_(limits), trust_(trust) {}

  // Requests from now on go to this address; one under way goes on where it
  // went. Safe while a fetch runs on another thread.
  void setBaseAddress(std::string baseAddress);
  std::string baseAddress() const;
  // Text added to the note of a fetch that failed at the server (not at a
  // proxy), e.g. where the address can be changed; empty for none.
  void setServerFailureHint(std::string hint);

  FetchedAnswer fetch(const QueryRequest& request, CancelFlag* cancel = nullptr) override;

  // The request's exchange with all that is known of it, over the session's
  // connections when one is given.
  WebResponse exchange(const QueryRequest& request, CancelFlag* cancel = nullptr,
                       WebSession* session = nullptr) const;
  // The line a refusal of the exchange's answer gets: what went wrong on the
  // way, or that no key was given to a service that was reached.
  static std::string noteOn(const QueryRequest& request, const WebResponse& response);

 private:
  mutable std::mutex mutex_;  // the address and the hint may change during a fetch
  std::string baseAddress_;
  std::string serverFailureHint_;
  WebLimits limits_;
  const CertificateTrust* trust_;
};

// One request of the day to the service at the base address, as a line that
// says what came back: the station, date and number of records of a day's
// answer, or what went wrong on the way or with the answer. Secure requests
// accept what the trust accepts; the key never shows in the line.
std::string probeDataService(std::string_view baseAddress, const QueryRequest& request,
                             CancelFlag* cancel = nullptr, const WebLimits& limits = {},
                             const CertificateTrust* trust = nullptr);

}  // namespace skyrill
