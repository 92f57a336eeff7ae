#include "raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace skyrill::testing {
namespace {

int listenOnLoopback() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, 8);
  return fd;
}

int portOf(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

std::string readRequestHead(int socket) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    const ssize_t count = ::recv(socket, buffer, sizeof buffer, 0);
    if (count <= 0) break;
    head.append(buffer, static_cast<std::size_t>(count));
  }
  return head;
}

}  // namespace

RawServer::RawServer(Handler handler) : handler_(std::move(handler)) {
  listener_ = listenOnLoopback();
  port_ = portOf(listener_);
  thread_ = std::thread([this] { serve(); });
}

RawServer::~RawServer() {
  stopping_ = true;
  thread_.join();
  ::close(listener_);
}

std::vector<std::string> RawServer::requestHeads() {
  std::lock_guard lock(mutex_);
  return heads_;
}

void RawServer::serve() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) continue;
    const int socket = ::accept(listener_, nullptr, nullptr);
    if (socket < 0) continue;
    const std::string head = readRequestHead(socket);
    {
      std::lock_guard lock(mutex_);
      heads_.push_back(head);
    }
    handler_(socket, head);
    ::close(socket);
  }
}

bool sendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void waitForClose(int socket) {
  char buffer[256];
  while (::recv(socket, buffer, sizeof buffer, 0) > 0) {
  }
}

int unusedPort() {
  const int fd = listenOnLoopback();
  const int port = portOf(fd);
  ::close(fd);
  return port;
}

}  // namespace skyrill::testing
