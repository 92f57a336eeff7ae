#include "net/web_client.h"

#include <cerrno>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "core/cancel_flag.h"
#include "net/ascii_text.h"
#include "net/certificate_trust.h"
#include "net/curl_library.h"
#include "net/peer_check.h"
#include "net/url_parts.h"

namespace skyrill {
namespace {

constexpr long kMaxRedirects = 30;

// libcurl, once an exchange has found it open.
const CurlLibrary& lib() {
  return *curlLibrary();
}

constexpr std::array<const char*, 8> kVerbs = {"GET",     "POST",   "HEAD",  "PUT",
                                               "OPTIONS", "DELETE", "TRACE", "CONNECT"};

bool containsNoCase(std::string_view text, std::string_view part) {
  return lowerCaseAscii(text).find(lowerCaseAscii(part)) != std::string::npos;
}

std::string_view trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find("\r\n", start), text.size());
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Each "-"-separated word of a header name starts with a capital letter.
std::string capitalizedName(std::string_view name) {
  std::string result(name);
  for (std::size_t i = 0; i < result.size(); ++i) {
    if (i == 0 || result[i - 1] == '-') {
      result[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(result[i])));
    }
  }
  return result;
}

// The header lines that carry a name, names capitalized word by word.
std::vector<std::string> normalizedHeaderLines(std::string_view headers) {
  std::vector<std::string> lines;
  for (std::string_view line : splitLines(headers)) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    lines.push_back(capitalizedName(line.substr(0, colon)) + std::string(line.substr(colon)));
  }
  return lines;
}

bool hasHeader(const std::vector<std::string>& lines, std::string_view name) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return containsNoCase(line, name); });
}

// The text with the bytes that `escape` picks written as %XX.
template <typename Predicate>
std::string percentEscaped(std::string_view text, Predicate escape) {
  std::string escaped;
  for (const unsigned char c : text) {
    if (!escape(c)) {
      escaped += static_cast<char>(c);
      continue;
    }
    constexpr std::string_view kHex = "0123456789ABCDEF";
    escaped += '%';
    escaped += kHex[c >> 4];
    escaped += kHex[c & 0xF];
  }
  return escaped;
}

// Bytes a request line cannot carry (spaces, controls) and "#", which would
// end the address for curl and drop the rest of the query, as %XX; the rest
// as given.
std::string escapeUnsendable(std::string_view path) {
  return percentEscaped(path, [](unsigned char c) { return c <= 0x20 || c == 0x7F || c == '#'; });
}

// A header value keeps to its line: line breaks would start header lines of
// their own, and a NUL would cut the value short.
std::string escapeLineBreaks(std::string_view value) {
  return percentEscaped(value, [](unsigned char c) { return c == '\r' || c == '\n' || c == 0; });
}

// Adds the lines every request carries unless the caller gave them.
void completeHeaderLines(std::vector<std::string>& lines, std::string_view url, HttpMethod method) {
  if (!hasHeader(lines, "Accept:")) lines.push_back("Accept: */*");
  if (!hasHeader(lines, "Referer:")) lines.push_back("Referer: " + escapeLineBreaks(url));
  if (!hasHeader(lines, "Accept-Language:")) lines.push_back("Accept-Language: zh-cn");
  if (method == HttpMethod::Post && !hasHeader(lines, "Content-Type:")) {
    lines.push_back("Content-Type: application/x-www-form-urlencoded");
  }
}

// The agent named by a "User-Agent:" line, which then leaves the lines;
// the default agent when there is none.
std::string takeUserAgent(std::vector<std::string>& lines) {
  const auto line = std::find_if(lines.begin(), lines.end(), [](const std::string& text) {
    return lowerCaseAscii(text).starts_with("user-agent:");
  });
  if (line == lines.end()) return std::string(kDefaultUserAgent);
  std::string agent(trim(std::string_view(*line).substr(line->find(':') + 1)));
  lines.erase(line);
  return agent;
}

// The proxy list as the named-proxy convention writes it: the proxy itself
// serves every scheme; "http=" restricts it to plain requests.
std::string proxyList(bool secure, std::string_view proxy) {
  if (proxy.empty()) return {};
  return secure ? std::string(proxy) : "http=" + std::string(proxy);
}

