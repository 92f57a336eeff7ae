#include "server_thread.h"

#include <chrono>

namespace skyrill::sample {

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
