#include "stations/cache_files.h"

#include <cstdint>
#include <system_error>

#include "net/web_client.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

// A cache holds an answer the web client read, which never exceeds its body
// bound; a larger file is no cache of ours and is not read into memory.
constexpr std::uintmax_t kMaxCacheBytes = WebLimits{}.maxBodyBytes;

bool keptInFileName(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

}  // namespace

std::optional<std::string> readCacheFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxCacheBytes) return std::string();
  return readWholeFile(path).value_or(std::string());
}

std::optional<std::string> stationListFileName(std::string_view provinceCode) {
  if (provinceCode.empty()) return std::nullopt;
  constexpr std::string_view kHexDigits = "0123456789ABCDEF";
  std::string name;
  for (const unsigned char c : provinceCode) {
    if (keptInFileName(c)) {
      name += static_cast<char>(c);
    } else {
      name += '%';
      name += kHexDigits[c >> 4];
      name += kHexDigits[c & 0xF];
    }
  }
  return name;
}

}  // namespace skyrill