// The entry of a proxy list that serves the scheme: a "scheme=address" entry
// for it, else the first entry without a scheme; "" when none serves it.
std::string proxyForScheme(std::string_view list, bool secure) {
  const std::string wanted = secure ? "https=" : "http=";
  std::string anyScheme;
  std::size_t start = list.find_first_not_of("; \t");
  while (start != std::string_view::npos) {
    const std::size_t end = std::min(list.find_first_of("; \t", start), list.size());
    const std::string_view entry = list.substr(start, end - start);
    if (lowerCaseAscii(entry).starts_with(wanted)) return std::string(entry.substr(wanted.size()));
    if (anyScheme.empty() && entry.find('=') == std::string_view::npos) anyScheme = entry;
    start = list.find_first_not_of("; \t", end);
  }
  return anyScheme;
}

// The address curl connects to: the analysed host, port and path.
std::string curlUrl(const UrlParts& parts) {
  const int defaultPort = parts.secure ? 443 : 80;
  std::string url = parts.secure ? "https://" : "http://";
  url += parts.host;
  if (parts.port != defaultPort && parts.port != 0) {
    url += ':';
    url += std::to_string(parts.port);
  }
  url += escapeUnsendable(parts.path);
  return url;
}

struct BodySink {
  std::string bytes;
  std::size_t maxBytes = 0;
  bool overflowed = false;
  CURL* curl = nullptr;
};

// A body of no told length grows by doubling up to this; past it, it is no
// day's usual answer and gets the room of the cap at once, which takes memory
// only as it fills, rather than a copy at each doubling.
constexpr std::size_t kDoublingBytes = 1024 * 1024;

// The room a body that needs `needed` bytes is given: its told length, or
// the next step of its growth; never more than the cap.
std::size_t roomFor(const BodySink& body, std::size_t needed) {
  curl_off_t told = -1;
  lib().easy_getinfo(body.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &told);
  std::size_t wanted = std::max(needed, 2 * body.bytes.capacity());
  if (told > 0 && static_cast<std::size_t>(told) >= needed) {
    wanted = static_cast<std::size_t>(told);
  } else if (needed > kDoublingBytes) {
    wanted = body.maxBytes;
  }
  return std::min(wanted, body.maxBytes);
}

// Keeps the body up to the cap; a body beyond it ends the transfer.
std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* sink) {
  auto& body = *static_cast<BodySink*>(sink);
  const std::size_t length = size * count;
  const std::size_t room = body.maxBytes - body.bytes.size();
  const std::size_t kept = std::min(length, room);
  const std::size_t needed = body.bytes.size() + kept;
  if (needed > body.bytes.capacity()) body.bytes.reserve(roomFor(body, needed));
  body.bytes.append(data, kept);
  if (length <= room) return length;
  body.overflowed = true;
  return 0;
}

struct HeaderCount {
  std::size_t bytes = 0;
  std::size_t maxBytes = 0;
  bool overflowed = false;
};

// Counts the header lines of every response of the exchange and the trailer
// lines of a chunked body, which come the same way; curl keeps them all, so
// lines beyond the cap end the transfer.
std::size_t countHeaderLine(char*, std::size_t size, std::size_t count, void* counter) {
  auto& headers = *static_cast<HeaderCount*>(counter);
  const std::size_t length = size * count;
  headers.bytes += length;
  if (headers.bytes <= headers.maxBytes) return length;
  headers.overflowed = true;
  return 0;
}

// CURL and CURLM are the same type to the compiler: a deleter each.
struct MultiDeleter {
  void operator()(CURLM* handle) const { lib().multi_cleanup(handle); }
};

struct CurlDeleter {
  void operator()(CURL* handle) const { lib().easy_cleanup(handle); }
  void operator()(curl_slist* list) const { lib().slist_free_all(list); }
};

std::unique_ptr<curl_slist, CurlDeleter> curlHeaderList(const std::vector<std::string>& lines) {
  std::unique_ptr<curl_slist, CurlDeleter> list;
  for (const std::string& line : lines)
    list.reset(lib().slist_append(list.release(), line.c_str()));
  return list;
}

void setMethod(CURL* curl, HttpMethod method) {
  // The handle is used again after a redirect: start from a GET.
  lib().easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  lib().easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
  if (method == HttpMethod::Head) {
    lib().easy_setopt(curl, CURLOPT_NOBODY, 1L);
  } else if (method != HttpMethod::Get) {
    lib().easy_setopt(curl, CURLOPT_CUSTOMREQUEST, kVerbs[static_cast<std::size_t>(method)]);
  }
}

