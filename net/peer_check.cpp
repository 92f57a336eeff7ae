#include "net/peer_check.h"
#include <cstring>
#include <ctime>
#include <string_view>

#include "net/openssl_library.h"
#include "net/url_parts.h"

namespace skyrill {
namespace {

const OpenSslLibrary& ssl() {
  return *openSslLibrary();
}

// Whether the certificate is issued for the host: its name (a wildcard
// standing for one whole label at most) or its address.
bool namesHost(X509* certificate, const std::string& host) {
  if (isAddressLiteral(host)) return ssl().check_ip_asc(certificate, host.c_str(), 0) == 1;
  return ssl().check_host(certificate, host.data(), host.size(),
                          X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS, nullptr) == 1;
}

std::string fingerprintOf(X509* certificate) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (ssl().digest(certificate, ssl().sha256(), digest, &length) != 1) return {};
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0xF];
  }
  return normalFingerprint(hex);
}

// The longest subject a message shows, in bytes; a server chooses its subject.
constexpr std::size_t kMaxSubjectBytes = 256;

// "CN=localhost, O=Skyrill sample service": names short, text in UTF-8,
// control characters escaped.
std::string subjectOf(X509* certificate) {
  BIO* text = ssl().bio_new(ssl().bio_s_mem());
  if (!text) return {};
  constexpr unsigned long kFlags =
      XN_FLAG_SEP_CPLUS_SPC | XN_FLAG_FN_SN | (ASN1_STRFLGS_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
  std::string subject;
  if (ssl().name_print_ex(text, ssl().get_subject_name(certificate), 0, kFlags) >= 0) {
    char* data = nullptr;
    const long length = ssl().bio_ctrl(text, BIO_CTRL_INFO, 0, &data);
    if (data && length > 0) subject.assign(data, static_cast<std::size_t>(length));
  }
  ssl().bio_free(text);
  if (subject.size() > kMaxSubjectBytes) {
    std::size_t cut = kMaxSubjectBytes;
    while (cut > 0 && (static_cast<unsigned char>(subject[cut]) & 0xC0) == 0x80) --cut;
    subject.resize(cut);
    subject += "…";
  }
  return subject;
}

// YYYY-MM-DD of a certificate's time, in UTC.
std::string dayOf(const ASN1_TIME* time) {
  std::tm day{};
  if (!time || ssl().time_to_tm(time, &day) != 1) return {};
  char text[16];
  return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d", &day));
}

// Why the system's trust store does not vouch for a certificate, in words.
std::string problemWords(int error) {
  switch (error) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
      return "自签名证书";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
      return "签发机构不在系统信任的机构之列";
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return "证书已过期";
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return "证书尚未生效";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return "证书不是为该主机签发的";
    case X509_V_ERR_CERT_REVOKED:
      return "证书已被吊销";
    default:
      return "证书无法验证（OpenSSL 错误 " + std::to_string(error) + "）";
  }
}

ServerCertificate describe(X509* certificate, const PeerCheck& check, std::string fingerprint,
                           int error) {
  ServerCertificate described;
  described.server = check.server;
  described.subject = subjectOf(certificate);
  described.validFrom = dayOf(ssl().get0_not_before(certificate));
  described.validUntil = dayOf(ssl().get0_not_after(certificate));
  described.sha256 = std::move(fingerprint);
  described.trustedSha256 = check.trust.pinnedFor(check.server);
  described.problem = problemWords(error);
  return described;
}

// Takes the place of OpenSSL's own check of the server's chain: runs that
// check, adds the host name, and lets the trust decide. Returning 0 fails
// the handshake before anything is sent.
int verifyPeer(X509_STORE_CTX* context, void* data) {
  PeerCheck& check = *static_cast<PeerCheck*>(data);
  const bool chainVerified = ssl().verify_cert(context) == 1;
  X509* certificate = ssl().store_ctx_get0_cert(context);
  if (!certificate) return 0;
  const bool verified = chainVerified && namesHost(certificate, check.host);
  std::string fingerprint = fingerprintOf(certificate);
  const CertificateVerdict verdict = check.trust.judge(check.server, verified, fingerprint);
  if (verdict == CertificateVerdict::Verified || verdict == CertificateVerdict::Pinned) {
    ssl().store_ctx_set_error(context, X509_V_OK);
    return 1;
  }
  const int error =
      chainVerified ? X509_V_ERR_HOSTNAME_MISMATCH : ssl().store_ctx_get_error(context);
  ssl().store_ctx_set_error(context, error);
  check.refused = describe(certificate, check, std::move(fingerprint), error);
  check.changed = verdict == CertificateVerdict::Changed;
  return 0;
}

}  // namespace

bool peerChecksAvailable(const char* curlSslVersion) {
  return curlSslVersion && std::strncmp(curlSslVersion, "OpenSSL/3", 9) == 0 &&
         openSslLibrary() != nullptr;
}

CURLcode preparePeerCheck(CURL*, void* sslContext, void* check) {
  auto* context = static_cast<SSL_CTX*>(sslContext);
  ssl().ctx_set_cert_verify_callback(context, verifyPeer, check);
  // The check lasts one hop, a kept connection longer: a later handshake on
  // it (a renegotiation the server asks for) must not find the check gone.
  ssl().ctx_set_options(context, SSL_OP_NO_RENEGOTIATION);
  return CURLE_OK;
}

}  // namespace skyrill
