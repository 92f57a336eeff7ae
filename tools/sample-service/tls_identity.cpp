#include "tls_identity.h"

#include <cstdio>

#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace skyrill::sample {
namespace {

bool describe(X509* certificate) {
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Skyrill sample service"), -1,
                             -1, 0);
  return X509_set_issuer_name(certificate, name) == 1 &&
         addExtension(certificate, certificate, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
}

}  // namespace

bool addExtension(X509* certificate, X509* issuer, int id, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, id, value);
  if (!extension) return false;
  const bool added = X509_add_ext(certificate, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

TlsIdentity makeSelfSignedIdentity() {
  TlsIdentity identity;
  identity.key.reset(EVP_EC_gen("P-256"));
  identity.certificate.reset(X509_new());
  X509* certificate = identity.certificate.get();
  if (!identity) return {};
  constexpr long kOneYearSeconds = 365L * 24 * 3600;
  const bool made = X509_set_version(certificate, 2) == 1 &&
                    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1) == 1 &&
                    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600) &&
                    X509_gmtime_adj(X509_getm_notAfter(certificate), kOneYearSeconds) &&
                    X509_set_pubkey(certificate, identity.key.get()) == 1 &&
                    describe(certificate) &&
                    X509_sign(certificate, identity.key.get(), EVP_sha256()) > 0;
  return made ? std::move(identity) : TlsIdentity{};
}

TlsIdentity loadIdentity(const std::string& certificatePath, const std::string& keyPath) {
  TlsIdentity identity;
  if (FILE* file = std::fopen(certificatePath.c_str(), "r")) {
    identity.certificate.reset(PEM_read_X509(file, nullptr, nullptr, nullptr));
    std::fclose(file);
  }
  if (FILE* file = std::fopen(keyPath.c_str(), "r")) {
    identity.key.reset(PEM_read_PrivateKey(file, nullptr, nullptr, nullptr));
    std::fclose(file);
  }
  return identity ? std::move(identity) : TlsIdentity{};
}

std::string sha256Fingerprint(const X509* certificate) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1) return {};
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : ":%02X", digest[i]);
    text += pair;
  }
  return text;
}

}  // namespace skyrill::sample
