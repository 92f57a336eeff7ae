#include "store/ini_file.h"

#include <algorithm>

#include "core/encoding.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiLower(x) == asciiLower(y);
         });
}

// The name of a section header line ("[name]", up to the last "]").
std::optional<std::string_view> sectionNameOf(std::string_view line) {
  line = trimmed(line);
  const std::size_t close = line.rfind(']');
  if (line.empty() || line.front() != '[' || close == std::string_view::npos) return std::nullopt;
  return trimmed(line.substr(1, close - 1));
}

// A "key = value" line: the key and where its value starts.
struct KeyLine {
  std::string_view key;
  std::size_t valueStart = 0;
};

std::optional<KeyLine> keyLineOf(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::size_t valueStart = equals + 1;
  while (valueStart < line.size() && isBlank(line[valueStart])) ++valueStart;
  return KeyLine{trimmed(line.substr(0, equals)), valueStart};
}

// A value as the file holds it, turned into what a read returns.
std::string valueOf(std::string_view raw) {
  raw = trimmed(raw);
  if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
    raw = raw.substr(1, raw.size() - 2);
  }
  return gb18030Prefix(gb18030ToUtf8(raw), IniFile::kMaxValueBytes);
}

// The value's bytes for the file, on one line.
std::string fileValue(std::string_view value) {
  std::string bytes = utf8ToGb18030(value);
  std::erase_if(bytes, [](char c) { return c == '\r' || c == '\n'; });
  return bytes;
}

}  // namespace

IniFile::IniFile(std::string_view bytes) {
  // Editors may start the file with a UTF-8 byte-order mark; it is no part
  // of the first section's header, and it stays when the file is written.
  if (bytes.starts_with(kUtf8ByteOrderMark)) {
    byteOrderMark_ = kUtf8ByteOrderMark;
    bytes.remove_prefix(kUtf8ByteOrderMark.size());
  }
  bool styleFound = false;
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    Line line;
    if (newline == std::string_view::npos) {
      line.text = bytes;
      bytes = {};
    } else {
      const bool crlf = newline > 0 && bytes[newline - 1] == '\r';
      line.text = bytes.substr(0, crlf ? newline - 1 : newline);
      line.end = crlf ? "\r\n" : "\n";
      bytes.remove_prefix(newline + 1);
      if (!styleFound) lineEnd_ = line.end;
      styleFound = true;
    }
    lines_.push_back(std::move(line));
  }
}

IniFile IniFile::load(const std::filesystem::path& path) {
  const std::optional<std::string> bytes = readWholeFile(path);
  return bytes ? IniFile(*bytes) : IniFile();
}

std::optional<std::string> IniFile::read(std::string_view section, std::string_view key) const {
  const std::optional<std::size_t> header = findSection(utf8ToGb18030(section));
  if (!header) return std::nullopt;
  const std::optional<std::size_t> index = findKey(*header, utf8ToGb18030(key));
  if (!index) return std::nullopt;
  const std::string& text = lines_[*index].text;
  return valueOf(std::string_view(text).substr(keyLineOf(text)->valueStart));
}

std::string IniFile::read(std::string_view section, std::string_view key,
                          std::string_view fallback) const {
  return read(section, key).value_or(std::string(fallback));
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
  std::vector<std::string> names;
  const std::optional<std::size_t> header = findSection(utf8ToGb18030(section));
  if (!header) return names;
  for (std::size_t i = *header + 1; i < sectionEnd(*header); ++i) {
    const std::optional<KeyLine> line = keyLineOf(lines_[i].text);
    if (!line || line->key.empty() || line->key.front() == ';' || line->key.front() == '#')
      continue;
    // The first of duplicate keys is the one read.
    if (findKey(*header, line->key) == i) names.push_back(gb18030ToUtf8(line->key));
  }
  return names;
}

void IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sectionBytes = utf8ToGb18030(section);
  const std::string keyBytes = utf8ToGb18030(key);
  const std::string valueBytes = fileValue(value);

  const std::optional<std::size_t> header = findSection(sectionBytes);
  if (!header) {
    if (!lines_.empty() && !trimmed(lines_.back().text).empty()) appendLine("");
    appendLine("[" + sectionBytes + "]");
    appendLine(keyBytes + "=" + valueBytes);
    return;
  }
  if (const std::optional<std::size_t> index = findKey(*header, keyBytes)) {
    std::string& text = lines_[*index].text;
    // The blanks after "=" stay, unless the value brings its own: kept
    // both, they would grow by the value's with every save.
    const std::size_t valueStart = keyLineOf(text)->valueStart;
    const bool ownBlanks = !valueBytes.empty() && isBlank(valueBytes.front());
    text = text.substr(0, ownBlanks ? text.find('=') + 1 : valueStart) + valueBytes;
    return;
  }
  // After the section's last line that is not blank, so that a blank line
  // before the next section stays where it is.
  std::size_t last = *header;
  for (std::size_t i = *header + 1; i < sectionEnd(*header); ++i) {
    if (!trimmed(lines_[i].text).empty()) last = i;
  }
  if (lines_[last].end.empty()) lines_[last].end = lineEnd_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                Line{keyBytes + "=" + valueBytes, lineEnd_});
}

std::string IniFile::bytes() const {
  std::string out = byteOrderMark_;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.end;
  }
  return out;
}

std::optional<std::size_t> IniFile::findSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::optional<std::string_view> name = sectionNameOf(lines_[i].text);
    if (name && sameName(*name, section)) return i;
  }
  return std::nullopt;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !sectionNameOf(lines_[i].text)) ++i;
  return i;
}

std::optional<std::size_t> IniFile::findKey(std::size_t header, std::string_view key) const {
  const std::size_t end = sectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    const std::optional<KeyLine> line = keyLineOf(lines_[i].text);
    if (line && sameName(line->key, key)) return i;
  }
  return std::nullopt;
}

void IniFile::appendLine(std::string text) {
  if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = lineEnd_;
  lines_.push_back(Line{std::move(text), lineEnd_});
}

}  // namespace skyrill
