#include "server_thread.h"

#include <sys/socket.h>

#include <charconv>
#include <chrono>
#include <string_view>

namespace skyrill::sample {
namespace {

// Whether the request announces a body over the cap, or one whose length
// only reading it would tell (chunked, or a length that is no plain number).
bool announcesTooLargeBody(const httplib::Request& request) {
  if (request.has_header("Transfer-Encoding")) return true;
  if (!request.has_header("Content-Length")) return false;
  const std::string length = request.get_header_value("Content-Length");
  const char* const end = length.data() + length.size();
  std::size_t bytes = 0;
  const auto [stop, error] = std::from_chars(length.data(), end, bytes);
  return error != std::errc() || stop != end || bytes > kMaxRequestBodyBytes;
}

// A 413 after which the connection ends with the body unread. httplib would
// otherwise read all of it first (skipping what is past its own cap), or,
// for a GET, take it for the next request and read it as one endless line.
httplib::Server::HandlerResponse refuseBody(httplib::Response& response) {
  static constexpr std::string_view kText = "request body too large\n";
  response.status = 413;
  response.set_header("Connection", "close");
  // A provider that fails after writing its text is how a handler makes
  // httplib close the connection.
  response.set_content_provider(kText.size(), "text/plain",
                                [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                  sink.write(kText.data(), kText.size());
                                  return false;
                                });
  return httplib::Server::HandlerResponse::Handled;
}

// httplib's default also sets SO_REUSEPORT, with which a second service binds
// a port already served and the two share its requests at random. Address
// reuse alone lets a stopped service's port be bound again at once.
void reuseAddressOnly(socket_t socket) {
  const int yes = 1;
  ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

}  // namespace

ServerThread::ServerThread(std::unique_ptr<httplib::Server> server) : server_(std::move(server)) {
  server_->set_pre_routing_handler(
      [](const httplib::Request& request, httplib::Response& response) {
        if (!announcesTooLargeBody(request)) return httplib::Server::HandlerResponse::Unhandled;
        return refuseBody(response);
      });
}

int ServerThread::start(const std::string& host, int port) {
  // Without it the small handshake records wait for delayed acknowledgements.
  server_->set_tcp_nodelay(true);
  // A client that sends slowly or not at all loses its connection, so a few
  // of them cannot hold every worker; requests carry no body worth keeping.
  server_->set_read_timeout(kReadTimeout);
  server_->set_write_timeout(kWriteTimeout);
  server_->set_keep_alive_timeout(2);
  // A client fetching a range asks many days over one connection; httplib
  // would close it after five.
  server_->set_keep_alive_max_count(1000);
  server_->set_payload_max_length(kMaxRequestBodyBytes);
  server_->set_socket_options(reuseAddressOnly);
  server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  const int bound =
      port == 0 ? server_->bind_to_any_port(host) : (server_->bind_to_port(host, port) ? port : -1);
  if (bound < 0) return -1;
  listening_ = true;
  thread_ = std::thread([this] {
    server_->listen_after_bind();
    listening_ = false;
  });
  // stop() only reaches a server that has begun listening.
  while (listening_ && !server_->is_running()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return bound;
}

void ServerThread::stop() {
  if (!thread_.joinable()) return;
  server_->stop();
  thread_.join();
}

std::unique_ptr<httplib::Server> makeHttpsServer(const TlsIdentity& identity) {
  return std::make_unique<httplib::SSLServer>(identity.certificate.get(), identity.key.get());
}

}  // namespace skyrill::sample
