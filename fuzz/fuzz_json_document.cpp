// The JSON document: parse of any bytes, every read by paths found in the
// parsed value and by paths from the input, the text output, and a text
// written at a path from the input.
//
// Input: a JSON text, then optionally NUL-separated paths; after the last
// path, a text to write at each of them.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "json/json_document.h"

namespace skyrill {
namespace {

// U+2400: setText keeps a backslash as this character and the text output
// writes it as a bare backslash, so a parsed one does not read back.
constexpr std::string_view kStoredBackslash = "\xE2\x90\x80";

// Enough nodes to cover an answer's records, few enough to stay fast.
constexpr std::size_t kMaxNodesWalked = 1000;
// Containers whose whole text is checked: each check costs the container's size.
constexpr std::size_t kContainersInFull = 16;

std::vector<std::string_view> splitAtNul(std::string_view text) {
  std::vector<std::string_view> pieces;
  for (std::size_t at = text.find('\0'); at != std::string_view::npos; at = text.find('\0')) {
    pieces.push_back(text.substr(0, at));
    text.remove_prefix(at + 1);
  }
  pieces.push_back(text);
  return pieces;
}

// A member name that a path can address: "." and "[" would end its step.
bool isPathName(std::string_view name) {
  return !name.empty() && name.find_first_of(".[") == std::string_view::npos;
}

bool isContainerKind(int kind) {
  return kind == 4 || kind == 5;
}

// A parsed text that holds U+2400, raw or escaped: its JSON output then has
// a bare backslash in its place.
bool holdsStoredBackslash(std::string_view json) {
  return json.find(kStoredBackslash) != std::string_view::npos ||
         json.find("\\u2400") != std::string_view::npos;
}

// The reads of one parsed document.
class DocumentReads {
 public:
  // exactText: the document holds no U+2400, so its JSON output must read back as itself.
  DocumentReads(const JsonDocument& document, bool exactText)
      : document_(document), exactText_(exactText) {}

  // The JSON output parses back into the same output.
  void checkReparse(std::string_view json) const {
    if (!exactText_) return;
    JsonDocument again;
    require(again.parse(json), "the text output parses");
    require(again.toText() == json, "the text output reads back as itself");
  }

  // Every value the paths of the document reach, breadth first, up to
  // kMaxNodesWalked of them.
  void walk() const {
    std::vector<std::string> paths = {""};
    for (std::size_t next = 0; next < paths.size() && next < kMaxNodesWalked; ++next) {
      const std::string path = paths[next];
      checkResolvedPath(path, next < kContainersInFull);
      const int elements = document_.count(path);
      for (int i = 0; i < elements && paths.size() < kMaxNodesWalked; ++i) {
        paths.push_back(path + "[" + std::to_string(i) + "]");
      }
      for (const std::string& name : document_.memberNames(path)) {
        if (paths.size() >= kMaxNodesWalked) break;
        if (isPathName(name)) paths.push_back(path.empty() ? name : path + "." + name);
      }
    }
  }

  // A path from the input, which may be malformed or lead nowhere.
  void readAnyPath(std::string_view path) const {
    const int kind = document_.kindOf(path);
    require(kind >= -1 && kind <= 6, "kindOf() gives a documented kind");
    require(document_.exists(path) == (kind > 0), "exists() agrees with kindOf()");
    if (kind <= 0) {
      require(document_.getText(path).empty() && document_.count(path) == 0 &&
                  document_.jsonTextAt(path).empty() && document_.getNumber(path) == 0 &&
                  document_.memberNames(path).empty(),
              "an unresolved path reads as empty");
      return;
    }
    checkResolvedPath(std::string(path), true);
  }

