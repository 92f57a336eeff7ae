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

// A fresh self-signed certificate for "localhost" and 127.0.0.1, valid for a year.
TlsIdentity makeSelfSignedIdentity();

// The certificate and key of two PEM files; empty when either cannot be read.
TlsIdentity loadIdentity(const std::string& certificatePath, const std::string& keyPath);

}  // namespace skyrill::sample
