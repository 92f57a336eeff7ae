#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/server_certificate.h"

namespace skyrill {

class CancelFlag;
class CertificateTrust;

enum class HttpMethod { Get, Post, Head, Put, Options, Delete, Trace, Connect };

// What one request sends besides the URL.
struct WebRequest {
  HttpMethod method = HttpMethod::Get;
  std::string extraHeaders;  // header lines separated by "\r\n"
  std::string proxy;         // e.g. "127.0.0.1:8080"; empty for a direct connection
  // Adds "Accept", "Referer" and "Accept-Language" lines unless the extra
  // headers name them.
  bool completeHeaders = true;
};

// Why an exchange brought no whole answer.
enum class WebFailure {
  None,                  // the answer arrived whole, whatever its status
  Cancelled,             // the caller gave up
  NameNotFound,          // the host name could not be resolved
  ConnectionRefused,     // nothing listens at the address
  Unreachable,           // no route to the address
  TimedOut,              // connecting, a stall or the total limit
  TlsFailure,            // no secure connection could be set up
  UntrustedCertificate,  // the server's certificate is neither vouched for nor trusted
  CertificateChanged,    // the server shows another certificate than the one trusted
  ConnectionBroken,      // the connection broke off during the exchange
  NothingReceived,       // the connection closed without an answer
  TooLarge,              // the body went past the limit; nothing is kept
  HeadersTooLarge,       // the header and trailer lines went past the limit; nothing is kept
  TooManyRedirects,
  ProxyRefused,  // the proxy would not open a tunnel; the status is its answer
  OutOfMemory,   // the exchange could not have the memory it needed
  Other,
};

// The outcome of one exchange.
struct WebResponse {
  std::string body;  // what was read, even when the exchange broke off
  long status = 0;   // the last HTTP status received; 0 when none arrived
  WebFailure failure = WebFailure::None;
  bool atProxy = false;  // the failure lies with the proxy rather than the server
  std::string server;    // "scheme://host:port" of the server asked last
  std::string proxy;     // the proxy the exchange went through; empty for none
  // The server's certificate, when it was refused and could be read.
  std::optional<ServerCertificate> certificate;
};

// Bounds that keep a stalled or endless exchange from blocking the caller forever.
struct WebLimits {
  std::chrono::seconds connectTimeout{60};
  // The exchange is given up when less than one byte a second arrives for this long.
  std::chrono::seconds stallTimeout{60};
  // The longest one exchange may take, redirects included. A day's answer
  // is a few kilobytes, read in well under a second even over a poor line;
  // two minutes leaves room for a slow proxy or a busy service, and is about
  // as long as anyone waits before giving up on a blocked window.
  std::chrono::milliseconds totalTimeout{std::chrono::seconds(120)};
  // Bytes of a body beyond this are not read, and the body is held in no
  // more room than this. A day's answer is a few kilobytes; the bound keeps a
  // runaway body from filling the memory.
  std::size_t maxBodyBytes = 16 * 1024 * 1024;
  // Bytes of header and trailer lines, over every hop of one exchange, beyond
  // which it is given up. An answer's lines take well under a kilobyte; the
  // bound keeps a server that sends lines without end, each of which the
  // transfer library holds on to, from filling the memory.
  std::size_t maxHeaderBytes = 1024 * 1024;
};

// The default user agent and the header lines every request carries unless
// the extra headers name them.
inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// Connections kept open from one exchange to the next, for a run of
// requests to one server from one thread. Not to be shared between threads.
class WebSession {
 public:
  WebSession();
  ~WebSession();
  WebSession(const WebSession&) = delete;
  WebSession& operator=(const WebSession&) = delete;

 private:
  friend class WebClient;
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

// One synchronous HTTP exchange at a time; nothing is kept between calls
// unless they share a session.
class WebClient {
 public:
  // Secure requests accept the certificates the system's trust store vouches
  // for, and those the trust adds; without one, the system's alone. The
  // trust must outlive the client.
  explicit WebClient(WebLimits limits = {}, const CertificateTrust* trust = nullptr);

  // The response body whatever the status code: the bytes read until the
  // body ended, the connection broke or the limits stopped it; empty when
  // the host cannot be resolved or reached or the request cannot be sent.
  // Redirects are followed; a server other than the first (scheme, host and
  // port) is not sent the Referer line.
  std::string request(std::string_view url, const WebRequest& options = {}) const {
    return exchange(url, options).body;
  }

  // The same exchange with what is known about it. A raised cancel flag ends
  // it at once, from any thread, with the failure Cancelled. With a session
  // the exchange reuses its open connections.
  WebResponse exchange(std::string_view url, const WebRequest& options = {},
                       CancelFlag* cancel = nullptr, WebSession* session = nullptr) const;

 private:
  WebLimits limits_;
  const CertificateTrust& trust_;
};

// The library that carries the exchanges, with its version ("libcurl 7.88.1").
std::string webClientLibrary();

}  // namespace skyrill
