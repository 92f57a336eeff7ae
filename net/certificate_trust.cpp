#include "net/certificate_trust.h"

#include <cctype>

namespace skyrill {

namespace {

constexpr std::size_t kSha256Bytes = 32;

}  // namespace

std::string normalFingerprint(std::string_view text) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string digits;
  for (const char c : text) {
    if (c == ':' || c == ' ' || c == '\t') continue;
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (kHex.find(upper) == std::string_view::npos) return {};
    digits += upper;
  }
  if (digits.size() != 2 * kSha256Bytes) return {};
  std::string fingerprint;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    if (i > 0) fingerprint += ':';
    fingerprint.append(digits, i, 2);
  }
  return fingerprint;
}

std::string serverName(std::string_view host, int port) {
  return std::string(host) + ":" + std::to_string(port);
}

CertificateTrust::CertificateTrust(const Pins& pins, bool acceptAny) : acceptAny_(acceptAny) {
  for (const auto& [server, fingerprint] : pins) pin(server, fingerprint);
}

bool CertificateTrust::pin(std::string_view server, std::string_view fingerprint) {
  std::string normal = normalFingerprint(fingerprint);
  if (normal.empty()) return false;
  const std::lock_guard lock(mutex_);
  pins_.insert_or_assign(std::string(server), std::move(normal));
  return true;
}

std::string CertificateTrust::pinnedFor(std::string_view server) const {
  const std::lock_guard lock(mutex_);
  const auto pin = pins_.find(std::string(server));
  return pin == pins_.end() ? std::string() : pin->second;
}

CertificateVerdict CertificateTrust::judge(std::string_view server, bool verified,
                                           std::string_view fingerprint) const {
  if (verified) return CertificateVerdict::Verified;
  const std::string pinned = pinnedFor(server);
  if (pinned.empty()) return CertificateVerdict::Untrusted;
  return pinned == normalFingerprint(fingerprint) ? CertificateVerdict::Pinned
                                                  : CertificateVerdict::Changed;
}

}  // namespace skyrill
