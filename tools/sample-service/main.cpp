// skyrill-sample-service: a local stand-in for the hourly data service.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <pthread.h>
#include <unistd.h>

#include "cli/option_parser.h"
#include "directory_routes.h"
#include "server_thread.h"
#include "weather_routes.h"

namespace {

using namespace skyrill::sample;

constexpr const char* kUsage = R"(Usage: skyrill-sample-service [options]

Answers /api/weather/{station}/history/?key=K&date=Y-M-D and
/api/weather/{station}/today/?key=K (history2/today2 for the advanced source)
with synthetic hourly observations, and /rest/province and
/rest/province/{code} with the bundled station directory.

Both sources have days from 1991-01-01 on: an earlier day, like a day after
today, is answered {"res":[]}, as the real service answers a day it holds no
records of. The days vary from year to year and warm slowly (see --warming).

Options:
  --host ADDRESS     address to listen on (default 127.0.0.1)
  --port N           HTTP port (default 8765; 0 picks a free port)
  --no-http          do not serve plain HTTP
  --https-port N     also serve HTTPS on port N (0 picks a free port)
  --cert FILE        PEM certificate for HTTPS (default: a self-signed one made at
                     start); its SHA-256 fingerprint is shown with the address
  --cert-key FILE    PEM private key of --cert
  --key KEY          an accepted API key; may be repeated (default: demo)
  --data-dir DIR     serve saved observation files from the readable folder
                     DIR, named like 0_58453_0_20200720.json, in place of
                     synthesized days
  --warming C        how much the synthetic climate warms, in degrees Celsius
                     a decade (default 0.3; 0 keeps every year alike); the
                     temperatures of mid-2006 stay as they are
  --fault NAME       spoil every weather answer, for trying out clients:
                     close-mid-body, drip, stall, 500, huge-body,
                     invalid-utf8, redirect-loop or redirect-other-host
  --help             show this text
  --version          show the program's version

An option's value may follow it or be joined to it by "=" (--port=0).

Runs until SIGINT or SIGTERM. Exit status: 0 stopped by a signal (or --help,
--version), 1 a port (one in use, too) or the HTTPS certificate could not be
used, 2 usage error.
)";

struct Options {
  std::string host = "127.0.0.1";
  std::optional<int> httpPort = 8765;
  std::optional<int> httpsPort;
  std::string certPath;
  std::string certKeyPath;
  ServiceConfig config;
  FaultConfig faults;
};

// A folder whose files can be listed and read.
bool isReadableFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error) && ::access(path.c_str(), R_OK | X_OK) == 0;
}

std::optional<int> portNumber(const std::string& text) {
  char* end = nullptr;
  const long port = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || port < 0 || port > 65535) return std::nullopt;
  return static_cast<int>(port);
}

std::optional<double> warmingNumber(const std::string& text) {
  char* end = nullptr;
  const double warming = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(warming >= -1 && warming <= 1)) return std::nullopt;
  return warming;
}

// The command line as given, before its values are checked.
struct Arguments {
  bool help = false;
  bool version = false;
  bool noHttp = false;
  std::string host, port, httpsPort, dataDir, fault, warming;
  std::vector<std::string> keys;
};

// Reads the options into `options`; false with an error for anything it does
// not understand.
bool readOptions(const Arguments& given, Options& options, std::string& error) {
  if (!given.host.empty()) options.host = given.host;
  for (const auto& [text, port, name] :
       {std::tuple{&given.port, &options.httpPort, "--port"},
        std::tuple{&given.httpsPort, &options.httpsPort, "--https-port"}}) {
    if (text->empty()) continue;
    *port = portNumber(*text);
    if (!*port) {
      error = std::string(name) + " takes a port number from 0 to 65535, not " + *text;
      return false;
    }
  }
  if (given.noHttp) options.httpPort.reset();
  if (!options.httpPort && !options.httpsPort) {
    error = "nothing to serve: give --https-port with --no-http";
    return false;
  }
  std::set<std::string> keys;
  for (const std::string& key : given.keys)
    if (!key.empty()) keys.insert(key);
  if (!keys.empty()) options.config.apiKeys = std::move(keys);
  if (!given.dataDir.empty()) {
    if (!isReadableFolder(given.dataDir)) {
      error = "not a readable folder: " + given.dataDir;
      return false;
    }
    options.config.dataDir = given.dataDir;
  }
  if (!given.warming.empty()) {
    const auto warming = warmingNumber(given.warming);
    if (!warming) {
      error = "--warming takes degrees a decade from -1 to 1, not " + given.warming;
      return false;
    }
    options.config.warmingPerDecadeC = *warming;
  }
  if (!given.fault.empty()) {
    const auto fault = faultNamed(given.fault);
    if (!fault) {
      error = "unknown fault: " + given.fault;
      return false;
    }
    options.faults.fault = *fault;
  }
  return true;
}

