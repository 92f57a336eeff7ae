#include "json/json_parse.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include <simdjson.h>

#include "json/json_document.h"
#include "json/tree_builder.h"

namespace skyrill::json_detail {

namespace {

namespace ondemand = simdjson::ondemand;
using simdjson::SUCCESS;

// Texts up to this size leave the parser's buffers in place for the next
// parse, such as the redisplay of a held answer; larger ones give them back.
constexpr std::size_t kKeptBufferBytes = 1024 * 1024;
// Texts up to this size go through simdjson's DOM parser, the quicker one
// while its buffers are kept; larger ones through On Demand, which needs
// about half the memory (the DOM parser's buffers take about 14 bytes per
// byte of text) and, on buffers allocated afresh, less time too.
constexpr std::size_t kDomTextBytes = kKeptBufferBytes;
// Texts up to this size give their tape to the tree (see keepTape).
constexpr std::size_t kTakenTapeTextBytes = 16 * 1024;

// The parser, the document its DOM parser writes and a copy of the text
// with the zero padding it reads past the end, kept between parses of one
// thread.
struct ParserState {
  simdjson::dom::parser domParser;
  simdjson::dom::document document;
  ondemand::parser parser;
  std::unique_ptr<char[]> padded;
  std::size_t paddedCapacity = 0;