void setLimits(CURL* curl, const WebLimits& limits) {
  lib().easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  // A body told to be larger is refused before it comes.
  lib().easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
  lib().easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectTimeout.count()));
  lib().easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  lib().easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stallTimeout.count()));
}

// Plain and secure addresses both work.
void setTransport(CURL* curl, const std::string& proxy) {
  lib().easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  lib().easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  lib().easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // An empty proxy also keeps curl from taking one from the environment.
  lib().easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
}

// Whether the program checks certificates itself (see peer_check.h).
bool checksCertificatesItself() {
  static const bool itself = peerChecksAvailable(lib().version_info(CURLVERSION_NOW)->ssl_version);
  return itself;
}

// How a secure hop checks the server's certificate: with the hop's check,
// which adds the user's pins to the system's trust store; by libcurl alone
// (chain and host name, no pins) where the program cannot check itself; or
// not at all when the trust accepts anything. Through a proxy's tunnel the
// end server is checked the same way.
void setCertificateChecks(CURL* curl, const CertificateTrust& trust, PeerCheck& check) {
  const long verify = trust.acceptsAny() ? 0L : 1L;
  lib().easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, verify);
  lib().easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2 * verify);
  lib().easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, nullptr);
  if (trust.acceptsAny()) return;
  if (!trust.authorityFile().empty()) {
    lib().easy_setopt(curl, CURLOPT_CAINFO, trust.authorityFile().c_str());
  }
  // A resumed TLS session shows no certificate: every connection is checked whole.
  lib().easy_setopt(curl, CURLOPT_SSL_SESSIONID_CACHE, 0L);
  if (!checksCertificatesItself()) return;
  if (lib().easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, preparePeerCheck) == CURLE_OK &&
      lib().easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &check) == CURLE_OK) {
    // The check matches the host name itself, so that a pin may stand in for it.
    lib().easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
  }
}

// Whether the answer sends the client elsewhere; the address to go to.
std::optional<std::string> redirectTarget(CURL* curl) {
  long status = 0;
  lib().easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) {
    return std::nullopt;
  }
  char* next = nullptr;
  lib().easy_getinfo(curl, CURLINFO_REDIRECT_URL, &next);
  if (next == nullptr) return std::nullopt;
  return std::string(next);
}

// The method after a redirect with the status, as browsers and curl do it:
// 303 asks for a GET; 301 and 302 turn a POST into a GET.
HttpMethod methodAfterRedirect(CURL* curl, HttpMethod method) {
  long status = 0;
  lib().easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (method == HttpMethod::Head) return method;
  if (status == 303 || ((status == 301 || status == 302) && method == HttpMethod::Post)) {
    return HttpMethod::Get;
  }
  return method;
}

bool sameServer(const UrlParts& a, const UrlParts& b) {
  return a.secure == b.secure && a.host == b.host && a.port == b.port;
}

// The lines sent to a server other than the first: no Referer, which holds
// the first address with its key; nor to the same host in plain text.
std::vector<std::string> linesForOtherServer(std::vector<std::string> lines) {
  std::erase_if(
      lines, [](const std::string& line) { return lowerCaseAscii(line).starts_with("referer:"); });
  return lines;
}

// "scheme://host:port" of a server, as a message names it.
std::string serverOrigin(const UrlParts& parts) {
  return std::string(parts.secure ? "https://" : "http://") + parts.host + ":" +
         std::to_string(parts.port);
}

