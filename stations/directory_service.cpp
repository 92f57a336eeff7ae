#include "stations/directory_service.h"

#include <utility>

#include "net/url_parts.h"
#include "net/web_failure_note.h"
#include "stations/directory_lists.h"

namespace skyrill {

std::string provinceListUrl(std::string_view baseAddress) {
  return std::string(baseAddress) + "/rest/province";
}

std::string stationListUrl(std::string_view baseAddress, std::string_view provinceCode) {
  return provinceListUrl(baseAddress) + "/" + std::string(provinceCode);
}

namespace {

// A plain GET: no proxy and no header lines of our own.
WebResponse plainGet(std::string_view url, CancelFlag* cancel, const WebLimits& limits,
                     const CertificateTrust* trust) {
  WebRequest plain;
  plain.completeHeaders = false;
  return WebClient(limits, trust).exchange(url, plain, cancel);
}

}  // namespace

void DirectoryService::setBaseAddress(std::string baseAddress) {
  const std::lock_guard lock(mutex_);
  baseAddress_ = std::move(baseAddress);
}

std::string DirectoryService::baseAddress() const {
  const std::lock_guard lock(mutex_);
  return baseAddress_;
}

std::string DirectoryService::provinceList(CancelFlag* cancel) {
  return get(provinceListUrl(baseAddress()), cancel);
}

std::string DirectoryService::stationList(std::string_view provinceCode, CancelFlag* cancel) {
  return get(stationListUrl(baseAddress(), provinceCode), cancel);
}

std::string DirectoryService::hostName() const {
  return analyzeUrl(baseAddress()).host;
}

std::optional<ServerCertificate> DirectoryService::takeRefusedCertificate() {
  const std::lock_guard lock(mutex_);
  return std::exchange(refused_, std::nullopt);
}

std::string DirectoryService::get(std::string_view url, CancelFlag* cancel) {
  WebResponse response = plainGet(url, cancel, limits_, trust_);
  if (response.certificate) {
    const std::lock_guard lock(mutex_);
    refused_ = std::move(response.certificate);
  }
  // What came before a limit cut the answer off must not pass for a list.
  if (response.failure != WebFailure::None) return std::string();
  return std::move(response.body);
}

std::string probeDirectory(std::string_view baseAddress, CancelFlag* cancel,
                           const WebLimits& limits, const CertificateTrust* trust) {
  const WebResponse response = plainGet(provinceListUrl(baseAddress), cancel, limits, trust);
  if (const std::string failure = webFailureNote(response); !failure.empty()) {
    return "站点目录：" + failure;
  }
  const std::string who = "站点目录 " + std::string(baseAddress) + "：";
  const auto provinces = readProvinceList(response.body);
  if (!provinces || provinces->empty()) return who + "已连接，但答复不是省份列表。";
  return who + "连接成功，共 " + std::to_string(provinces->size()) + " 个省份。";
}

}  // namespace skyrill
