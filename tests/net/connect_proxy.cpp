#include "connect_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <regex>

namespace skyrill::testing {
namespace {

int connectToLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

ConnectProxy::ConnectProxy()
    : server_([this](int client, const std::string& head) { tunnel(client, head); }) {}

std::string ConnectProxy::relayedFromClients() {
  const std::lock_guard lock(mutex_);
  return relayed_;
}

void ConnectProxy::tunnel(int client, const std::string& head) {
  std::smatch target;
  if (!std::regex_search(head, target, std::regex("^CONNECT [^ :]+:(\\d+) HTTP/1\\.1\r\n"))) {
    sendAll(client, "HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n");
    return;
  }
  const int server = connectToLoopback(std::stoi(target[1]));
  if (server < 0) {
    sendAll(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
    return;
  }
  sendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n");
  pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
  char buffer[16384];
  for (bool open = true; open && ::poll(ends, 2, 10000) > 0;) {
    for (int from = 0; from < 2 && open; ++from) {
      if (ends[from].revents == 0) continue;
      const ssize_t count = ::recv(ends[from].fd, buffer, sizeof buffer, 0);
      open = count > 0 && sendAll(ends[1 - from].fd, std::string_view(buffer, count));
      if (open && from == 0) {
        const std::lock_guard lock(mutex_);
        relayed_.append(buffer, static_cast<std::size_t>(count));
      }
    }
  }
  ::close(server);
}

}  // namespace skyrill::testing
