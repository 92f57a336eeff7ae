#include "test_certificates.h"

#include <cstdio>

#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace skyrill::testing {
namespace {

// A certificate named `commonName`, signed by the issuer, or by itself
// when there is none.
sample::TlsIdentity makeCertificate(const char* commonName, const sample::TlsIdentity* issuer,
                                    long startSeconds, long endSeconds) {
  static long serial = 1;
  sample::TlsIdentity made;
  made.key.reset(EVP_EC_gen("P-256"));
  made.certificate.reset(X509_new());
  X509* certificate = made.certificate.get();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), ++serial);
  X509_gmtime_adj(X509_getm_notBefore(certificate), startSeconds);
  X509_gmtime_adj(X509_getm_notAfter(certificate), endSeconds);
  X509_set_pubkey(certificate, made.key.get());
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509_set_issuer_name(certificate,
                       issuer ? X509_get_subject_name(issuer->certificate.get()) : name);
  return made;
}

void sign(sample::TlsIdentity& made, const sample::TlsIdentity& signer) {
  X509_sign(made.certificate.get(), signer.key.get(), EVP_sha256());
}

}  // namespace

TestAuthority::TestAuthority(const std::filesystem::path& bundleFile) : bundleFile_(bundleFile) {
  root_ = makeCertificate("Skyrill test authority", nullptr, -86400, 10 * 86400);
  X509* root = root_.certificate.get();
  sample::addExtension(root, root, NID_basic_constraints, "critical,CA:TRUE");
  sample::addExtension(root, root, NID_key_usage, "critical,keyCertSign,cRLSign");
  sign(root_, root_);
  if (FILE* file = std::fopen(bundleFile_.c_str(), "w")) {
    PEM_write_X509(file, root);
    std::fclose(file);
  }
}

sample::TlsIdentity TestAuthority::issue(const std::string& altNames, long startSeconds,
                                         long endSeconds) const {
  sample::TlsIdentity made =
      makeCertificate("Skyrill test server", &root_, startSeconds, endSeconds);
  sample::addExtension(made.certificate.get(), root_.certificate.get(), NID_subject_alt_name,
                       altNames.c_str());
  sign(made, root_);
  return made;
}

}  // namespace skyrill::testing
