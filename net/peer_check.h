#pragma once

#include <curl/curl.h>

#include <optional>
#include <string>

#include "core/server_certificate.h"
#include "net/certificate_trust.h"

// The check of a server's certificate during the handshake, made by the
// program rather than by libcurl, so that a pin can stand in for a chain or
// a host name that the system's trust store does not vouch for.
namespace skyrill {

// The check of one hop's connection and what it found.
struct PeerCheck {
  const CertificateTrust& trust;
  std::string host;    // the name or address the certificate must be issued for
  std::string server;  // "host:port", as pins name servers
  // The certificate, when it was refused; `changed` when it was refused for
  // not being the one trusted.
  std::optional<ServerCertificate> refused;
  bool changed = false;
};

// Whether the program checks certificates itself: libcurl runs on OpenSSL
// 3 (`curlSslVersion` as libcurl names its TLS library, e.g.
// "OpenSSL/3.0.11") and every function needed is found.
bool peerChecksAvailable(const char* curlSslVersion);

// For CURLOPT_SSL_CTX_FUNCTION, with a PeerCheck as CURLOPT_SSL_CTX_DATA:
// the connection's handshake accepts the server's certificate only as the
// check's trust judges it.
CURLcode preparePeerCheck(CURL* curl, void* sslContext, void* check);

}  // namespace skyrill
