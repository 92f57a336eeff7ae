#pragma once

#include <memory>
#include <string>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace skyrill::sample {

// A server certificate with its private key.
struct TlsIdentity {
  struct Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  };
  std::unique_ptr<X509, Free> certificate;
  std::unique_ptr<EVP_PKEY, Free> key;

  explicit operator bool() const { return certificate && key; }
};

// Adds an X.509 v3 extension ("critical,CA:TRUE", "DNS:localhost") to a
// certificate the issuer signs; false when it cannot.
bool addExtension(X509* certificate, X509* issuer, int id, const char* value);

// A fresh self-signed certificate for "localhost" and 127.0.0.1, valid for a year.
TlsIdentity makeSelfSignedIdentity();

// The certificate and key of two PEM files; empty when either cannot be read.
TlsIdentity loadIdentity(const std::string& certificatePath, const std::string& keyPath);

// The certificate's SHA-256 fingerprint, 32 hex pairs in upper case joined by
// ":", as `openssl x509 -fingerprint -sha256` shows it and clients pin it.
std::string sha256Fingerprint(const X509* certificate);

}  // namespace skyrill::sample
