#include "net/url_parts.h"

#include <charconv>

#include "net/ascii_text.h"

namespace skyrill {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return lowerCaseAscii(text.substr(0, prefix.size())) == prefix;
}

// The host with its port, lower-cased: the text between the scheme and the
// next "/". A URL without "http://" anywhere is read as if it began with it.
std::string hostWithPort(std::string_view url) {
  std::string lower = lowerCaseAscii(url);
  if (lower.empty() || lower.back() != '/') lower += '/';
  std::string_view scheme = "https://";
  if (!lower.starts_with(scheme)) {
    scheme = "http://";
    if (lower.find(scheme) == std::string::npos) lower.insert(0, scheme);
  }
  const std::size_t start = lower.find(scheme) + scheme.size();
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

std::string pathOf(std::string_view url, std::string_view host) {
  const std::size_t hostAt = lowerCaseAscii(url).find(host);
  if (hostAt == std::string::npos) return "/";
  const std::size_t slash = url.find('/', hostAt);
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
  parts.path = pathOf(url, parts.host);
  return parts;
}

}  // namespace skyrill
