#pragma once

#include <string>
#include <string_view>

namespace skyrill {

// A server certificate that a secure request refused, as the user is shown
// it to decide whether to trust it.
struct ServerCertificate {
  std::string server;      // "host:port" the request went to
  std::string subject;     // e.g. "CN=localhost, O=Skyrill sample service"
  std::string validFrom;   // the first day it is valid, YYYY-MM-DD (UTC)
  std::string validUntil;  // the last day it is valid, YYYY-MM-DD (UTC)
  std::string sha256;      // fingerprint: 32 hex pairs in upper case joined by ":"
  // The fingerprint trusted for the server before, when the server now shows
  // another certificate; empty when none was trusted.
  std::string trustedSha256;
  std::string problem;  // why the system's trust store does not vouch for it, in words
};

// Its subject, validity and fingerprint, joined by the separator:
// "证书主题 CN=localhost；有效期 2025-01-20 至 2026-01-20；SHA-256 指纹 AB:…".
std::string certificateFacts(const ServerCertificate& certificate, std::string_view separator);

// The question whether to trust it for its server, with what to check first.
std::string trustQuestion(const ServerCertificate& certificate);

}  // namespace skyrill
