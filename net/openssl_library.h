#pragma once

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

// The OpenSSL that libcurl has loaded, reached for the checks of server
// certificates: the program loads no TLS library of its own.
namespace skyrill {

// The functions of OpenSSL the certificate checks use.
struct OpenSslLibrary {
  decltype(&::SSL_CTX_set_cert_verify_callback) ctx_set_cert_verify_callback;
  decltype(&::SSL_CTX_set_options) ctx_set_options;
  decltype(&::X509_verify_cert) verify_cert;
  decltype(&::X509_STORE_CTX_get0_cert) store_ctx_get0_cert;
  decltype(&::X509_STORE_CTX_get_error) store_ctx_get_error;
  decltype(&::X509_STORE_CTX_set_error) store_ctx_set_error;
  decltype(&::X509_check_host) check_host;
  decltype(&::X509_check_ip_asc) check_ip_asc;
  decltype(&::X509_digest) digest;
  decltype(&::EVP_sha256) sha256;
  decltype(&::X509_get_subject_name) get_subject_name;
  decltype(&::X509_NAME_print_ex) name_print_ex;
  decltype(&::X509_get0_notBefore) get0_not_before;
  decltype(&::X509_get0_notAfter) get0_not_after;
  decltype(&::ASN1_TIME_to_tm) time_to_tm;
  decltype(&::BIO_s_mem) bio_s_mem;
  decltype(&::BIO_new) bio_new;
  decltype(&::BIO_ctrl) bio_ctrl;
  decltype(&::BIO_free) bio_free;
};

// The library, when libcurl has loaded OpenSSL 3 and every function is
// found; null otherwise. Call it only once libcurl is open.
const OpenSslLibrary* openSslLibrary();

}  // namespace skyrill
