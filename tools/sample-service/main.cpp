// skyrill-sample-service: a local stand-in for the hourly data service.

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <pthread.h>
#include <unistd.h>

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

Options:
  --host ADDRESS     address to listen on (default 127.0.0.1)
  --port N           HTTP port (default 8765; 0 picks a free port)
  --no-http          do not serve plain HTTP
  --https-port N     also serve HTTPS on port N (0 picks a free port)
  --cert FILE        PEM certificate for HTTPS (default: a self-signed one made at start)
  --cert-key FILE    PEM private key of --cert
  --key KEY          an accepted API key; may be repeated (default: demo)
  --data-dir DIR     serve saved observation files from the readable folder
                     DIR, named like 0_58453_0_20200720.json, in place of
                     synthesized days
  --fault NAME       spoil every weather answer, for trying out clients:
                     close-mid-body, drip, stall, 500, huge-body,
                     invalid-utf8, redirect-loop or redirect-other-host
  --help             show this text
  --version          show the program's version

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

// Reads the options; false with a message for anything it does not understand.
bool parseOptions(const std::vector<std::string>& args, Options& options) {
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--no-http") {
      options.httpPort.reset();
      continue;
    }
    if (i + 1 == args.size()) {
      std::fprintf(stderr, "unknown option or missing value: %s\n", name.c_str());
      return false;
    }
    const std::string& value = args[++i];
    if (name == "--host") {
      options.host = value;
    } else if (name == "--port" || name == "--https-port") {
      const auto port = portNumber(value);
      if (!port) {
        std::fprintf(stderr, "not a port number: %s\n", value.c_str());
        return false;
      }
      (name == "--port" ? options.httpPort : options.httpsPort) = port;
    } else if (name == "--cert") {
      options.certPath = value;
    } else if (name == "--cert-key") {
      options.certKeyPath = value;
    } else if (name == "--key") {
      if (!value.empty()) keys.push_back(value);
    } else if (name == "--data-dir") {
      if (!isReadableFolder(value)) {
        std::fprintf(stderr, "not a readable folder: %s\n", value.c_str());
        return false;
      }
      options.config.dataDir = value;
    } else if (name == "--fault") {
      const auto fault = faultNamed(value);
      if (!fault) {
        std::fprintf(stderr, "unknown fault: %s\n", value.c_str());
        return false;
      }
      options.faults.fault = *fault;
    } else {
      std::fprintf(stderr, "unknown option: %s\n", name.c_str());
      return false;
    }
  }
  if (!keys.empty()) options.config.apiKeys = {keys.begin(), keys.end()};
  return true;
}

TlsIdentity tlsIdentity(const Options& options) {
  if (options.certPath.empty()) return makeSelfSignedIdentity();
  return loadIdentity(options.certPath, options.certKeyPath);
}

// Starts one listener; false with a message when it cannot.
bool startListener(ServerThread& listener, const Options& options, int port, const char* scheme) {
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
  std::fprintf(stderr, "serving %s://%s:%d\n", scheme, options.host.c_str(), bound);
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
  const std::vector<std::string> args(argv + 1, argv + argc);
  Options options;
  if (std::find(args.begin(), args.end(), "--help") != args.end()) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (std::find(args.begin(), args.end(), "--version") != args.end()) {
    std::puts("skyrill-sample-service " SKYRILL_VERSION);
    return 0;
  }
  if (!parseOptions(args, options)) return 2;
  if (!options.httpPort && !options.httpsPort) {
    std::fputs("nothing to serve: give --https-port with --no-http\n", stderr);
    return 2;
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
    if (!startListener(*listeners.back(), options, *options.httpsPort, "https")) return 1;
  }

  int signal = 0;
  sigwait(&stopSignals, &signal);
  std::fprintf(stderr, "stopping on signal %d\n", signal);
  listeners.clear();
  return 0;
}