TlsIdentity tlsIdentity(const Options& options) {
  if (options.certPath.empty()) return makeSelfSignedIdentity();
  return loadIdentity(options.certPath, options.certKeyPath);
}

// Starts one listener; false with a message when it cannot. `certificate`
// is said after the address, so that clients can pin it.
bool startListener(ServerThread& listener, const Options& options, int port, const char* scheme,
                   const std::string& certificate = {}) {
  if (!listener.server().is_valid()) {
    std::fprintf(stderr, "cannot set up the %s server\n", scheme);
    return false;
  }
  addWeatherRoutes(listener.server(), options.config, true, options.faults);
  addDirectoryRoutes(listener.server());
  const int bound = listener.start(options.host, port);
  if (bound < 0) {
    std::fprintf(stderr, "cannot listen on %s:%d\n", options.host.c_str(), port);
    return false;
  }
  std::fprintf(stderr, "serving %s://%s:%d%s\n", scheme, options.host.c_str(), bound,
               certificate.empty() ? "" : (" certificate SHA-256 " + certificate).c_str());
  return true;
}

// Blocks SIGINT and SIGTERM in every thread; main waits for them instead.
sigset_t blockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

}  // namespace

int main(int argc, char** argv) {
  // Blocked from the start, so that a stop signal during start-up waits for
  // the service to be up, and one after a start that failed leaves its status.
  const sigset_t stopSignals = blockStopSignals();
  Options options;
  Arguments given;
  std::string error;
  const bool read = skyrill::OptionParser()
                        .flag("--help", given.help)
                        .flag("--version", given.version)
                        .flag("--no-http", given.noHttp)
                        .value("--host", given.host)
                        .value("--port", given.port)
                        .value("--https-port", given.httpsPort)
                        .value("--cert", options.certPath)
                        .value("--cert-key", options.certKeyPath)
                        .values("--key", given.keys)
                        .value("--data-dir", given.dataDir)
                        .value("--fault", given.fault)
                        .value("--warming", given.warming)
                        .parse(std::vector<std::string>(argv + 1, argv + argc), error);
  if (read && given.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (read && given.version) {
    std::puts("skyrill-sample-service " SKYRILL_VERSION);
    return 0;
  }
  if (!read || !readOptions(given, options, error)) {
    std::fprintf(stderr, "skyrill-sample-service: %s\n\n%s", error.c_str(), kUsage);
    return skyrill::kUsageStatus;
  }

  std::vector<std::unique_ptr<ServerThread>> listeners;
  if (options.httpPort) {
    listeners.push_back(std::make_unique<ServerThread>(std::make_unique<httplib::Server>()));
    if (!startListener(*listeners.back(), options, *options.httpPort, "http")) return 1;
  }
  if (options.httpsPort) {
    const TlsIdentity identity = tlsIdentity(options);
    if (!identity) {
      std::fputs("cannot read or make the HTTPS certificate and key\n", stderr);
      return 1;
    }
    listeners.push_back(std::make_unique<ServerThread>(
        std::make_unique<httplib::SSLServer>(identity.certificate.get(), identity.key.get())));
    if (!startListener(*listeners.back(), options, *options.httpsPort, "https",
                       sha256Fingerprint(identity.certificate.get())))
      return 1;
  }

  int signal = 0;
  sigwait(&stopSignals, &signal);
  std::fprintf(stderr, "stopping on signal %d\n", signal);
  listeners.clear();
  return 0;
}
