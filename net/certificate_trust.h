#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

// Which server certificates a secure request accepts. The system's trust
// store decides first (the chain up to an authority it holds, and the host
// name). A certificate it does not vouch for is accepted only when the user
// has pinned exactly that certificate, by its SHA-256 fingerprint, to
// exactly that server ("host:port"); a pin never lets anything else through.
// Accepting any certificate at all is a separate, unsafe choice.
namespace skyrill {

enum class CertificateVerdict {
  Verified,   // the system's trust store vouches for it and it names the host
  Pinned,     // the user trusts exactly this certificate for this server
  Untrusted,  // neither: refused
  Changed,    // refused: the server shows another certificate than the one trusted
};

// A SHA-256 fingerprint in the form shown to users: 32 hex pairs in upper
// case joined by ":". Takes hex digits in either case, with or without ":"
// or blanks between them; empty for any other text.
std::string normalFingerprint(std::string_view text);

// "host:port" as pins name servers.
std::string serverName(std::string_view host, int port);

// The certificates that secure requests accept beyond the system's trust
// store. A pin may be added while requests run on other threads.
class CertificateTrust {
 public:
  // Server ("host:port") → SHA-256 fingerprint.
  using Pins = std::map<std::string, std::string>;

  CertificateTrust() = default;
  // The pins whose fingerprints read as such; any certificate when `acceptAny`.
  explicit CertificateTrust(const Pins& pins, bool acceptAny = false);
  CertificateTrust(const CertificateTrust&) = delete;
  CertificateTrust& operator=(const CertificateTrust&) = delete;

  // Trusts the certificate for the server from now on, in place of the one
  // trusted before; false when the text is no SHA-256 fingerprint.
  bool pin(std::string_view server, std::string_view fingerprint);
  // The fingerprint pinned to the server; empty when none is.
  std::string pinnedFor(std::string_view server) const;

  // Every certificate is accepted, unchecked: anyone on the way can read and
  // change what is sent and received.
  bool acceptsAny() const { return acceptAny_; }

  // A CA bundle read in place of the system's trust store; empty for the system's.
  const std::string& authorityFile() const { return authorityFile_; }
  void setAuthorityFile(std::string file) { authorityFile_ = std::move(file); }

  // What becomes of a certificate with the fingerprint that the server
  // showed; `verified` when the system's trust store vouches for it for the host.
  CertificateVerdict judge(std::string_view server, bool verified,
                           std::string_view fingerprint) const;

 private:
  mutable std::mutex mutex_;  // guards the pins
  Pins pins_;
  bool acceptAny_ = false;
  std::string authorityFile_;
};

}  // namespace skyrill