 private:
  // Every read of a path that resolves to a value, null included; with
  // wholeText, the JSON text of a container too.
  void checkResolvedPath(const std::string& path, bool wholeText) const {
    const int kind = document_.kindOf(path);
    require(kind >= 0 && kind <= 6 && kind != 3, "a resolved path has a known kind");
    require(document_.exists(path) == (kind != 0), "exists() agrees with kindOf()");
    const std::string text = document_.getText(path);
    if (kind != 5) require(document_.count(path) == 0, "only arrays count");
    if (isContainerKind(kind) && !wholeText) {
      document_.leafValues(path, false);
      return;
    }
    const std::string json = document_.jsonTextAt(path);
    require(json.empty() == (kind == 0), "only null has no JSON text");
    require(document_.subDocument(path).toText() == json, "a sub-document holds the value");
    require(std::isfinite(document_.getNumber(path)), "numbers read finite");
    if (kind == 2) {
      require(formatJsonNumber(document_.getNumber(path)) == text,
              "a number reads in its own form");
    }
    if (kind == 6 && exactText_) {
      JsonDocument string;
      require(string.parse(json) && string.getText("") == text, "a string reads back from JSON");
    }
    if (kind != 0) checkReparse(json);
    document_.leafValues(path, false);
    document_.leafValues(path, true);
  }

  const JsonDocument& document_;
  bool exactText_;
};

// A text written at a path reads back as written (the text holds no
// backslash and no U+2400, which setText keeps as each other).
void writeAndReadBack(JsonDocument& document, std::string_view path, std::string_view text) {
  if (!document.setText(path, text)) return;
  require(document.kindOf(path) == 6, "a written text is a string");
  if (text.find('\\') == std::string_view::npos &&
      text.find(kStoredBackslash) == std::string_view::npos) {
    require(document.getText(path) == text, "a written text reads back");
  }
  document.toText();
}

// The shortest round-trip form of the first eight bytes read as a double.
void checkNumberText(std::string_view bytes) {
  double value = 0;
  if (bytes.size() < sizeof value) return;
  std::memcpy(&value, bytes.data(), sizeof value);
  const std::string text = formatJsonNumber(value);
  if (!std::isfinite(value)) {
    require(text.empty(), "no text for NaN and infinities");
    return;
  }
  double back = 1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
  require(error == std::errc() && end == text.data() + text.size(), "a number text is a number");
  require(back == value, "a number text reads back as the number");
  require(text != "-0", "minus zero is written 0");
}

// Texts are read by two engines: simdjson's DOM parser for most, its On
// Demand parser when the DOM parser refuses an integer beyond 64 bits. Set
// beside such an integer, the value must read as it does alone.
void checkBothEnginesReadAlike(std::string_view json, const std::string& parsedText) {
  // Where the wrapping itself changes the outcome: a byte-order mark is only
  // skipped at the start, and one more level may pass the depth bound.
  if (json.starts_with("\xEF\xBB\xBF") ||
      static_cast<int>(std::count_if(json.begin(), json.end(), [](char c) {
        return c == '[' || c == '{';
      })) >= JsonDocument::kMaxDepth) {
    return;
  }
  constexpr std::string_view kWideInteger = "18446744073709551616";
  JsonDocument wrapped;
  require(wrapped.parse("[" + std::string(kWideInteger) + "," + std::string(json) + "]"),
          "a value beside a wide integer parses");
  require(wrapped.toText() == "[18446744073709552000," + parsedText + "]",
          "a value beside a wide integer reads as it does alone");
}

}  // namespace
}  // namespace skyrill

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace skyrill;
  const std::string_view input = inputText(data, size);
  checkNumberText(input);
  const std::vector<std::string_view> pieces = splitAtNul(input);

  JsonDocument document;
  const std::string_view json = pieces.front();
  if (!document.parse(json)) {
    DocumentReads(document, true).readAnyPath("");
    require(document.toText().empty(), "a failed parse leaves nothing");
    return 0;
  }
  const DocumentReads reads(document, !holdsStoredBackslash(json));
  const std::string parsedText = document.toText();
  const JsonDocument copy = document;
  reads.checkReparse(parsedText);
  checkBothEnginesReadAlike(json, parsedText);
  reads.walk();

  const std::string_view text = pieces.size() > 1 ? pieces.back() : std::string_view();
  for (std::size_t i = 1; i + 1 < pieces.size(); ++i) reads.readAnyPath(pieces[i]);
  for (std::size_t i = 1; i + 1 < pieces.size(); ++i) writeAndReadBack(document, pieces[i], text);
  require(copy.toText() == parsedText, "a copy is left alone by writes");
  return 0;
}
