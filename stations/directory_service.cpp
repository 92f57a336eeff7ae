#include "stations/directory_service.h"

#include <utility>

#include "net/url_parts.h"

namespace skyrill {

std::string provinceListUrl(std::string_view baseAddress) {
  return std::string(baseAddress) + "/rest/province";
}

std::string stationListUrl(std::string_view baseAddress, std::string_view provinceCode) {
  return provinceListUrl(baseAddress) + "/" + std::string(provinceCode);
}

std::string DirectoryService::provinceList(CancelFlag* cancel) {
  return get(provinceListUrl(baseAddress_), cancel);
}

std::string DirectoryService::stationList(std::string_view provinceCode, CancelFlag* cancel) {
  return get(stationListUrl(baseAddress_, provinceCode), cancel);
}

std::string DirectoryService::hostName() const {
  return analyzeUrl(baseAddress_).host;
}

std::optional<ServerCertificate> DirectoryService::takeRefusedCertificate() {
  const std::lock_guard lock(mutex_);
  return std::exchange(refused_, std::nullopt);
}

std::string DirectoryService::get(std::string_view url, CancelFlag* cancel) {
  WebRequest plain;
  plain.completeHeaders = false;
  WebResponse response = WebClient(limits_, trust_).exchange(url, plain, cancel);
  if (response.certificate) {
    const std::lock_guard lock(mutex_);
    refused_ = std::move(response.certificate);
  }
  // What came before a limit cut the answer off must not pass for a list.
  if (response.failure != WebFailure::None) return std::string();
  return std::move(response.body);
}

}  // namespace skyrill
