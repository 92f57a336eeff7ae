// Secure requests against servers whose certificates the system's trust
// store does not vouch for: refused, pinned, changed, accepted unchecked;
// directly and through a proxy's tunnel; and the host name check that a
// vouched-for chain still has to pass.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>

#include "connect_proxy.h"
#include "net/certificate_trust.h"
#include "net/web_client.h"
#include "net/web_failure_note.h"
#include "pinned_https.h"
#include "server_thread.h"
#include "test_certificates.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

using sample::ServerThread;
using sample::TlsIdentity;
using Pins = CertificateTrust::Pins;

constexpr char kKey[] = "KEY-4f0c9e21";

TEST(NormalFingerprint, readsHexPairsInAnyCaseWithOrWithoutSeparators) {
  const std::string upper =
      "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:"
      "67:89";
  const struct {
    std::string text;
    std::string normal;
  } cases[] = {
      {upper, upper},
      {"abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789", upper},
      {" ab cd ef 01 23 45 67 89 AB CD EF 01 23 45 67 89 "
       "ab:cd:ef:01:23:45:67:89:ab:cd:ef:01:23:45:67:89",
       upper},
      {upper.substr(3), ""},         // 31 bytes
      {upper + ":00", ""},           // 33 bytes
      {"GG" + upper.substr(2), ""},  // not hex
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(normalFingerprint(c.text), c.normal) << c.text;
}

// A pin stands in for the system's trust store only for exactly its server
// and certificate; what the store vouches for needs no pin.
TEST(CertificateTrust, aPinRelaxesOnlyForItsServerAndCertificate) {
  const std::string pinnedText = normalFingerprint(std::string(64, 'A'));
  const std::string otherText = normalFingerprint(std::string(64, 'B'));
  CertificateTrust trust(Pins{{"svc.example:443", pinnedText}, {"bad.example:443", "not hex"}});
  const struct {
    const char* server;
    bool verified;
    std::string fingerprint;
    CertificateVerdict verdict;
  } cases[] = {
      {"svc.example:443", false, pinnedText, CertificateVerdict::Pinned},
      {"svc.example:443", false, otherText, CertificateVerdict::Changed},
      {"svc.example:443", true, otherText, CertificateVerdict::Verified},
      {"svc.example:8443", false, pinnedText, CertificateVerdict::Untrusted},
      {"other.example:443", false, pinnedText, CertificateVerdict::Untrusted},
      {"other.example:443", true, pinnedText, CertificateVerdict::Verified},
      {"bad.example:443", false, pinnedText, CertificateVerdict::Untrusted},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(trust.judge(c.server, c.verified, c.fingerprint), c.verdict)
        << c.server << " " << c.verified << " " << c.fingerprint;
  }
  EXPECT_FALSE(trust.pin("svc.example:443", "no fingerprint"));
  EXPECT_EQ(trust.pinnedFor("svc.example:443"), pinnedText);
  EXPECT_TRUE(trust.pin("svc.example:443", otherText));
  EXPECT_EQ(trust.judge("svc.example:443", false, otherText), CertificateVerdict::Pinned);
}

// A self-signed HTTPS server that echoes the requests it gets and counts
// them, and a proxy that tunnels to it.
class SelfSignedServer : public ::testing::Test {
 protected:
  void SetUp() override {
    https_.listener.server().Get(
        "/.*", [this](const httplib::Request& request, httplib::Response& response) {
          ++requests_;
          response.set_content("echo " + request.target, "text/plain");
        });
    port_ = https_.start();
  }

  std::string url() const {
    return "https://127.0.0.1:" + std::to_string(port_) + "/api/?key=" + kKey;
  }
  std::string server() const { return serverName("127.0.0.1", port_); }

  testing::PinnedHttps https_;
  testing::ConnectProxy proxy_;
  std::atomic<int> requests_ = 0;
  int port_ = 0;
};

TEST_F(SelfSignedServer, isRefusedPinnedChangedOrAcceptedDirectlyAndThroughATunnel) {
  const std::string fingerprint = https_.fingerprint();
  const std::string otherFingerprint =
      sample::sha256Fingerprint(sample::makeSelfSignedIdentity().certificate.get());
  CertificateTrust none;  // the system's trust store alone, as a client without one takes it
  CertificateTrust pinned(Pins{{server(), fingerprint}});
  CertificateTrust pinnedElsewhere(Pins{{serverName("127.0.0.1", port_ + 1), fingerprint},
                                        {serverName("localhost", port_), fingerprint}});
  CertificateTrust pinnedBefore(Pins{{server(), otherFingerprint}});
  CertificateTrust any({}, true);
  const struct {
    const char* name;
    const CertificateTrust* trust;
    WebFailure failure;
  } cases[] = {
      {"no trust given", nullptr, WebFailure::UntrustedCertificate},
      {"no pin", &none, WebFailure::UntrustedCertificate},
      {"pinned", &pinned, WebFailure::None},
      {"pinned to other servers", &pinnedElsewhere, WebFailure::UntrustedCertificate},
      {"another certificate pinned", &pinnedBefore, WebFailure::CertificateChanged},
      {"any accepted", &any, WebFailure::None},
  };
  for (const bool throughProxy : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (throughProxy ? ", through a proxy" : ""));
      const int requestsBefore = requests_;
      WebRequest options;
      if (throughProxy) options.proxy = "127.0.0.1:" + std::to_string(proxy_.port());
      const WebResponse response = WebClient({}, c.trust).exchange(url(), options);
      EXPECT_EQ(response.failure, c.failure);
      if (c.failure == WebFailure::None) {
        EXPECT_EQ(response.body, std::string("echo /api/?key=") + kKey);
        EXPECT_FALSE(response.certificate);
        continue;
      }
      // Refused in the handshake: nothing was sent, the key least of all.
      EXPECT_EQ(requests_, requestsBefore);
      EXPECT_EQ(response.body, "");
      ASSERT_TRUE(response.certificate);
      const ServerCertificate& shown = *response.certificate;
      EXPECT_EQ(shown.server, server());
      EXPECT_EQ(shown.subject, "CN=localhost, O=Skyrill sample service");
      EXPECT_EQ(shown.sha256, fingerprint);
      EXPECT_TRUE(std::regex_match(shown.validFrom, std::regex("\\d{4}-\\d\\d-\\d\\d")));
      EXPECT_TRUE(std::regex_match(shown.validUntil, std::regex("\\d{4}-\\d\\d-\\d\\d")));
      EXPECT_LT(shown.validFrom, shown.validUntil);
      EXPECT_EQ(shown.problem, "自签名证书");
      EXPECT_EQ(shown.trustedSha256,
                c.failure == WebFailure::CertificateChanged ? otherFingerprint : "");
    }
  }
  EXPECT_FALSE(proxy_.requestHeads().empty());
  for (const std::string& head : proxy_.requestHeads()) {
    EXPECT_TRUE(head.starts_with("CONNECT 127.0.0.1:" + std::to_string(port_) + " HTTP/1.1\r\n"))
        << head;
  }
  // The tunnel carried the key only inside TLS.
  EXPECT_EQ(proxy_.relayedFromClients().find(kKey), std::string::npos);
}

