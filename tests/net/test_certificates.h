#pragma once

#include <filesystem>
#include <string>

#include "tls_identity.h"

namespace skyrill::testing {

// A certificate authority of the tests' own, written as a CA bundle that a
// trust can read in place of the system's.
class TestAuthority {
 public:
  explicit TestAuthority(const std::filesystem::path& bundleFile);

  const std::filesystem::path& bundleFile() const { return bundleFile_; }

  // A server certificate it issues for the names ("DNS:localhost,IP:127.0.0.1"),
  // valid from `startSeconds` to `endSeconds` from now.
  sample::TlsIdentity issue(const std::string& altNames, long startSeconds = -3600,
                            long endSeconds = 86400) const;

 private:
  sample::TlsIdentity root_;
  std::filesystem::path bundleFile_;
};

}  // namespace skyrill::testing
