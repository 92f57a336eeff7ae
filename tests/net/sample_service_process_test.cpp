#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <regex>

#include "net/certificate_trust.h"
#include "net/web_client.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

// The sample service as its own process, its standard error read through a pipe.
class ServiceProcess {
 public:
  explicit ServiceProcess(std::vector<std::string> args) {
    args.insert(args.begin(), SKYRILL_SAMPLE_SERVICE);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int pipeEnds[2];
    ::pipe(pipeEnds);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    errors_ = ::fdopen(pipeEnds[0], "r");
  }
  ~ServiceProcess() {
    if (pid_ > 0) stop();
    std::fclose(errors_);
  }

  // The next line the service writes to standard error.
  std::string nextLine() {
    char line[512];
    return std::fgets(line, sizeof line, errors_) ? line : "";
  }
  // Sends the signal and gives the exit status. The service blocks the stop
  // signals from the start, so one that ends by itself keeps its own status.
  int stop(int signal = SIGTERM) {
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
    return status;
  }

 private:
  pid_t pid_ = 0;
  std::FILE* errors_ = nullptr;
};

int portIn(const std::string& line, const std::string& scheme) {
  std::smatch match;
  const std::regex pattern("serving " + scheme + "://127\\.0\\.0\\.1:(\\d+)( .*)?\n");
  return std::regex_match(line, match, pattern) ? std::stoi(match[1]) : -1;
}

// The fingerprint of the certificate the line of an HTTPS listener names.
std::string certificateIn(const std::string& line) {
  std::smatch match;
  const std::regex pattern(".* certificate SHA-256 ([0-9A-F:]{95})\n");
  return std::regex_match(line, match, pattern) ? match[1].str() : std::string();
}

TEST(SampleServiceProcess, servesBothSchemesLogsRequestsAndStopsCleanly) {
  for (const int signal : {SIGTERM, SIGINT}) {
    ServiceProcess service({"--port", "0", "--https-port", "0", "--key", "k1"});
    const int httpPort = portIn(service.nextLine(), "http");
    const std::string httpsLine = service.nextLine();
    const int httpsPort = portIn(httpsLine, "https");
    ASSERT_GT(httpPort, 0);
    ASSERT_GT(httpsPort, 0);
    // The certificate it names is the one it shows.
    CertificateTrust trust;
    ASSERT_TRUE(trust.pin(serverName("127.0.0.1", httpsPort), certificateIn(httpsLine)))
        << httpsLine;
    const std::string path = "/api/weather/58453/history/?key=k1&date=2019-7-5";
    const std::string plain =
        WebClient().request("http://127.0.0.1:" + std::to_string(httpPort) + path);
    EXPECT_TRUE(plain.starts_with("{\"date\":\"2019-07-05\""));
    EXPECT_EQ(
        WebClient({}, &trust).request("https://127.0.0.1:" + std::to_string(httpsPort) + path),
        plain);
    EXPECT_EQ(service.nextLine(), "GET /api/weather/58453/history/ date=2019-7-5 -> 200, " +
                                      std::to_string(plain.size()) + " bytes\n");
    const int status = service.stop(signal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
}

// A port another service already serves is not shared: the second service
// says so and ends with status 1.
TEST(SampleServiceProcess, portInUseIsRefused) {
  ServiceProcess first({"--port", "0"});
  const int port = portIn(first.nextLine(), "http");
  ASSERT_GT(port, 0);
  ServiceProcess second({"--port", std::to_string(port)});
  EXPECT_EQ(second.nextLine(), "cannot listen on 127.0.0.1:" + std::to_string(port) + "\n");
  const int status = second.stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
}

TEST(SampleServiceProcess, dataFolderThatCannotBeReadIsAUsageError) {
  testing::TempFolder folder;
  testing::writeBytes(folder / "file.json", "{}");
  for (const auto& dataDir : {folder / "missing", folder / "file.json"}) {
    ServiceProcess service({"--port", "0", "--data-dir", dataDir.string()});
    EXPECT_EQ(service.nextLine(),
              "skyrill-sample-service: not a readable folder: " + dataDir.string() + "\n");
    const int status = service.stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << dataDir << " " << status;
  }
}

// --warming sets how the days warm: without it a day of 2019 is warmer than
// with none, a day of mid-2006 the same; a warming that is no number from
// -1 to 1 is a usage error.
TEST(SampleServiceProcess, warmingIsChosenOrRefused) {
  const auto dayFrom = [](ServiceProcess& service, const char* date) {
    const int port = portIn(service.nextLine(), "http");
    return WebClient().request("http://127.0.0.1:" + std::to_string(port) +
                               "/api/weather/58453/history/?key=demo&date=" + date);
  };
  for (const auto& [date, alike] : {std::pair{"2019-7-5", false}, std::pair{"2006-7-1", true}}) {
    ServiceProcess warming({"--port", "0"});
    ServiceProcess still({"--port", "0", "--warming", "0"});
    const std::string warmed = dayFrom(warming, date);
    EXPECT_TRUE(warmed.starts_with("{\"date\":")) << warmed;
    EXPECT_EQ(warmed == dayFrom(still, date), alike) << date;
  }
  for (const char* bad : {"abc", "2", "0.3x", "nan"}) {
    ServiceProcess service({"--port", "0", "--warming", bad});
    EXPECT_EQ(service.nextLine(), std::string("skyrill-sample-service: --warming takes degrees a "
                                              "decade from -1 to 1, not ") +
                                      bad + "\n");
    const int status = service.stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << bad << " " << status;
  }
}

}  // namespace
}  // namespace skyrill
