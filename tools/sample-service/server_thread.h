#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <httplib.h>

#include "tls_identity.h"

namespace skyrill::sample {

// Limits every connection gets.
inline constexpr std::chrono::seconds kReadTimeout{2};
inline constexpr std::chrono::seconds kWriteTimeout{10};
inline constexpr std::size_t kMaxRequestBodyBytes = 16 * 1024;
inline constexpr std::size_t kWorkers = 32;

// Runs one httplib server on a thread of its own until stopped or destroyed.
class ServerThread {
 public:
  // The server refuses, unread, a request body over the cap or of unstated
  // length. A pre-routing handler set on it afterwards takes the place of
  // that refusal.
  explicit ServerThread(std::unique_ptr<httplib::Server> server);
  ~ServerThread() { stop(); }
  ServerThread(const ServerThread&) = delete;
  ServerThread& operator=(const ServerThread&) = delete;

  // Binds to the host and port (0: any free port) and starts serving; the
  // port bound, or -1 when binding failed, as it does on a port in use.
  int start(const std::string& host, int port);
  // Stops serving and waits for the thread; does nothing when not serving.
  void stop();

  httplib::Server& server() { return *server_; }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::atomic<bool> listening_ = false;
  std::thread thread_;
};

// An HTTPS server with the identity; the identity may be freed afterwards.
std::unique_ptr<httplib::Server> makeHttpsServer(
    const TlsIdentity& identity = makeSelfSignedIdentity());

}  // namespace skyrill::sample
