#include "net/url_parts.h"

#include <arpa/inet.h>

#include <charconv>

#include "net/ascii_text.h"

namespace skyrill {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return lowerCaseAscii(text.substr(0, prefix.size())) == prefix;
}

// Where the host starts: after "https://" at the start, else after the first
// "http://"; a URL without either is read as if it began with "http://".
std::size_t hostStart(std::string_view lowerUrl) {
  if (lowerUrl.starts_with("https://")) return 8;
  const std::size_t http = lowerUrl.find("http://");
  return http == std::string_view::npos ? 0 : http + 7;
}

// The host with its port, lower-cased: the text from the host's start to the
// next "/".
std::string hostWithPort(std::string_view url) {
  const std::string lower = lowerCaseAscii(url);
  const std::size_t start = hostStart(lower);
  return lower.substr(start, lower.find('/', start) - start);
}

// The leading decimal number of the text; 0 when there is none or it is too large.
int leadingNumber(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() ? number : 0;
}

int portOf(std::string_view url, std::string_view hostAndPort) {
  const std::size_t colon = hostAndPort.rfind(':');
  if (colon != std::string_view::npos) return leadingNumber(hostAndPort.substr(colon + 1));
  return startsWithNoCase(url, "https") ? 443 : 80;
}

// From the first "/" after the host's start: searching for the host's name
// instead would find a short one such as "h" or "tp" inside "http://".
std::string pathOf(std::string_view url) {
  const std::size_t slash = url.find('/', hostStart(lowerCaseAscii(url)));
  if (slash == std::string_view::npos) return "/";
  return std::string(url.substr(slash));
}

}  // namespace

UrlParts analyzeUrl(std::string_view url) {
  const std::string hostAndPort = hostWithPort(url);
  UrlParts parts;
  parts.secure = startsWithNoCase(url, "https://");
  parts.host = hostAndPort.substr(0, hostAndPort.find(':'));
  parts.port = portOf(url, hostAndPort);
  parts.path = pathOf(url);
  return parts;
}

bool isAddressLiteral(const std::string& host) {
  unsigned char address[sizeof(in6_addr)];
  return ::inet_pton(AF_INET, host.c_str(), address) == 1 ||
         ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

}  // namespace skyrill
