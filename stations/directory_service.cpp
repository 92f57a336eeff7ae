#include "stations/directory_service.h"

#include "net/url_parts.h"

namespace skyrill {

std::string provinceListUrl(std::string_view baseAddress) {
  return std::string(baseAddress) + "/rest/province";
}

std::string stationListUrl(std::string_view baseAddress, std::string_view provinceCode) {
  return provinceListUrl(baseAddress) + "/" + std::string(provinceCode);
}

std::string DirectoryService::provinceList() {
  return WebClient(limits_).request(provinceListUrl(baseAddress_));
}

std::string DirectoryService::stationList(std::string_view provinceCode) {
  return WebClient(limits_).request(stationListUrl(baseAddress_, provinceCode));
}

std::string DirectoryService::hostName() const {
  return analyzeUrl(baseAddress_).host;
}

}  // namespace skyrill
