#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "net/web_client.h"

namespace skyrill {

class CancelFlag;

// The national weather centre's public directory service.
inline constexpr std::string_view kDefaultDirectoryAddress = "http://www.nmc.cn";

// base + "/rest/province".
std::string provinceListUrl(std::string_view baseAddress);
// base + "/rest/province/" + the province code, nothing escaped.
std::string stationListUrl(std::string_view baseAddress, std::string_view provinceCode);

// Where the directory's two answers come from.
class DirectorySource {
 public:
  virtual ~DirectorySource() = default;
  // The answer bytes as received; empty when the request failed or was
  // cancelled. May be called off the window's thread; a raised flag asks it
  // to give up at once.
  virtual std::string provinceList(CancelFlag* cancel) = 0;
  virtual std::string stationList(std::string_view provinceCode, CancelFlag* cancel) = 0;
  // The host the answers come from, e.g. "www.nmc.cn".
  virtual std::string hostName() const = 0;
  // The server's certificate that the last request refused, if one did;
  // each is given once.
  virtual std::optional<ServerCertificate> takeRefusedCertificate() { return std::nullopt; }
};

// The directory service at one base address, asked with one plain GET per
// list: no proxy and no header lines of our own.
class DirectoryService : public DirectorySource {
 public:
  // A dead, stalled or dripping service would otherwise hold the picker for
  // as long as the connection lasts.
  static constexpr WebLimits kLimits{std::chrono::seconds{15}, std::chrono::seconds{15},
                                     std::chrono::seconds{15}};

  // Secure requests accept what the trust accepts (the system's trust store
  // alone without one); the trust must outlive the service.
  explicit DirectoryService(std::string baseAddress, WebLimits limits = kLimits,
                            const CertificateTrust* trust = nullptr)
      : baseAddress_(std::move(baseAddress)), limits_(limits), trust_(trust) {}

  // Requests from now on go to this address; safe while one runs.
  void setBaseAddress(std::string baseAddress);

  std::string provinceList(CancelFlag* cancel) override;
  std::string stationList(std::string_view provinceCode, CancelFlag* cancel) override;
  std::string hostName() const override;
  std::optional<ServerCertificate> takeRefusedCertificate() override;

 private:
  std::string get(std::string_view url, CancelFlag* cancel);
  std::string baseAddress() const;

  // The requests run on the runner's thread while the address may change.
  mutable std::mutex mutex_;
  std::string baseAddress_;
  WebLimits limits_;
  const CertificateTrust* trust_;
  std::optional<ServerCertificate> refused_;
};

// One request of the province list to the directory at the base address, as
// a line that says what came back: how many provinces, or what went wrong.
// Secure requests accept what the trust accepts.
std::string probeDirectory(std::string_view baseAddress, CancelFlag* cancel = nullptr,
                           const WebLimits& limits = DirectoryService::kLimits,
                           const CertificateTrust* trust = nullptr);

}  // namespace skyrill