  // The text with its padding.
  const char* copy(std::string_view text) {
    const std::size_t needed = text.size() + simdjson::SIMDJSON_PADDING;
    if (paddedCapacity < needed) {
      padded.reset();
      paddedCapacity = 0;  // stays so when the allocation fails
      padded = std::make_unique_for_overwrite<char[]>(needed);
      paddedCapacity = needed;
    }
    std::memcpy(padded.get(), text.data(), text.size());
    std::memset(padded.get() + text.size(), 0, simdjson::SIMDJSON_PADDING);
    return padded.get();
  }
};

ParserState& parserState() {
  thread_local ParserState state;
  return state;
}

// No fewer than the values and member names of a valid text: each but the
// first follows a ",", ":", "[" or "{", and a name and its value share one
// ":" and at most one "," (counting inside strings only adds).
std::size_t entryBound(std::string_view text) {
  // '[' and '{' differ only in bit 0x20.
  const auto opens = [](char c) -> unsigned char {
    return (c == ',') | (c == ':') | ((c | 0x20) == '{');
  };
  // Counted in 16 one-byte lanes, which the compiler turns into vector
  // code; a lane is emptied before it could pass 255.
  constexpr std::size_t kLanes = 16;
  constexpr std::size_t kBlock = 255 * kLanes;
  std::size_t count = 1;
  std::size_t i = 0;
  while (text.size() - i >= kLanes) {
    const std::size_t end = i + std::min(kBlock, (text.size() - i) / kLanes * kLanes);
    unsigned char lanes[kLanes] = {};
    for (; i < end; i += kLanes) {
      for (std::size_t k = 0; k < kLanes; ++k) lanes[k] += opens(text[i + k]);
    }
    for (const unsigned char lane : lanes) count += lane;
  }
  for (; i < text.size(); ++i) count += opens(text[i]);
  return count;
}

// The last string or name word among the values from `first` up to `close`
// (a container's closing word, or the final root word); null when there is
// none. Strings are stored in the order of the text, so the last one tells
// how far they go. Containers are stepped over, and only the last one after
// the last string is looked into: the values an answer ends with are read
// and the rest is skipped.
const Word* lastStringWord(const Word* tape, const Word* first, const Word* close) {
  const Word* lastString = nullptr;
  const Word* lastContainer = nullptr;  // after lastString
  for (const Word* at = first; at != close; at = valueAfter(tape, at)) {
    const char kind = tape::kindOf(*at);
    if (kind == tape::kString) {
      lastString = at;
      lastContainer = nullptr;
    } else if (kind == tape::kArray || kind == tape::kObject) {
      lastContainer = at;
    }
  }
  if (lastContainer == nullptr) return lastString;
  const Word* inside = lastStringWord(tape, lastContainer + 1, valueAfter(tape, lastContainer) - 1);
  if (inside != nullptr) return inside;
  // Every word from the last string on, inside the containers before the
  // last one too; a number's second word is no value.
  for (const Word* at = lastString != nullptr ? lastString + 1 : first; at != lastContainer;) {
    const char kind = tape::kindOf(*at);
    if (kind == tape::kString) lastString = at;
    at += kind == tape::kInt64 || kind == tape::kUint64 || kind == tape::kDouble ? 2 : 1;
  }
  return lastString;
}

// The tree of a DOM parse into `document`: its tape and strings kept as they
// are. A small text's tape is taken whole, its room sized for the text
// (about 8 bytes a byte) rather than copied, and the document is left
// without one, to be given one by the next parse; a larger text's tape, and
// the strings, are copied into room of their own size.
JsonTree keepTape(simdjson::dom::document& document, std::size_t textBytes) {
  const Word* tape = document.tape.get();
  const std::size_t words = tape[0] & tape::kPayload;
  const auto* strings = reinterpret_cast<const char*>(document.string_buf.get());
  std::size_t stringBytes = 0;
  if (const Word* last = lastStringWord(tape, tape + 1, tape + words - 1)) {
    const std::size_t offset = *last & tape::kPayload;
    std::uint32_t size = 0;
    std::memcpy(&size, strings + offset, sizeof size);
    stringBytes = offset + sizeof size + size + 1;
  }
  auto keptStrings = std::make_unique_for_overwrite<char[]>(stringBytes + kStringPadding);
  std::fill_n(std::copy_n(strings, stringBytes, keptStrings.get()), kStringPadding, 0);
  std::unique_ptr<Word[]> keptTape;
  if (textBytes <= kTakenTapeTextBytes) {
    keptTape = std::move(document.tape);
    document = simdjson::dom::document();
  } else {
    keptTape = std::make_unique_for_overwrite<Word[]>(words);
    std::copy_n(tape, words, keptTape.get());
  }
  return JsonTree(std::move(keptTape), words, std::move(keptStrings), stringBytes);
}

// The decimal place of the first nonzero digit of a JSON number token once
// its exponent is applied (1 for units, 0 for tenths, ...; 0 for a zero);
// nothing when the token is not one JSON number followed by white space only.
// Exponents beyond a million count as a million: past that, they decide alone.
std::optional<long long> numberPlace(std::string_view token) {
  std::size_t i = 0;
  long long place = 0;
  bool nonzero = false;
  const auto at = [&](std::string_view chars) {
    return i < token.size() && chars.find(token[i]) != std::string_view::npos;
  };
  const auto isDigit = [&] {
    return i < token.size() && std::isdigit(static_cast<unsigned char>(token[i]));
  };
  // Digits before (step +1) or after (step -1) the decimal point.
  const auto digits = [&](int step) {
    const std::size_t start = i;
    for (; isDigit(); ++i) {
      if (token[i] != '0') nonzero = true;
      if (step > 0 ? nonzero : !nonzero) place += step;
    }
    return i > start;
  };
  if (at("-")) ++i;
  if (at("0")) {
    ++i;
  } else if (!digits(1)) {
    return std::nullopt;
  }
  if (at(".")) {
    ++i;
    if (!digits(-1)) return std::nullopt;
  }
  if (at("eE")) {
    ++i;
    const bool negative = at("-");
    if (at("+-")) ++i;
    if (!isDigit()) return std::nullopt;
    long long exponent = 0;
    for (; isDigit(); ++i) exponent = std::min(exponent * 10 + (token[i] - '0'), 1000000LL);
    place += negative ? -exponent : exponent;
  }
  if (token.find_first_not_of(" \t\n\r", i) != std::string_view::npos) return std::nullopt;
  return nonzero ? place : 0;
}

// The number at a value or the document's root as the nearest double,
// integers of any length too; false when it is not a valid number or is
// beyond the largest double. simdjson 3.0's On Demand misreads numbers of
// more than 19 digits whose integer part is 0 (0.95000000000000000000 as
// 0.0277, 0.2e+315 as a finite number) and refuses exponents of more than
// 19 digits (1e-40000000000000000000 is 0), so tokens that long are checked
// and read again by from_chars, which rounds correctly.
template <typename Value>
bool readNumber(Value& value, double& number) {
  constexpr std::size_t kMostExactDigits = 19;
  const std::string_view token = value.raw_json_token();
  const bool parsed = value.get_double().get(number) == SUCCESS;
  if (token.size() <= kMostExactDigits) return parsed;
  const std::optional<long long> place = numberPlace(token);
  if (!place) return false;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), number);
  if (error == std::errc::result_out_of_range) {
    // Too large when its first digit stands before the decimal point; too small otherwise.
    if (*place > 0) return false;
    number = 0;
  } else if (error != std::errc()) {
    return false;
  }
  return true;
}

