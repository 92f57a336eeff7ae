#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyrill {

// An INI text kept line by line, read and changed by the rules of the
// Windows private-profile functions:
// - section and key names match without regard to ASCII case; the first of
//   duplicate sections or keys is the one read and written;
// - a value is read without its surrounding blanks and then without one pair
//   of surrounding double quotes, and is cut to kMaxValueBytes;
// - writing replaces a value in place or adds the key at the end of its
//   section (the section at the end of the file); every other line keeps its
//   bytes and its line end.
// The file's bytes are GB18030; names and values cross this interface as
// UTF-8.
class IniFile {
 public:
  // The longest value a read returns, counted in GB18030 bytes.
  static constexpr std::size_t kMaxValueBytes = 10239;

  IniFile() = default;
  // Parses the bytes of a file.
  explicit IniFile(std::string_view bytes);

  // The file's content; an empty file when it is missing or unreadable.
  static IniFile load(const std::filesystem::path& path);

  // The value of the first matching key of the first matching section.
  std::optional<std::string> read(std::string_view section, std::string_view key) const;
  std::string read(std::string_view section, std::string_view key, std::string_view fallback) const;
  // The names of the keys of the first matching section, in the file's
  // order, each once; lines that start with ";" or "#" are comments.
  std::vector<std::string> keys(std::string_view section) const;

  // Sets a value, creating the section and the key when missing. Line breaks
  // in the value are dropped so that it stays on its line.
  void write(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes as they are to be written.
  std::string bytes() const;

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n", or "" for a last line without one
  };

  std::optional<std::size_t> findSection(std::string_view section) const;
  std::size_t sectionEnd(std::size_t header) const;
  std::optional<std::size_t> findKey(std::size_t header, std::string_view key) const;
  void appendLine(std::string text);

  static constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

  std::string byteOrderMark_;  // kept as the file had it
  std::vector<Line> lines_;
  std::string lineEnd_ = "\n";  // the file's style, given to new lines
};

}  // namespace skyrill
