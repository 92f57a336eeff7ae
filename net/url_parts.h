#pragma once

#include <string>
#include <string_view>

namespace skyrill {

// Where a request goes, read from a URL the way the web client reads it: the
// URL itself is never rewritten or validated.
struct UrlParts {
  bool secure = false;  // the URL starts with "https://", in any case
  std::string host;     // lower-cased, without the port
  int port = 80;        // the explicit port, else 443 for "https" URLs and 80 otherwise
  std::string path;     // from the first "/" after the host to the end, case kept; "/" when none
};

UrlParts analyzeUrl(std::string_view url);

// Whether a host is written as an IPv4 or IPv6 address rather than a name.
bool isAddressLiteral(const std::string& host);

}  // namespace skyrill
