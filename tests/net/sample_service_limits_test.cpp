// The sample service against careless and hostile clients and data folders.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "net/web_client.h"
#include "server_thread.h"
#include "tests/store/temp_folder.h"
#include "weather_routes.h"

namespace skyrill::sample {
namespace {

using namespace std::chrono_literals;

// A plain TCP connection to the service, closed at the end.
class Connection {
 public:
  explicit Connection(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~Connection() { ::close(fd_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool connected() const { return connected_; }
  bool send(std::string_view bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  // Sends the piece again and again until `total` bytes are out or the
  // service stops taking them (or 10 s pass); the bytes sent.
  std::size_t sendRepeatedly(std::string_view piece, std::size_t total) {
    timeval wait{10, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    std::size_t sent = 0;
    while (sent < total && send(piece)) sent += piece.size();
    return sent;
  }
  // What arrives before the service closes the connection or 10 s pass.
  std::string receive() {
    timeval wait{10, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::string bytes;
    char buffer[4096];
    for (ssize_t count; (count = ::recv(fd_, buffer, sizeof buffer, 0)) > 0;) {
      bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
  }

 private:
  int fd_;
  bool connected_ = false;
};

class SampleServiceLimits : public ::testing::Test {
 protected:
  void serve(ServiceConfig config = {}) {
    addWeatherRoutes(server_.server(), std::move(config), false);
    port_ = server_.start("127.0.0.1", 0);
    ASSERT_GT(port_, 0);
  }
  std::string dayUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_) +
           "/api/weather/58453/history/?key=demo&date=2020-7-20";
  }

  ServerThread server_{std::make_unique<httplib::Server>()};
  int port_ = 0;
};

// More slow clients than there are workers: the read time-out frees the
// workers, and a real request is still answered.
TEST_F(SampleServiceLimits, slowClientsCannotHoldEveryWorker) {
  serve();
  std::vector<std::unique_ptr<Connection>> slow;
  for (std::size_t i = 0; i < kWorkers + 8; ++i) {
    slow.push_back(std::make_unique<Connection>(port_));
    ASSERT_TRUE(slow.back()->connected());
    slow.back()->send("G");
  }
  std::thread dripping([&slow] {
    std::this_thread::sleep_for(3s);  // a byte every few seconds
    for (auto& connection : slow) connection->send("E");
  });
  const auto start = std::chrono::steady_clock::now();
  const std::string day = WebClient().request(dayUrl());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_TRUE(day.starts_with("{\"date\":\"2020-07-20\"")) << day.substr(0, 100);
  dripping.join();
}

TEST_F(SampleServiceLimits, aLargeRequestBodyIsRefusedUnread) {
  serve();
  Connection client(port_);
  ASSERT_TRUE(client.connected());
  client.send(
      "GET /api/weather/58453/history/?key=demo HTTP/1.1\r\nHost: x\r\n"
      "Content-Length: 300000000\r\nConnection: close\r\n\r\n" +
      std::string(65536, 'x'));
  const std::string answer = client.receive();
  // Refused (413, or 400 once the client stops sending) without waiting for
  // or keeping the announced 300 MB.
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 413 ") || answer.starts_with("HTTP/1.1 400 ")) << answer;
}

// A body announced past the cap, or of a length only reading it would tell,
// is refused from the request head whatever the method, and the connection
// ends there: the service stops taking the body long before it is all sent.
TEST_F(SampleServiceLimits, bodiesPastTheCapAreRefusedUnreadForEveryMethod) {
  serve();
  constexpr std::size_t kAnnouncedBytes = 64 * 1024 * 1024;
  const std::string block(64 * 1024, 'x');
  const std::string chunk = "10000\r\n" + block + "\r\n";
  const std::string announced = "Content-Length: " + std::to_string(kAnnouncedBytes);
  const struct {
    std::string method;
    std::string framing;
    std::string piece;  // the body is this, again and again
  } cases[] = {
      {"GET", announced, block},    {"GET", "Transfer-Encoding: chunked", chunk},
      {"POST", announced, block},   {"PUT", "Transfer-Encoding: chunked", chunk},
      {"DELETE", announced, block},
  };
  for (const auto& c : cases) {
    Connection client(port_);
    ASSERT_TRUE(client.connected());
    client.send(c.method + " /api/weather/58453/history/?key=demo&date=2020-7-20 HTTP/1.1\r\n" +
                "Host: x\r\n" + c.framing + "\r\n\r\n");
    const std::size_t sent = client.sendRepeatedly(c.piece, kAnnouncedBytes);
    const std::string answer = client.receive();
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 413 ")) << c.method << " " << c.framing << "\n"
                                                     << answer.substr(0, 200);
    EXPECT_LT(sent, kAnnouncedBytes) << c.method << " " << c.framing;
  }
}

// Only the folder's own regular files are served: a link to a file elsewhere
// and a pipe are passed over, and the day is synthesized.
TEST_F(SampleServiceLimits, dataFolderServesOnlyItsRegularFiles) {
  testing::TempFolder outside;
  testing::TempFolder data;
  testing::writeBytes(outside / "secret.json", "{\"secret\":1}");
  std::filesystem::create_symlink(outside / "secret.json", data / "0_58453_0_20200720.json");
  ASSERT_EQ(::mkfifo((data / "0_58453_0_20200720_pipe.json").c_str(), 0600), 0);
  ServiceConfig config;
  config.dataDir = data.path();
  serve(config);
  WebLimits limits;
  limits.totalTimeout = 10s;
  const std::string day = WebClient(limits).request(dayUrl());
  EXPECT_EQ(day.find("secret"), std::string::npos) << day.substr(0, 100);
  EXPECT_TRUE(day.starts_with("{\"date\":\"2020-07-20\"")) << day.substr(0, 100);
}

}  // namespace
}  // namespace skyrill::sample
