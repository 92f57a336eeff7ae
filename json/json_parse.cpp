#include "json/json_parse.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
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

// The parser and a copy of the text with the zero padding it reads past the
// end, kept between parses of one thread.
struct ParserState {
  simdjson::dom::parser domParser;
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

// Reads the tape of simdjson's DOM parser, whose stages run at full SIMD
// speed, into a TreeBuilder with an explicit stack instead of recursion.
class TapeReader {
 public:
  explicit TapeReader(TreeBuilder& builder) : builder_(builder) { frames_.reserve(16); }

  bool read(simdjson::dom::element root) {
    if (!add(root)) return false;
    while (!frames_.empty()) {
      if (!step()) return false;
    }
    return true;
  }

 private:
  struct Frame {
    simdjson::dom::array::iterator element;
    simdjson::dom::array::iterator elementEnd;
    simdjson::dom::object::iterator member;
    simdjson::dom::object::iterator memberEnd;
    bool isObject = false;
  };

  // Adds the next child of the innermost container, or closes it.
  bool step() {
    Frame& frame = frames_.back();
    if (frame.isObject) {
      if (frame.member == frame.memberEnd) return closeFrame();
      const simdjson::dom::object::iterator member = frame.member;
      ++frame.member;
      builder_.addName(member.key());
      return add(member.value());
    }
    if (frame.element == frame.elementEnd) return closeFrame();
    const simdjson::dom::element element = *frame.element;
    ++frame.element;
    return add(element);
  }

  bool closeFrame() {
    builder_.close();
    frames_.pop_back();
    return true;
  }

  // A scalar is added; a container is opened, to be read by the next steps.
  bool add(simdjson::dom::element value) {
    switch (value.type()) {
      case simdjson::dom::element_type::ARRAY: {
        if (!builder_.openArray()) return false;
        const simdjson::dom::array array(value);
        frames_.push_back({array.begin(), array.end(), {}, {}, false});
        return true;
      }
      case simdjson::dom::element_type::OBJECT: {
        if (!builder_.openObject()) return false;
        const simdjson::dom::object object(value);
        frames_.push_back({{}, {}, object.begin(), object.end(), true});
        return true;
      }
      case simdjson::dom::element_type::INT64:
        builder_.addNumber(static_cast<double>(std::int64_t(value)));
        return true;
      case simdjson::dom::element_type::UINT64:
        builder_.addNumber(static_cast<double>(std::uint64_t(value)));
        return true;
      case simdjson::dom::element_type::DOUBLE:
        builder_.addNumber(double(value));
        return true;
      case simdjson::dom::element_type::STRING:
        builder_.addString(std::string_view(value));
        return true;
      case simdjson::dom::element_type::BOOL:
        builder_.addBoolean(bool(value));
        return true;
      case simdjson::dom::element_type::NULL_VALUE:
        builder_.addNull();
        return true;
    }
    return false;
  }

  TreeBuilder& builder_;
  std::vector<Frame> frames_;
};

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
        if (document.get_double().get(number) != SUCCESS) return false;
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
        // Integers of any length read as the nearest double.
        double number = 0;
        if (value.get_double().get(number) != SUCCESS) return false;
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
  return TreeBuilder(entryBound(text), std::min(text.size() / 2, kKeptBufferBytes / 16), maxDepth);
}

std::optional<JsonTree> readTreeOnDemand(ParserState& state, std::string_view text, int maxDepth) {
  const char* padded = state.copy(text);
  ondemand::document document;
  if (state.parser.iterate(padded, text.size(), state.paddedCapacity).get(document) != SUCCESS) {
    return std::nullopt;
  }
  TreeBuilder builder = makeBuilder(text, maxDepth);
  if (!TreeReader(builder).read(document) || builder.overflowed()) return std::nullopt;
  return builder.finish();
}

std::optional<JsonTree> readTree(ParserState& state, std::string_view text, int maxDepth) {
  if (text.size() > kDomTextBytes) return readTreeOnDemand(state, text, maxDepth);
  simdjson::dom::element root;
  const simdjson::error_code error =
      state.domParser.parse(state.copy(text), text.size(), false).get(root);
  // The DOM parser refuses integers beyond 64 bits, which read as the
  // nearest double, and nesting beyond its own bound: On Demand decides.
  if (error == simdjson::NUMBER_ERROR || error == simdjson::DEPTH_ERROR) {
    return readTreeOnDemand(state, text, maxDepth);
  }
  if (error != SUCCESS) return std::nullopt;
  TreeBuilder builder = makeBuilder(text, maxDepth);
  if (!TapeReader(builder).read(root) || builder.overflowed()) return std::nullopt;
  return builder.finish();
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

std::optional<JsonTree> parseTree(std::string_view text, int maxDepth) noexcept {
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
  }
  if (text.size() > kKeptBufferBytes) state = ParserState();
  return tree;
}

}  // namespace skyrill::json_detail
