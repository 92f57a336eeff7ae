#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "core/answer_check.h"
#include "core/cancel_flag.h"
#include "net/web_client.h"
#include "net/web_failure_note.h"
#include "pinned_https.h"
#include "raw_server.h"
#include "server_thread.h"

namespace skyrill {
namespace {

using sample::ServerThread;
using testing::RawServer;

// What a client sent, without the entries httplib adds about the socket.
std::string receivedHeaders(const httplib::Request& request) {
  std::string lines;
  for (const auto& [name, value] : request.headers) {
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
        name == "LOCAL_PORT") {
      continue;
    }
    lines += name + ": " + value + "\n";
  }
  return lines;
}

// Echoes the header lines it received; answers "/missing" with a 404 page.
void addEchoRoutes(httplib::Server& server) {
  server.Get("/echo/.*", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content(request.method + " " + request.target + "\n" + receivedHeaders(request),
                         "text/plain");
  });
  server.Get("/missing", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("<html>not here</html>", "text/html");
  });
  server.Get("/moved", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/echo/after-move");
  });
}

class EchoServers : public ::testing::Test {
 protected:
  void SetUp() override {
    addEchoRoutes(http_.server());
    addEchoRoutes(https_.listener.server());
    httpPort_ = http_.start("127.0.0.1", 0);
    httpsPort_ = https_.start();
    ASSERT_GT(httpPort_, 0);
    ASSERT_GT(httpsPort_, 0);
  }
  std::string httpUrl(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(httpPort_) + path;
  }
  std::string httpsUrl(const std::string& path) {
    return "https://127.0.0.1:" + std::to_string(httpsPort_) + path;
  }

  // A client that trusts the HTTPS server's certificate.
  WebClient client() const { return WebClient({}, &https_.trust); }

  ServerThread http_{std::make_unique<httplib::Server>()};
  testing::PinnedHttps https_;
  int httpPort_ = 0;
  int httpsPort_ = 0;
};

std::string rawUrl(const RawServer& server, const std::string& path = "/x") {
  return "http://127.0.0.1:" + std::to_string(server.port()) + path;
}

TEST(WebClient, plainGetSendsExactlyTheStandardHeaderLines) {
  RawServer server([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}");
  });
  const std::string target = "/api/weather/58453/history/?key=K&date=2019-7-5";
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + target;
  EXPECT_EQ(WebClient().request(url), "{}");
  ASSERT_EQ(server.requestHeads().size(), 1u);
  EXPECT_EQ(server.requestHeads()[0],
            "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"
                "Accept: */*\r\nReferer: " +
                url + "\r\nAccept-Language: zh-cn\r\n\r\n");
}

TEST(WebClient, bytesARequestLineCannotCarryTravelEscaped) {
  RawServer server([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  });
  WebClient().request(rawUrl(server, "/today/?key=de mo\t#1&x=测\r\nX-Injected: 1"));
  ASSERT_EQ(server.requestHeads().size(), 1u);
  const std::string head = server.requestHeads()[0];
  EXPECT_TRUE(
      head.starts_with("GET /today/?key=de%20mo%09%231&x=测%0D%0AX-Injected:%201 HTTP/1.1\r\n"))
      << head;
  EXPECT_EQ(head.find("\r\nX-Injected"), std::string::npos) << head;
}

// httplib lists the received header lines by name.
TEST_F(EchoServers, secureGetSendsTheStandardHeaderLinesToo) {
  const std::string target = "/echo/today/?key=K";
  const std::string url = httpsUrl(target);
  EXPECT_EQ(client().request(url),
            "GET " + target + "\nAccept: */*\nAccept-Language: zh-cn\nHost: 127.0.0.1:" +
                std::to_string(httpsPort_) + "\nReferer: " + url +
                "\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\n");
}

TEST_F(EchoServers, errorPageBodyIsReturned) {
  EXPECT_EQ(WebClient().request(httpUrl("/missing")), "<html>not here</html>");
  EXPECT_EQ(client().request(httpsUrl("/missing")), "<html>not here</html>");
}

TEST_F(EchoServers, redirectIsFollowed) {
  const std::string echo = WebClient().request(httpUrl("/moved"));
  EXPECT_TRUE(echo.starts_with("GET /echo/after-move\n")) << echo;
  EXPECT_NE(echo.find("Referer: " + httpUrl("/moved") + "\n"), std::string::npos) << echo;
}