// Runs one transfer to its end. Driven through a multi handle so that a
// raised cancel flag wakes the wait and ends the transfer at once; the multi
// handle keeps the connections for the next transfer of a session.
CURLcode performTransfer(CURL* easy, CURLM* multi, CancelFlag* cancel) {
  if (lib().multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
  if (cancel) cancel->setWaker([multi] { lib().multi_wakeup(multi); });
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  int running = 1;
  while (!(cancel && cancel->isCancelled())) {
    if (lib().multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int left = 0;
      const CURLMsg* message = lib().multi_info_read(multi, &left);
      result = message && message->msg == CURLMSG_DONE ? message->data.result : CURLE_OK;
      break;
    }
    lib().multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  if (cancel) cancel->clearWaker();
  lib().multi_remove_handle(multi, easy);
  return result;
}

bool isTlsFailure(CURLcode code) {
  switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
    case CURLE_USE_SSL_FAILED:
      return true;
    default:
      return false;
  }
}

// A refused or failed connection, told apart by the system's own error.
WebFailure connectFailure(CURL* curl) {
  long error = 0;
  lib().easy_getinfo(curl, CURLINFO_OS_ERRNO, &error);
  if (error == ECONNREFUSED) return WebFailure::ConnectionRefused;
  if (error == ETIMEDOUT) return WebFailure::TimedOut;
  if (error == EHOSTUNREACH || error == ENETUNREACH) return WebFailure::Unreachable;
  return WebFailure::ConnectionRefused;
}

WebFailure failureOf(CURLcode code, CURL* curl) {
  if (isTlsFailure(code)) return WebFailure::TlsFailure;
  switch (code) {
    case CURLE_OK:
      return WebFailure::None;
    case CURLE_PEER_FAILED_VERIFICATION:
      return WebFailure::UntrustedCertificate;
    case CURLE_ABORTED_BY_CALLBACK:
      return WebFailure::Cancelled;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return WebFailure::NameNotFound;
    case CURLE_COULDNT_CONNECT:
      return connectFailure(curl);
    case CURLE_OPERATION_TIMEDOUT:
      return WebFailure::TimedOut;
    case CURLE_GOT_NOTHING:
      return WebFailure::NothingReceived;
    case CURLE_OUT_OF_MEMORY:
      return WebFailure::OutOfMemory;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
      return WebFailure::ConnectionBroken;
    default:
      return WebFailure::Other;
  }
}

// Whether a failure of a transfer through a proxy lies with the proxy: it
// could not be found or reached, or it refused the tunnel.
bool failedAtProxy(CURLcode code, CURL* curl) {
  if (code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_COULDNT_CONNECT) return true;
  long tunnelStatus = 0;
  lib().easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &tunnelStatus);
  if (tunnelStatus >= 300) return true;
  // Timed out before any connection was made: the proxy never answered.
  double connected = 0;
  lib().easy_getinfo(curl, CURLINFO_CONNECT_TIME, &connected);
  return code == CURLE_OPERATION_TIMEDOUT && connected == 0;
}

// Whether memory ran out where curl's code says something else: a name
// resolved on a thread of its own fails as a name not found when no thread
// can be had, and an address, which needs no lookup, "cannot be resolved"
// only when curl could not allocate what it keeps of it.
bool lacksMemory(CURLcode code, std::string_view errorText, const std::string& host) {
  return errorText.find("thread failed to start") != std::string_view::npos ||
         (code == CURLE_COULDNT_RESOLVE_HOST && isAddressLiteral(host));
}

// What the finished transfer of one hop tells about the exchange.
void noteOutcome(CURLcode code, CURL* curl, const BodySink& body, const HeaderCount& headers,
                 PeerCheck& peer, WebResponse& response) {
  lib().easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
  if (headers.overflowed) {
    response.failure = WebFailure::HeadersTooLarge;
  } else if (code != CURLE_OK && peer.refused) {
    response.failure =
        peer.changed ? WebFailure::CertificateChanged : WebFailure::UntrustedCertificate;
    response.certificate = std::move(peer.refused);
  } else {
    const bool tooLarge = body.overflowed || code == CURLE_FILESIZE_EXCEEDED;
    response.failure = tooLarge ? WebFailure::TooLarge : failureOf(code, curl);
  }
  if (response.failure == WebFailure::None || response.proxy.empty()) return;
  response.atProxy = failedAtProxy(code, curl);
  long tunnelStatus = 0;
  lib().easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &tunnelStatus);
  if (tunnelStatus >= 300) {
    response.failure = WebFailure::ProxyRefused;
    response.status = tunnelStatus;
  }
}

// The trust of a client given none: the system's trust store alone.
const CertificateTrust& systemTrustOnly() {
  static const CertificateTrust trust;
  return trust;
}

}  // namespace

// Null handles when libcurl cannot be opened; the exchange then fails.
struct WebSession::Handles {
  std::unique_ptr<CURL, CurlDeleter> easy{curlLibrary() ? lib().easy_init() : nullptr};
  std::unique_ptr<CURLM, MultiDeleter> multi{curlLibrary() ? lib().multi_init() : nullptr};
};

WebSession::WebSession() : handles_(std::make_unique<Handles>()) {}

WebSession::~WebSession() = default;

