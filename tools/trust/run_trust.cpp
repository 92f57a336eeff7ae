#include "tools/trust/run_trust.h"

#include <initializer_list>
#include <iostream>

#include "net/url_parts.h"

namespace skyrill {

namespace {

// An option's lines of the usage: its name, then its words from `column` on
// (on a line of their own when the name reaches the column).
std::string usageEntry(std::string_view name, std::initializer_list<std::string_view> lines,
                       std::size_t column) {
  const std::string indent(column, ' ');
  std::string entry = "  " + std::string(name);
  entry += entry.size() < column ? std::string(column - entry.size(), ' ') : "\n" + indent;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) entry += indent;
    entry += std::string(line) + "\n";
    first = false;
  }
  return entry;
}

}  // namespace

std::string trustUsage(std::size_t column) {
  return usageEntry("--trust-certificate SHA256",
                    {"trust the data service's certificate with this SHA-256",
                     "fingerprint in this run (64 hex digits, pairs may be",
                     "joined by \":\"), as if it were trusted in the settings"},
                    column) +
         usageEntry("--insecure",
                    {"accept any server certificate in this run: unsafe,",
                     "anyone on the way can read the API key and change the", "answers"},
                    column);
}

OptionParser& addTrustOptions(OptionParser& parser, TrustOptions& options) {
  return parser.value("--trust-certificate", options.certificate)
      .flag("--insecure", options.insecure);
}

bool checkTrustOptions(const TrustOptions& options, std::string& error) {
  if (options.certificate.empty() || !normalFingerprint(options.certificate).empty()) return true;
  error =
      "--trust-certificate takes a SHA-256 fingerprint: 64 hex digits, pairs may be joined by "
      "\":\"";
  return false;
}

std::unique_ptr<CertificateTrust> runTrust(const Settings& window, std::string_view serverAddress,
                                           const TrustOptions& options, std::string_view tool) {
  const bool acceptAny = options.insecure || window.acceptAnyCertificate;
  auto trust = std::make_unique<CertificateTrust>(window.trustedCertificates, acceptAny);
  if (!options.certificate.empty()) {
    const UrlParts server = analyzeUrl(serverAddress);
    trust->pin(serverName(server.host, server.port), options.certificate);
  }
  if (acceptAny) {
    std::cerr << tool << ": warning: server certificates are not checked ("
              << (options.insecure ? "--insecure" : "AcceptAnyCertificate in the settings")
              << "): anyone on the way can read the API key and change the answers\n";
  }
  return trust;
}

}  // namespace skyrill
