#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Conversions between the program's UTF-8 text and GB18030, the encoding in
// which the settings file and the crash report are written and in which
// message texts count their bytes.
namespace skyrill {

// UTF-8 text as GB18030 bytes. Invalid UTF-8 sequences become "?".
std::string utf8ToGb18030(std::string_view utf8);
// GB18030 bytes as UTF-8 text. Invalid sequences become U+FFFD.
std::string gb18030ToUtf8(std::string_view gb18030);
// Bytes as valid UTF-8: every invalid sequence becomes U+FFFD.
std::string sanitizeUtf8(std::string_view bytes);
// The number of bytes of the text's GB18030 form.
std::size_t gb18030Length(std::string_view utf8);
// The text of the first maxBytes bytes of the text's GB18030 form, as UTF-8;
// a character cut by the limit is left out whole.
std::string gb18030Prefix(std::string_view utf8, std::size_t maxBytes);

}  // namespace skyrill
