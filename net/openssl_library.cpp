#include "net/openssl_library.h"

#include <dlfcn.h>

#include "net/library_symbols.h"

namespace skyrill {
namespace {

// The soname of OpenSSL 3, which Debian's libcurl is built on.
constexpr char kSslSoname[] = "libssl.so.3";

// Only an OpenSSL already loaded is taken: the one whose contexts libcurl
// hands out. Its libcrypto functions are found through it.
const OpenSslLibrary* openOpenSsl() {
  void* library = ::dlopen(kSslSoname, RTLD_NOW | RTLD_NOLOAD | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  static OpenSslLibrary ssl{};
  const bool complete =
      findSymbol(library, "SSL_CTX_set_cert_verify_callback", ssl.ctx_set_cert_verify_callback) &&
      findSymbol(library, "SSL_CTX_set_options", ssl.ctx_set_options) &&
      findSymbol(library, "X509_verify_cert", ssl.verify_cert) &&
      findSymbol(library, "X509_STORE_CTX_get0_cert", ssl.store_ctx_get0_cert) &&
      findSymbol(library, "X509_STORE_CTX_get_error", ssl.store_ctx_get_error) &&
      findSymbol(library, "X509_STORE_CTX_set_error", ssl.store_ctx_set_error) &&
      findSymbol(library, "X509_check_host", ssl.check_host) &&
      findSymbol(library, "X509_check_ip_asc", ssl.check_ip_asc) &&
      findSymbol(library, "X509_digest", ssl.digest) &&
      findSymbol(library, "EVP_sha256", ssl.sha256) &&
      findSymbol(library, "X509_get_subject_name", ssl.get_subject_name) &&
      findSymbol(library, "X509_NAME_print_ex", ssl.name_print_ex) &&
      findSymbol(library, "X509_get0_notBefore", ssl.get0_not_before) &&
      findSymbol(library, "X509_get0_notAfter", ssl.get0_not_after) &&
      findSymbol(library, "ASN1_TIME_to_tm", ssl.time_to_tm) &&
      findSymbol(library, "BIO_s_mem", ssl.bio_s_mem) &&
      findSymbol(library, "BIO_new", ssl.bio_new) &&
      findSymbol(library, "BIO_ctrl", ssl.bio_ctrl) &&
      findSymbol(library, "BIO_free", ssl.bio_free);
  return complete ? &ssl : nullptr;
}

}  // namespace

const OpenSslLibrary* openSslLibrary() {
  static const OpenSslLibrary* const ssl = openOpenSsl();
  return ssl;
}

}  // namespace skyrill