WebClient::WebClient(WebLimits limits, const CertificateTrust* trust)
    : limits_(limits), trust_(trust ? *trust : systemTrustOnly()) {}

WebResponse WebClient::exchange(std::string_view url, const WebRequest& options, CancelFlag* cancel,
                                WebSession* session) const {
  WebResponse response;
  const UrlParts firstParts = analyzeUrl(url);
  response.server = serverOrigin(firstParts);
  // Handles of this exchange alone, made only when no session lends its own,
  // which keep their connections.
  std::optional<WebSession::Handles> ownHandles;
  if (!session) ownHandles.emplace();
  WebSession::Handles& handles = session ? *session->handles_ : *ownHandles;
  CURL* const easy = handles.easy.get();
  if (!easy || !handles.multi) {
    // Handles fail to come only for want of memory, once curl is open.
    response.failure =
        curlLibrary() || curlLackedMemory() ? WebFailure::OutOfMemory : WebFailure::Other;
    return response;
  }
  if (session) lib().easy_reset(easy);

  std::vector<std::string> lines = normalizedHeaderLines(options.extraHeaders);
  const std::string agent = takeUserAgent(lines);
  if (options.completeHeaders) completeHeaderLines(lines, url, options.method);
  const auto deadline = std::chrono::steady_clock::now() + limits_.totalTimeout;

  // Redirects are followed here rather than by curl, which would send every
  // header line to whatever host the server names.
  std::string address = curlUrl(firstParts);
  UrlParts parts = firstParts;
  HttpMethod method = options.method;
  bool leftFirstServer = false;
  BodySink body{{}, limits_.maxBodyBytes, false, easy};
  HeaderCount headerCount{0, limits_.maxHeaderBytes};
  for (long hop = 0; hop <= kMaxRedirects; ++hop) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      response.failure = WebFailure::TimedOut;
      return response;
    }
    std::vector<std::string> hopLines = leftFirstServer ? linesForOtherServer(lines) : lines;
    response.proxy = proxyForScheme(proxyList(parts.secure, options.proxy), parts.secure);
    response.server = serverOrigin(parts);
    // Through a plain proxy curl would add "Proxy-Connection: Keep-Alive"; an
    // entry with nothing after the colon keeps it out of the header set.
    if (!response.proxy.empty()) hopLines.push_back("Proxy-Connection:");
    // Without lines of our own, curl's own "Accept" stays out too.
    if (!options.completeHeaders && !hasHeader(hopLines, "Accept:")) hopLines.push_back("Accept:");
    const auto headers = curlHeaderList(hopLines);
    body.bytes.clear();

    lib().easy_setopt(easy, CURLOPT_URL, address.c_str());
    lib().easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    lib().easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
    lib().easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendBody);
    lib().easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    lib().easy_setopt(easy, CURLOPT_HEADERFUNCTION, countHeaderLine);
    lib().easy_setopt(easy, CURLOPT_HEADERDATA, &headerCount);
    lib().easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
    setMethod(easy, method);
    setLimits(easy, limits_);
    setTransport(easy, response.proxy);
    PeerCheck peer{trust_, parts.host, serverName(parts.host, parts.port), {}, false};
    setCertificateChecks(easy, trust_, peer);
    // A transfer that breaks off keeps what was read before.
    char errorText[CURL_ERROR_SIZE] = "";
    lib().easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode code = performTransfer(easy, handles.multi.get(), cancel);
    lib().easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
    noteOutcome(code, easy, body, headerCount, peer, response);
    if (lacksMemory(code, errorText, parts.host)) response.failure = WebFailure::OutOfMemory;
    // An answer that would not end is refused whole, like one that never came.
    if (response.failure == WebFailure::HeadersTooLarge || response.failure == WebFailure::TooLarge)
      body.bytes = {};

    const std::optional<std::string> next =
        response.failure == WebFailure::None ? redirectTarget(easy) : std::nullopt;
    if (!next) {
      response.body = std::move(body.bytes);
      return response;
    }
    method = methodAfterRedirect(easy, method);
    address = *next;
    parts = analyzeUrl(address);
    leftFirstServer = leftFirstServer || !sameServer(parts, firstParts);
  }
  response.failure = WebFailure::TooManyRedirects;
  return response;
}

std::string webClientLibrary() {
  if (!curlLibrary()) return "libcurl (not found)";
  return std::string("libcurl ") + lib().version_info(CURLVERSION_NOW)->version;
}

}  // namespace skyrill
