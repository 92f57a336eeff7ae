#include "core/encoding.h"

#include <iconv.h>

#include <cerrno>

#include <simdjson.h>

namespace skyrill {
namespace {

// One iconv conversion that never fails: an invalid input sequence is
// replaced by `replacement` and skipped byte by byte, a cut sequence at the
// end is replaced once.
std::string convert(std::string_view input, const char* to, const char* from,
                    std::string_view replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out;
  out.reserve(input.size() + input.size() / 2 + 8);
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    out.append(replacement);
    if (errno == EINVAL) break;  // incomplete sequence at the end
    ++in;                        // EILSEQ: skip the offending byte
    --inLeft;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv_close(cd);
  return out;
}

// Length of the UTF-8 sequence that starts at `text[i]` when it is valid,
// 0 otherwise (overlong forms, surrogates and code points above U+10FFFF are
// invalid).
std::size_t validSequenceLength(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

// Length of the GB18030 character that starts at `bytes[i]`: 1, 2 or 4.
std::size_t gbCharLength(std::string_view bytes, std::size_t i) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x81 || lead == 0xFF || i + 1 >= bytes.size()) return 1;
  const auto second = static_cast<unsigned char>(bytes[i + 1]);
  return (second >= 0x30 && second <= 0x39) ? 4 : 2;
}

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

}  // namespace

std::string utf8ToGb18030(std::string_view utf8) {
  return convert(utf8, "GB18030", "UTF-8", "?");
}

std::string gb18030ToUtf8(std::string_view gb18030) {
  return convert(gb18030, "UTF-8", "GB18030", kReplacementCharacter);
}

std::string sanitizeUtf8(std::string_view bytes) {
  // Nearly every text is valid, which a vector check finds at once.
  if (simdjson::validate_utf8(bytes.data(), bytes.size())) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Plain ASCII runs are copied at once.
    std::size_t ascii = i;
    while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) ++ascii;
    out.append(bytes.substr(i, ascii - i));
    i = ascii;
    if (i == bytes.size()) break;
    const std::size_t length = validSequenceLength(bytes, i);
    if (length == 0) {
      out.append(kReplacementCharacter);
      ++i;
    } else {
      out.append(bytes.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::size_t gb18030Length(std::string_view utf8) {
  return utf8ToGb18030(utf8).size();
}

std::string gb18030Prefix(std::string_view utf8, std::size_t maxBytes) {
  const std::string gb = utf8ToGb18030(utf8);
  if (gb.size() <= maxBytes) return gb18030ToUtf8(gb);
  std::size_t end = 0;
  while (end < gb.size()) {
    const std::size_t next = end + gbCharLength(gb, end);
    if (next > maxBytes) break;
    end = next;
  }
  return gb18030ToUtf8(std::string_view(gb).substr(0, end));
}

}  // namespace skyrill
