#pragma once

#include <string>
#include <string_view>

// Texts with a secret (the API key) kept out: what a message, a log line or
// the crash report shows of an answer may echo the request's address.
namespace skyrill {

// What stands in a text for the secret.
inline constexpr std::string_view kSecretMask = "****";

// Gives the text to `give` piece by piece, each occurrence of the secret
// replaced by the mask. Allocates nothing, so that a signal handler can use it.
template <typename Give>
void forEachMaskedPiece(std::string_view text, std::string_view secret, Give&& give) {
  std::size_t start = 0;
  if (!secret.empty()) {
    for (std::size_t at; (at = text.find(secret, start)) != std::string_view::npos;
         start = at + secret.size()) {
      give(text.substr(start, at - start));
      give(kSecretMask);
    }
  }
  give(text.substr(start));
}

// The text with every occurrence of the secret replaced by the mask.
inline std::string maskedText(std::string_view text, std::string_view secret) {
  std::string masked;
  masked.reserve(text.size());
  forEachMaskedPiece(text, secret, [&masked](std::string_view piece) { masked += piece; });
  return masked;
}

}  // namespace skyrill
