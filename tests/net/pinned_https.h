#pragma once

#include "net/certificate_trust.h"
#include "server_thread.h"

namespace skyrill::testing {

// An HTTPS server with a self-signed certificate of its own, and the trust
// that pins that certificate to it once it listens.
struct PinnedHttps {
  sample::TlsIdentity identity = sample::makeSelfSignedIdentity();
  sample::ServerThread listener{sample::makeHttpsServer(identity)};
  CertificateTrust trust;

  // Listens on a free port of 127.0.0.1 and pins the certificate there;
  // gives the port.
  int start() {
    const int port = listener.start("127.0.0.1", 0);
    trust.pin(serverName("127.0.0.1", port), fingerprint());
    return port;
  }
  std::string fingerprint() const { return sample::sha256Fingerprint(identity.certificate.get()); }
};

}  // namespace skyrill::testing
