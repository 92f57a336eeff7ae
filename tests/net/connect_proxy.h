#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "raw_server.h"

namespace skyrill::testing {

// An HTTP proxy on 127.0.0.1 that opens CONNECT tunnels to 127.0.0.1 and
// relays their bytes both ways, one tunnel at a time, keeping what it saw.
class ConnectProxy {
 public:
  ConnectProxy();

  int port() const { return server_.port(); }
  // The request heads received, one per tunnel asked for.
  std::vector<std::string> requestHeads() { return server_.requestHeads(); }
  // Every byte the clients sent through the tunnels.
  std::string relayedFromClients();

 private:
  void tunnel(int client, const std::string& head);

  std::mutex mutex_;
  std::string relayed_;
  RawServer server_;  // last: its thread calls tunnel()
};

}  // namespace skyrill::testing
