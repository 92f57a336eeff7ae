// The fetching tools against a sample service with a self-signed
// certificate: refused unless trusted, by the window's settings or by the
// run's own options.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "run_program.h"
#include "server_thread.h"
#include "tests/store/temp_folder.h"
#include "weather_routes.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using testing::Outcome;
using testing::TempFolder;

constexpr char kUntrusted[] = "证书不受信任（自签名证书）";
constexpr char kChanged[] = "证书与此前信任的不同";
constexpr char kUnchecked[] = "warning: server certificates are not checked";

class ToolsAgainstSelfSigned : public ::testing::Test {
 protected:
  void SetUp() override {
    sample::addWeatherRoutes(https_.server(), {}, false);
    port_ = https_.start("127.0.0.1", 0);
    ASSERT_GT(port_, 0);
  }

  std::string base() const { return "https://127.0.0.1:" + std::to_string(port_); }
  std::string fingerprint() const { return sample::sha256Fingerprint(identity_.certificate.get()); }
  std::string pinLine(const std::string& fingerprint) const {
    return "[TrustedCertificates]\n127.0.0.1:" + std::to_string(port_) + "=" + fingerprint + "\n";
  }

  // Runs a copy of the tool that stands beside the window program and its
  // settings, as an installation in a folder of its own would.
  Outcome runBesideSettings(const char* program, const std::string& settings,
                            const std::string& args) {
    const TempFolder installed;
    const fs::path copy = installed.path() / fs::path(program).filename();
    fs::copy_file(program, copy);
    testing::writeBytes(installed / "skyrill", "");
    testing::writeBytes(installed / "Stormbook.ini", settings);
    return testing::runProgram(copy.string(), args);
  }

  sample::TlsIdentity identity_ = sample::makeSelfSignedIdentity();
  sample::ServerThread https_{sample::makeHttpsServer(identity_)};
  int port_ = 0;
};

TEST_F(ToolsAgainstSelfSigned, fetchSavesDaysOnlyFromATrustedServer) {
  std::string bare = fingerprint();
  std::erase(bare, ':');
  std::transform(bare.begin(), bare.end(), bare.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::string another =
      sample::sha256Fingerprint(sample::makeSelfSignedIdentity().certificate.get());
  const struct {
    const char* name;
    std::string settings;
    std::string options;
    int status;
    std::string said;  // in standard error
  } cases[] = {
      {"untrusted", "", "", 1, kUntrusted},
      {"trusted for the run", "", " --trust-certificate " + fingerprint(), 0, "fetched 2"},
      {"trusted for the run, lower case and bare", "", " --trust-certificate=" + bare, 0,
       "fetched 2"},
      {"pinned in the settings", pinLine(fingerprint()), "", 0, "fetched 2"},
      {"another certificate pinned", pinLine(another), "", 1, kChanged},
      {"another pinned, this one trusted for the run", pinLine(another),
       " --trust-certificate " + fingerprint(), 0, "fetched 2"},
      {"--insecure", "", " --insecure", 0, std::string(kUnchecked) + " (--insecure)"},
      {"accept any in the settings", "[Unsafe]\nAcceptAnyCertificate=1\n", "", 0,
       std::string(kUnchecked) + " (AcceptAnyCertificate in the settings)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder history;
    const Outcome outcome = runBesideSettings(
        SKYRILL_FETCH_PROGRAM, c.settings,
        "--station 54511 --from 2024-01-01 --to 2024-01-02 --key demo --rate 0 --server " + base() +
            " --into " + history.path().string() + c.options);
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
    EXPECT_TRUE(fs::exists(history / "2024/0_54511_0_20240101.json") == (c.status == 0));
    if (c.status != 0) {
      EXPECT_NE(outcome.err.find("SHA-256 指纹 " + fingerprint()), std::string::npos);
      EXPECT_NE(outcome.err.find("refused 2"), std::string::npos) << outcome.err;
    }
  }
}

TEST_F(ToolsAgainstSelfSigned, dayNamesTheOptionThatTrustsTheCertificate) {
  const std::string args = "--station 54511 --date 2024-01-01 --key demo --server " + base();
  const Outcome refused = runBesideSettings(SKYRILL_DAY_PROGRAM, "", args);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find(kUntrusted), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("skyrill-day: to trust this certificate for one run: "
                             "--trust-certificate " +
                             fingerprint() + "\n"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.out, "");

  const Outcome trusted =
      runBesideSettings(SKYRILL_DAY_PROGRAM, "", args + " --trust-certificate " + fingerprint());
  EXPECT_EQ(trusted.status, 0) << trusted.err;
  EXPECT_TRUE(trusted.out.starts_with("历史天气\n2024-01-01\n")) << trusted.out;

  const Outcome unchecked = runBesideSettings(SKYRILL_DAY_PROGRAM, "", args + " --insecure");
  EXPECT_EQ(unchecked.status, 0) << unchecked.err;
  EXPECT_NE(unchecked.err.find(std::string("skyrill-day: ") + kUnchecked), std::string::npos);

  EXPECT_EQ(runBesideSettings(SKYRILL_DAY_PROGRAM, "", args + " --trust-certificate AB:CD").status,
            2);
}

}  // namespace
}  // namespace skyrill
