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

// Builds a tree from the tape of simdjson's DOM parser in one pass. The
// tape holds the values in the order of the text, one or two 64-bit words
// each, the kind in the top byte (simdjson's documented tape format): "{"
// "[" with the container's element count in bits 32 to 55, "}" "]" closing
// them; '"' with an offset into the string buffer (a 32-bit length, then
// the bytes) for strings and member names; "l" "u" "d" followed by the
// number's word; "t" "f" "n"; "r" words frame the root. As each container
// opens, its count tells how many entries its children take, so they are
// written in place, in one block, as they come.
class TapeReader {
 public:
  TapeReader(const simdjson::dom::document& document, std::size_t textBytes, int maxDepth)
      : tape_(document.tape.get()),
        strings_(document.string_buf.get()),
        end_((tape_[0] & kPayload) - 1),
        // Every value and name takes a tape word of its own, so the words
        // inside the root frame bound the entries.
        entries_(std::make_unique_for_overwrite<Entry[]>(end_)),
        maxDepth_(maxDepth) {
    open_.reserve(16);
    arena_.resize(std::min(textBytes / 2, kKeptBufferBytes / 16) + kShortText);
  }

  std::optional<JsonTree> read() {
    Entry* next = &root_;  // where the next value or name goes
    bool inObject = false;
    bool nameNext = false;
    for (std::size_t i = 1; i < end_; ++i) {
      const std::uint64_t word = tape_[i];
      const auto kind = static_cast<char>(word >> 56);
      if (kind == '}' || kind == ']') {
        const OpenContainer closed = open_.back();
        open_.pop_back();
        if (inObject) keepLastOfRepeatedNames(*closed.container);
        next = closed.parentNext;
        inObject = nameNext = closed.parentIsObject;
        continue;
      }
      if (nameNext) {
        addText(*next++, Entry::Kind::Name, word);
        nameNext = false;
        continue;
      }
      Entry& entry = *next++;
      nameNext = inObject;  // in an object, a name follows each value
      switch (kind) {
        case '{':
        case '[':
          if (std::ssize(open_) >= maxDepth_) return std::nullopt;
          open_.push_back({&entry, next, inObject});
          inObject = nameNext = kind == '{';
          next = open(entry, inObject, (word >> 32) & simdjson::internal::JSON_COUNT_MASK);
          break;
        case 'l':
          entry = Entry::ofNumber(static_cast<double>(static_cast<std::int64_t>(tape_[++i])));
          break;
        case 'u':
          entry = Entry::ofNumber(static_cast<double>(tape_[++i]));
          break;
        case 'd':
          entry = Entry::ofNumber(std::bit_cast<double>(tape_[++i]));
          break;
        case '"':
          addText(entry, Entry::Kind::String, word);
          break;
        case 't':
        case 'f':
          entry = Entry::ofBoolean(kind == 't');
          break;
        case 'n':
          entry = Entry::ofKind(Entry::Kind::Null);
          break;
        default:
          return std::nullopt;
      }
    }
    if (!open_.empty()) return std::nullopt;
    return finish();
  }

 private:
  static constexpr std::uint64_t kPayload = 0x00FFFFFFFFFFFFFF;
  static constexpr std::size_t kShortText = 16;
  static constexpr std::size_t kSmallWaste = 4096;  // entries
  // Counts saturate at JSON_COUNT_MASK; no text the DOM parser reads has
  // that many elements in one container.
  static_assert(kDomTextBytes / 2 < simdjson::internal::JSON_COUNT_MASK);

  struct OpenContainer {
    Entry* container;
    Entry* parentNext;  // where the container's parent goes on after it
    bool parentIsObject;
  };

  // Gives the container's children their block; returns where the first goes.
  Entry* open(Entry& container, bool isObject, std::size_t count) {
    const auto kind = isObject ? Entry::Kind::Object : Entry::Kind::Array;
    container.set(static_cast<std::uint8_t>(kind), count, used_);
    Entry* first = entries_.get() + used_;
    used_ += isObject ? 2 * count : count;
    return first;
  }

  void keepLastOfRepeatedNames(Entry& object) {
    Entry* members = entries_.get() + object.payload;
    const std::size_t count = object.size;
    const std::size_t kept =
        json_detail::keepLastOfRepeatedNames(members, count, arena_.data(), nameTable_);
    if (kept == count) return;
    object.size = static_cast<std::uint32_t>(kept);
    // The places of the dropped members stay in the block, set to null.
    std::fill(members + 2 * kept, members + 2 * count, Entry::ofKind(Entry::Kind::Null));
  }

  void addText(Entry& entry, Entry::Kind kind, std::uint64_t word) {
    const std::uint8_t* at = strings_ + (word & kPayload);
    std::uint32_t size = 0;
    std::memcpy(&size, at, sizeof size);
    const char* text = reinterpret_cast<const char*>(at + sizeof size);
    if (arena_.size() - arenaUsed_ < size + kShortText) {
      arena_.resize(std::max(2 * arena_.size(), arenaUsed_ + size + kShortText));
    }
    char* out = arena_.data() + arenaUsed_;
    // Most texts are short: one fixed-size copy, whose bytes past the text
    // are overwritten by the next. The string buffer holds more than a
    // short text's worth of padding after its last text.
    static_assert(kShortText <= simdjson::SIMDJSON_PADDING);
    if (size <= kShortText) {
      std::memcpy(out, text, kShortText);
    } else {
      std::memcpy(out, text, size);
    }
    entry.set(Entry::tagOfPadded(kind, out, size), size, arenaUsed_);
    arenaUsed_ += size;
  }

  JsonTree finish() {
    std::unique_ptr<Entry[]> entries = std::move(entries_);
    // Give back the room the bound left over when it is worth a copy: not
    // for an answer's few kilobytes.
    if (end_ - used_ > used_ / 4 + kSmallWaste) {
      auto exact = std::make_unique_for_overwrite<Entry[]>(used_);
      std::copy_n(entries.get(), used_, exact.get());
      entries = std::move(exact);
    }
    arena_.resize(arenaUsed_);
    if (arena_.capacity() - arena_.size() > arena_.size() / 4 + 64) arena_.shrink_to_fit();
    return JsonTree(root_, std::move(entries), used_, std::move(arena_));
  }

  const std::uint64_t* tape_;
  const std::uint8_t* strings_;
  std::size_t end_;  // the closing root word
  std::unique_ptr<Entry[]> entries_;
  std::size_t used_ = 0;  // entries given to containers so far
  Entry root_ = Entry::ofKind(Entry::Kind::Null);
  int maxDepth_;
  std::vector<OpenContainer> open_;
  std::string arena_;  // texts, up to arenaUsed_; the rest is room to grow
  std::size_t arenaUsed_ = 0;
  std::vector<std::uint64_t> nameTable_;
};

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
  return TreeBuilder(entryBound(text), std::min(text.size() / 2, kKeptBufferBytes / 16), maxDepth);
}

std::optional<JsonTree> readTreeOnDemand(ParserState& state, std::string_view text, int maxDepth) {
  const char* padded = state.copy(text);
  ondemand::document document;
  const simdjson::error_code error =
      state.parser.iterate(padded, text.size(), state.paddedCapacity).get(document);
  if (error == simdjson::MEMALLOC) throw std::bad_alloc();
  if (error != SUCCESS) return std::nullopt;
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
  if (error == simdjson::MEMALLOC) throw std::bad_alloc();
  if (error != SUCCESS) return std::nullopt;
  return TapeReader(state.domParser.doc, text.size(), maxDepth).read();
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