// One container being read: its iterators, the position among its
// children, and whether it is an object.
struct Frame {
  ondemand::array_iterator element;
  ondemand::array_iterator elementEnd;
  ondemand::object_iterator member;
  ondemand::object_iterator memberEnd;
  bool isObject = false;

  bool atEnd() const { return isObject ? !(member != memberEnd) : !(element != elementEnd); }
  void advance() {
    if (isObject) {
      ++member;
    } else {
      ++element;
    }
  }
};

// Reads a text through simdjson's On Demand front end into a TreeBuilder,
// with an explicit stack instead of recursion.
class TreeReader {
 public:
  explicit TreeReader(TreeBuilder& builder) : builder_(builder) { frames_.reserve(16); }

  bool read(ondemand::document& document) {
    ondemand::json_type type;
    if (document.type().get(type) != SUCCESS) return false;
    if (!readRoot(document, type)) return false;
    while (!frames_.empty()) {
      if (!step()) return false;
    }
    // Anything left after the value is an error.
    const char* rest = nullptr;
    return document.current_location().get(rest) == simdjson::OUT_OF_BOUNDS;
  }

 private:
  bool readRoot(ondemand::document& document, ondemand::json_type type) {
    switch (type) {
      case ondemand::json_type::array: {
        ondemand::array array;
        return document.get_array().get(array) == SUCCESS && openArray(array);
      }
      case ondemand::json_type::object: {
        ondemand::object object;
        return document.get_object().get(object) == SUCCESS && openObject(object);
      }
      case ondemand::json_type::number: {
        double number = 0;
        if (!readNumber(document, number)) return false;
        builder_.addNumber(number);
        return true;
      }
      case ondemand::json_type::string: {
        std::string_view text;
        if (document.get_string().get(text) != SUCCESS) return false;
        builder_.addString(text);
        return true;
      }
      case ondemand::json_type::boolean: {
        bool value = false;
        if (document.get_bool().get(value) != SUCCESS) return false;
        builder_.addBoolean(value);
        return true;
      }
      case ondemand::json_type::null: {
        bool isNull = false;
        if (document.is_null().get(isNull) != SUCCESS || !isNull) return false;
        builder_.addNull();
        return true;
      }
    }
    return false;
  }

  // Reads the next child of the innermost container, or closes it.
  bool step() {
    Frame& frame = frames_.back();
    if (frame.atEnd()) {
      builder_.close();
      frames_.pop_back();
      if (!frames_.empty()) frames_.back().advance();
      return true;
    }
    ondemand::value value;
    if (frame.isObject) {
      ondemand::field field;
      std::string_view name;
      if ((*frame.member).get(field) != SUCCESS || field.unescaped_key().get(name) != SUCCESS) {
        return false;
      }
      builder_.addName(name);
      value = field.value();
    } else if ((*frame.element).get(value) != SUCCESS) {
      return false;
    }
    return readValue(value);
  }

  // A scalar is added and its container moves on; a container is opened
  // and read first.
  bool readValue(ondemand::value& value) {
    ondemand::json_type type;
    if (value.type().get(type) != SUCCESS) return false;
    switch (type) {
      case ondemand::json_type::array: {
        ondemand::array array;
        return value.get_array().get(array) == SUCCESS && openArray(array);
      }
      case ondemand::json_type::object: {
        ondemand::object object;
        return value.get_object().get(object) == SUCCESS && openObject(object);
      }
      case ondemand::json_type::number: {
        double number = 0;
        if (!readNumber(value, number)) return false;
        builder_.addNumber(number);
        break;
      }
      case ondemand::json_type::string: {
        std::string_view text;
        if (value.get_string().get(text) != SUCCESS) return false;
        builder_.addString(text);
        break;
      }
      case ondemand::json_type::boolean: {
        bool flag = false;
        if (value.get_bool().get(flag) != SUCCESS) return false;
        builder_.addBoolean(flag);
        break;
      }
      case ondemand::json_type::null: {
        bool isNull = false;
        if (value.is_null().get(isNull) != SUCCESS || !isNull) return false;
        builder_.addNull();
        break;
      }
    }
    frames_.back().advance();
    return true;
  }