TEST_F(SelfSignedServer, theRefusalNoteNamesTheServerAndTheCertificate) {
  CertificateTrust none;
  const WebResponse untrusted = WebClient({}, &none).exchange(url());
  ASSERT_TRUE(untrusted.certificate);
  const ServerCertificate& shown = *untrusted.certificate;
  EXPECT_EQ(webFailureNote(untrusted),
            "服务器 https://" + server() + "：证书不受信任（自签名证书）。证书主题 " +
                shown.subject + "；有效期 " + shown.validFrom + " 至 " + shown.validUntil +
                "；SHA-256 指纹 " + https_.fingerprint() + "。");

  const std::string before(normalFingerprint(std::string(64, '0')));
  CertificateTrust pinnedBefore(Pins{{server(), before}});
  const std::string changed = webFailureNote(WebClient({}, &pinnedBefore).exchange(url()));
  EXPECT_TRUE(changed.starts_with("服务器 https://" + server() +
                                  "：证书与此前信任的不同，可能有人冒充该服务器（自签名证书）；"
                                  "此前信任的 SHA-256 指纹 " +
                                  before + "。证书主题 "))
      << changed;
  EXPECT_NE(changed.find(https_.fingerprint()), std::string::npos) << changed;
}

// Certificates from an authority the trust store holds: the chain alone is
// not enough, the certificate must also be issued for the host asked for.
TEST(AuthorityIssued, needsTheHostNameUnlessPinned) {
  const testing::TempFolder folder;
  const testing::TestAuthority authority(folder.path() / "authority.pem");
  const struct {
    const char* name;
    const char* altNames;
    long startSeconds;
    long endSeconds;
    bool pin;
    const char* problem;  // empty when accepted
  } cases[] = {
      {"for its address", "IP:127.0.0.1", -3600, 86400, false, ""},
      {"for another host", "DNS:other.example", -3600, 86400, false, "证书不是为该主机签发的"},
      {"for another host, pinned", "DNS:other.example", -3600, 86400, true, ""},
      {"expired", "IP:127.0.0.1", -7200, -3600, false, "证书已过期"},
      {"not yet valid", "IP:127.0.0.1", 3600, 7200, false, "证书尚未生效"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TlsIdentity identity = authority.issue(c.altNames, c.startSeconds, c.endSeconds);
    ServerThread service(sample::makeHttpsServer(identity));
    service.server().Get("/", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("here", "text/plain");
    });
    const int port = service.start("127.0.0.1", 0);
    CertificateTrust trust;
    trust.setAuthorityFile(authority.bundleFile().string());
    if (c.pin) {
      trust.pin(serverName("127.0.0.1", port),
                sample::sha256Fingerprint(identity.certificate.get()));
    }
    const WebResponse response =
        WebClient({}, &trust).exchange("https://127.0.0.1:" + std::to_string(port) + "/");
    if (*c.problem == '\0') {
      EXPECT_EQ(response.failure, WebFailure::None);
      EXPECT_EQ(response.body, "here");
    } else {
      EXPECT_EQ(response.failure, WebFailure::UntrustedCertificate);
      ASSERT_TRUE(response.certificate);
      EXPECT_EQ(response.certificate->problem, c.problem);
      EXPECT_EQ(response.certificate->subject, "CN=Skyrill test server");
    }
  }
}

}  // namespace
}  // namespace skyrill
