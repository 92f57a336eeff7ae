#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace skyrill::testing {

// A bare TCP listener on 127.0.0.1 for exchanges no HTTP server library
// would produce: each connection's request head is recorded and handed,
// with the socket, to the handler, one connection at a time.
class RawServer {
 public:
  using Handler = std::function<void(int socket, const std::string& requestHead)>;

  explicit RawServer(Handler handler);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  // The request heads received so far, in order.
  std::vector<std::string> requestHeads();

 private:
  void serve();

  Handler handler_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_ = false;
  std::mutex mutex_;
  std::vector<std::string> heads_;
  std::thread thread_;
};

// Writes all bytes; false when the peer has gone.
bool sendAll(int socket, std::string_view bytes);
// Waits until the peer closes the connection.
void waitForClose(int socket);
// A port on 127.0.0.1 that nothing listens on.
int unusedPort();

}  // namespace skyrill::testing