  bool openArray(ondemand::array& array) {
    Frame frame;
    if (array.begin().get(frame.element) != SUCCESS ||
        array.end().get(frame.elementEnd) != SUCCESS || !builder_.openArray()) {
      return false;
    }
    frames_.push_back(frame);
    return true;
  }

  bool openObject(ondemand::object& object) {
    Frame frame;
    frame.isObject = true;
    if (object.begin().get(frame.member) != SUCCESS ||
        object.end().get(frame.memberEnd) != SUCCESS || !builder_.openObject()) {
      return false;
    }
    frames_.push_back(frame);
    return true;
  }

  TreeBuilder& builder_;
  std::vector<Frame> frames_;
};

// Strings and names take about half of an answer; larger texts grow the room.
TreeBuilder makeBuilder(std::string_view text, int maxDepth) {
  // A value or name takes at most two words, and the root two more.
  return TreeBuilder(2 * entryBound(text) + 2, std::min(text.size() / 2, kKeptBufferBytes / 16),
                     maxDepth);
}

std::optional<JsonTree> readTreeOnDemand(ParserState& state, std::string_view text, int maxDepth) {
  const char* padded = state.copy(text);
  ondemand::document document;
  const simdjson::error_code error =
      state.parser.iterate(padded, text.size(), state.paddedCapacity).get(document);
  if (error == simdjson::MEMALLOC) throw std::bad_alloc();
  if (error != SUCCESS) return std::nullopt;
  TreeBuilder builder = makeBuilder(text, maxDepth);
  if (!TreeReader(builder).read(document)) return std::nullopt;
  return builder.finish();
}

std::optional<JsonTree> readTree(ParserState& state, std::string_view text, int maxDepth) {
  if (text.size() > kDomTextBytes || maxDepth < 1) return readTreeOnDemand(state, text, maxDepth);
  // The DOM parser refuses nesting as deep as its bound, where an empty
  // container does not count: a text it takes nests no deeper than ours.
  const auto domDepth = static_cast<std::size_t>(maxDepth);
  if (state.domParser.max_depth() != domDepth &&
      state.domParser.allocate(std::max(state.domParser.capacity(), text.size()), domDepth) !=
          SUCCESS) {
    throw std::bad_alloc();
  }
  simdjson::dom::element root;
  const simdjson::error_code error =
      state.domParser.parse_into_document(state.document, state.copy(text), text.size(), false)
          .get(root);
  // The DOM parser refuses integers beyond 64 bits, which read as the
  // nearest double, and some nesting within our bound: On Demand decides.
  if (error == simdjson::NUMBER_ERROR || error == simdjson::DEPTH_ERROR) {
    return readTreeOnDemand(state, text, maxDepth);
  }
  if (error == simdjson::MEMALLOC) throw std::bad_alloc();
  if (error != SUCCESS) return std::nullopt;
  return keepTape(state.document, text.size());
}

// The text simdjson is given: a leading UTF-8 byte-order mark, which files
// saved by some editors carry, is skipped; white space after the value is
// dropped, as simdjson 3.0 refuses a root true or false followed by more
// than a couple of spaces.
std::string_view trimmed(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::size_t end = text.find_last_not_of(" \t\n\r");
  return text.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

}  // namespace

std::optional<JsonTree> parseTree(std::string_view text, int maxDepth, bool* outOfMemory) noexcept {
  if (outOfMemory) *outOfMemory = false;
  // A NUL byte is never part of a JSON text; simdjson would read it as padding.
  if (maxDepth < 0 || text.empty() || text.size() > JsonDocument::kMaxTextBytes ||
      text.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  ParserState& state = parserState();
  std::optional<JsonTree> tree;
  try {
    if (const std::string_view value = trimmed(text); !value.empty()) {
      tree = readTree(state, value, maxDepth);
    }
  } catch (const std::bad_alloc&) {
    tree.reset();
    if (outOfMemory) *outOfMemory = true;
  }
  if (text.size() > kKeptBufferBytes) state = ParserState();
  return tree;
}

}  // namespace skyrill::json_detail

namespace skyrill {

std::string jsonParserLibrary() {
  return "simdjson " + std::to_string(simdjson::SIMDJSON_VERSION_MAJOR) + "." +
         std::to_string(simdjson::SIMDJSON_VERSION_MINOR) + "." +
         std::to_string(simdjson::SIMDJSON_VERSION_REVISION);
}

}  // namespace skyrill
