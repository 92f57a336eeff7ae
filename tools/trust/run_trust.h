#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "cli/option_parser.h"
#include "net/certificate_trust.h"
#include "store/settings.h"

// The certificates a tool's run trusts: those the window trusts (the pins
// and the unsafe switch of its settings file), and what the command line
// adds for the one run.
namespace skyrill {

struct TrustOptions {
  // --trust-certificate: a SHA-256 fingerprint trusted for the data
  // service's server in this run.
  std::string certificate;
  bool insecure = false;  // --insecure: any certificate, unchecked, in this run
};

// The options' lines for a tool's usage text, their words from `column` on.
std::string trustUsage(std::size_t column);

// Reads the two options.
OptionParser& addTrustOptions(OptionParser& parser, TrustOptions& options);

// Checks --trust-certificate's value; false with an error when it is no
// SHA-256 fingerprint.
bool checkTrustOptions(const TrustOptions& options, std::string& error);

// The trust of a run against the data service at `serverAddress`. When it
// accepts any certificate, the tool says on standard error why and what
// that means.
std::unique_ptr<CertificateTrust> runTrust(const Settings& window, std::string_view serverAddress,
                                           const TrustOptions& options, std::string_view tool);

}  // namespace skyrill
