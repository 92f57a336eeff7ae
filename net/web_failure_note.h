#pragma once

#include <string>

#include "net/web_client.h"

namespace skyrill {

// One line on what went wrong in an exchange, naming the server (scheme,
// host and port) or the proxy that failed and the cause in plain words,
// e.g. "服务器 http://127.0.0.1:8765：连接被拒绝。"; an error status reads
// "服务器 …：HTTP 403：密钥可能无效。"; a refused certificate names why, its
// subject, validity and SHA-256 fingerprint. Empty when the exchange brought
// a whole, non-empty answer with a status below 400.
std::string webFailureNote(const WebResponse& response);

// "HTTP 403：密钥可能无效", or "HTTP 418" for a status without words.
std::string httpStatusText(long status);

}  // namespace skyrill