// The Referer line carries the first address with its key: a host the
// server sends the client to does not get it.
TEST_F(EchoServers, redirectToAnotherHostDropsTheReferer) {
  const std::string elsewhere = httpsUrl("/echo/elsewhere");
  RawServer mover([elsewhere](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 302 Found\r\nLocation: " + elsewhere +
                                 "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  });
  const std::string echo = client().request(rawUrl(mover) + "?key=secret");
  EXPECT_TRUE(echo.starts_with("GET /echo/elsewhere\n")) << echo;
  EXPECT_EQ(echo.find("Referer"), std::string::npos) << echo;
  EXPECT_EQ(echo.find("secret"), std::string::npos) << echo;
}

TEST_F(EchoServers, extraHeaderLinesAreNormalizedAndCompleteTheStandardOnes) {
  WebRequest options;
  options.extraHeaders =
      "x-custom-name: 1\r\nno colon here\r\nuser-agent:  Probe/1.0 \r\naccept: text/plain";
  const std::string echo = WebClient().request(httpUrl("/echo/x"), options);
  EXPECT_NE(echo.find("User-Agent: Probe/1.0\n"), std::string::npos) << echo;
  EXPECT_NE(echo.find("X-Custom-Name: 1\n"), std::string::npos) << echo;
  EXPECT_NE(echo.find("Accept: text/plain\n"), std::string::npos) << echo;
  EXPECT_EQ(echo.find("no colon"), std::string::npos) << echo;
  EXPECT_EQ(echo.find("Accept: */*"), std::string::npos) << echo;
}

// A server that sends a few bytes a second never stalls, but the exchange
// as a whole has its time limit.
TEST(WebClient, dripIsCutOffByTheTotalTimeLimit) {
  RawServer server([](int socket, const std::string&) {
    if (!testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n")) return;
    for (int i = 0; i < 200 && testing::sendAll(socket, "xx"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
  });
  WebLimits limits;
  limits.totalTimeout = std::chrono::seconds(2);
  // Four bytes a second for two seconds: the rest of the 1000 never comes.
  const std::string body = WebClient(limits).request(rawUrl(server));
  EXPECT_LT(body.size(), 20u);
}

TEST(WebClient, redirectLoopIsGivenUp) {
  RawServer server([](int socket, const std::string&) {
    testing::sendAll(socket,
                     "HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\n"
                     "Connection: close\r\n\r\n");
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WebClient().request(rawUrl(server)), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_LE(server.requestHeads().size(), 31u);
}

TEST(WebClient, unreachablePortGivesEmptyResult) {
  const std::string url = "http://127.0.0.1:" + std::to_string(testing::unusedPort()) + "/x";
  EXPECT_EQ(WebClient().request(url), "");
  EXPECT_EQ(WebClient().request("https://127.0.0.1:" + url.substr(17)), "");
}

TEST(WebClient, bodyCutShortKeepsTheBytesReceived) {
  RawServer server([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"res\":[{\"time\"");
  });
  EXPECT_EQ(WebClient().request(rawUrl(server)), "{\"res\":[{\"time\"");
}

// A body past the cap is no answer: it is refused whole, whether its length
// is told before it comes (then it is not read at all) or not; a body of the
// cap's size comes whole.
TEST(WebClient, bodyBeyondTheCapIsRefusedWhole) {
  constexpr std::size_t kCap = 256 * 1024;
  const struct {
    const char* what;
    std::size_t bytes;
    bool chunked;
  } cases[] = {{"told, too long", 4 * kCap, false},
               {"not told, too long", 4 * kCap, true},
               {"told, at the cap", kCap, false},
               {"not told, at the cap", kCap, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RawServer server([&c](int socket, const std::string&) {
      const std::string body(c.bytes, 'x');
      if (!c.chunked) {
        testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: " +
                                     std::to_string(body.size()) + "\r\n\r\n" + body);
        return;
      }
      bool sending =
          testing::sendAll(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
      constexpr std::size_t kPiece = 4096;
      for (std::size_t at = 0; sending && at < body.size(); at += kPiece) {
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", kPiece);
        sending = testing::sendAll(socket, size + body.substr(at, kPiece) + "\r\n");
      }
      testing::sendAll(socket, "0\r\n\r\n");
    });
    WebLimits limits;
    limits.maxBodyBytes = kCap;
    const WebResponse response = WebClient(limits).exchange(rawUrl(server));
    const bool fits = c.bytes <= kCap;
    EXPECT_EQ(response.failure, fits ? WebFailure::None : WebFailure::TooLarge);
    EXPECT_EQ(response.body.size(), fits ? c.bytes : 0u);
  }
}

// Header lines of about a kilobyte each, `count` of them.
std::string headerLines(std::size_t count) {
  std::string lines;
  for (std::size_t i = 0; i < count; ++i) lines += "X-Filler: " + std::string(1000, 'x') + "\r\n";
  return lines;
}

// Header and trailer lines are bounded over the whole exchange, and an
// answer that goes past the bound is given up with nothing kept.
TEST(WebClient, headerAndTrailerLinesPastTheLimitEndTheExchange) {
  // A whole body, then trailer lines until 8 MiB are out or the client goes.
  RawServer endlessTrailers([](int socket, const std::string&) {
    const std::string mebibyte = headerLines(1024);
    bool sending = testing::sendAll(
        socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n");
    for (int i = 0; sending && i < 8; ++i) sending = testing::sendAll(socket, mebibyte);
    testing::sendAll(socket, "\r\n");
  });
  // /0 sends the client on to /1, /2 and /3, each answer with 290 KiB of
  // lines: within bounds one by one, beyond them together.
  RawServer redirectChain([](int socket, const std::string& head) {
    const char hop = head[std::string_view("GET /").size()];
    const std::string ending =
        hop < '3' ? std::string("Location: /") + char(hop + 1) + "\r\nContent-Length: 0\r\n\r\n"
                  : "Content-Length: 2\r\n\r\n{}";
    testing::sendAll(socket,
                     std::string(hop < '3' ? "HTTP/1.1 302 Found\r\n" : "HTTP/1.1 200 OK\r\n") +
                         headerLines(290) + "Connection: close\r\n" + ending);
  });
  for (const RawServer* server : {&endlessTrailers, &redirectChain}) {
    const WebResponse response = WebClient().exchange(rawUrl(*server, "/0"));
    const std::string origin = "http://127.0.0.1:" + std::to_string(server->port());
    EXPECT_EQ(response.failure, WebFailure::HeadersTooLarge) << origin;
    EXPECT_EQ(response.body, "") << origin;
    EXPECT_EQ(webFailureNote(response),
              "服务器 " + origin + "：答复的头部过大（超过 1 MiB），已停止接收。");
  }
  EXPECT_EQ(redirectChain.requestHeads().size(), 4u);
}

TEST(WebClient, bodyBytesArriveUnchangedAndDecodeStopsAtNul) {
  const std::string body("{\"a\":\"\xE6\xB5\x8B\xFF\xC3\"}\0tail", 17);
  RawServer server([&](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 17\r\n\r\n" + body);
  });
  const std::string bytes = WebClient().request(rawUrl(server));
  EXPECT_EQ(bytes, body);
  EXPECT_EQ(decodeAnswer(bytes), "{\"a\":\"测\xEF\xBF\xBD\xEF\xBF\xBD\"}");
}

TEST(WebClient, silentServerIsGivenUpAfterTheStallLimit) {
  RawServer server([](int socket, const std::string&) { testing::waitForClose(socket); });
  WebLimits limits;
  limits.stallTimeout = std::chrono::seconds(1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WebClient(limits).request(rawUrl(server)), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(WebClient, stalledBodyKeepsWhatArrivedBeforeTheStall) {
  RawServer server([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart");
    testing::waitForClose(socket);
  });
  WebLimits limits;
  limits.stallTimeout = std::chrono::seconds(1);
  EXPECT_EQ(WebClient(limits).request(rawUrl(server)), "part");
}

// A proxy that records what it is asked and answers every request the same way.
RawServer cannedProxy(std::string answer) {
  return RawServer([answer](int socket, const std::string&) { testing::sendAll(socket, answer); });
}

std::string firstLine(const std::string& head) {
  return head.substr(0, head.find("\r\n"));
}

TEST(WebClient, plainRequestGoesToTheProxyInAbsoluteForm) {
  RawServer proxy = cannedProxy("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nfrom proxy");
  WebRequest options;
  options.proxy = "127.0.0.1:" + std::to_string(proxy.port());
  const std::string url = "http://svc.invalid:8765/api/weather/58453/today/?key=K";
  EXPECT_EQ(WebClient().request(url, options), "from proxy");
  ASSERT_EQ(proxy.requestHeads().size(), 1u);
  const std::string head = proxy.requestHeads()[0];
  EXPECT_EQ(firstLine(head), "GET " + url + " HTTP/1.1");
  EXPECT_NE(head.find("\r\nReferer: " + url + "\r\n"), std::string::npos) << head;
  // The header set is the request's own: nothing about the proxy connection.
  EXPECT_EQ(head.find("Proxy-Connection"), std::string::npos) << head;
}

TEST(WebClient, secureRequestTunnelsThroughTheProxy) {
  RawServer proxy = cannedProxy("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
  WebRequest options;
  options.proxy = "127.0.0.1:" + std::to_string(proxy.port());
  EXPECT_EQ(WebClient().request("https://svc.invalid/api/weather/58453/today/?key=K", options), "");
  ASSERT_EQ(proxy.requestHeads().size(), 1u);
  EXPECT_EQ(firstLine(proxy.requestHeads()[0]), "CONNECT svc.invalid:443 HTTP/1.1");
}

// Each way an exchange fails ends in the note that names who failed and why.
TEST(WebFailureNote, namesTheServerOrProxyAndTheCause) {
  RawServer forbidden([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 403 Forbidden\r\nContent-Length: 9\r\n\r\nforbidden");
  });
  RawServer hangsUp([](int, const std::string&) {});
  RawServer cutShort([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"res\"");
  });
  RawServer emptyBody([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  });
  RawServer whole([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}");
  });
  ServerThread plain{std::make_unique<httplib::Server>()};
  const std::string plainPort = std::to_string(plain.start("127.0.0.1", 0));
  RawServer tunnelRefused = cannedProxy("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
  const auto origin = [](const RawServer& server) {
    return "http://127.0.0.1:" + std::to_string(server.port());
  };
  const std::string deadPort = std::to_string(testing::unusedPort());
  const std::string tunnelProxy = "127.0.0.1:" + std::to_string(tunnelRefused.port());

  const struct {
    std::string url;
    std::string proxy;
    std::string note;
  } cases[] = {
      {"http://127.0.0.1:" + deadPort + "/x", "",
       "服务器 http://127.0.0.1:" + deadPort + "：连接被拒绝。"},
      {rawUrl(forbidden), "", "服务器 " + origin(forbidden) + "：HTTP 403：密钥可能无效。"},
      {rawUrl(hangsUp), "", "服务器 " + origin(hangsUp) + "：连接已关闭，没有任何答复。"},
      {rawUrl(cutShort), "", "服务器 " + origin(cutShort) + "：连接中断，答复不完整。"},
      {rawUrl(emptyBody), "", "服务器 " + origin(emptyBody) + "：答复是空的（HTTP 200）。"},
      // A plain server spoken to securely.
      {"https://127.0.0.1:" + plainPort + "/x", "",
       "服务器 https://127.0.0.1:" + plainPort + "：无法建立安全连接（TLS 失败）。"},
      {rawUrl(whole), "127.0.0.1:" + deadPort, "代理 127.0.0.1:" + deadPort + "：连接被拒绝。"},
      {"https://svc.invalid/x", tunnelProxy,
       "代理 " + tunnelProxy + "：拒绝连接目标服务器（HTTP 403）。"},
      {rawUrl(whole), "", ""},
  };
  for (const auto& c : cases) {
    WebRequest options;
    options.proxy = c.proxy;
    EXPECT_EQ(webFailureNote(WebClient().exchange(c.url, options)), c.note) << c.url;
  }
}

TEST(WebFailureNote, statusesWithoutWordsShowTheirNumber) {
  EXPECT_EQ(httpStatusText(503), "HTTP 503：服务暂时不可用");
  EXPECT_EQ(httpStatusText(418), "HTTP 418");
  WebResponse unresolved;
  unresolved.failure = WebFailure::NameNotFound;
  unresolved.server = "https://svc.invalid:443";
  EXPECT_EQ(webFailureNote(unresolved),
            "服务器 https://svc.invalid:443：找不到该主机（域名无法解析）。");
}

// A transfer waiting on a silent server ends as soon as it is cancelled,
// keeping nothing.
TEST(WebClient, cancelEndsAWaitingTransferAtOnce) {
  RawServer silent([](int socket, const std::string&) { testing::waitForClose(socket); });
  CancelFlag cancel;
  std::thread canceller([&] {
    while (silent.requestHeads().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    cancel.cancel();
  });
  // Without the cancel, the default limits would hold it for a minute.
  const WebResponse response = WebClient().exchange(rawUrl(silent), {}, &cancel);
  canceller.join();
  EXPECT_EQ(response.failure, WebFailure::Cancelled);
  EXPECT_EQ(response.body, "");
  // A flag raised before the start stops it before any connection.
  const WebResponse late = WebClient().exchange(rawUrl(silent), {}, &cancel);
  EXPECT_EQ(late.failure, WebFailure::Cancelled);
  EXPECT_EQ(silent.requestHeads().size(), 1u);
}

// Without the standard lines, only what the transfer itself needs is sent.
TEST(WebClient, requestWithoutStandardLinesSendsNoneOfThem) {
  RawServer server([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n[]");
  });
  WebRequest options;
  options.completeHeaders = false;
  EXPECT_EQ(WebClient().request(rawUrl(server, "/rest/province"), options), "[]");
  ASSERT_EQ(server.requestHeads().size(), 1u);
  const std::string head = server.requestHeads()[0];
  for (const char* line : {"Accept:", "Referer:", "Accept-Language:"}) {
    EXPECT_EQ(head.find(line), std::string::npos) << head;
  }
}

}  // namespace
}  // namespace skyrill
