#include "stations/pinyin_match.h"

#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace skyrill {
namespace {

using Readings = std::vector<std::string>;

// The transliterator reads each character one way, as in everyday words;
// these characters are read otherwise in place names (长沙 chang sha, 厦门
// xia men, 乐清 yue qing, 六安 lu an, 蚌埠 beng bu, 吴堡 wu bu ...).
struct PlaceReading {
  char32_t character;
  const char* readings;  // separated by spaces
};
constexpr PlaceReading kPlaceReadings[] = {
    {U'长', "chang"}, {U'厦', "xia"},  {U'重', "chong"}, {U'行', "hang"}, {U'乐', "yue lao"},
    {U'六', "lu"},    {U'蚌', "beng"}, {U'单', "shan"},  {U'番', "pan"},  {U'莘', "xin"},
    {U'洞', "tong"},  {U'都', "du"},   {U'会', "kuai"},  {U'蔚', "yu"},   {U'铅', "yan"},
    {U'荥', "ying"},  {U'涡', "guo"},  {U'峙', "shi"},   {U'解', "xie"},  {U'尉', "yu"},
    {U'藏', "zang"},  {U'泌', "bi"},   {U'犍', "qian"},  {U'筠', "jun"},  {U'牟', "mu"},
    {U'枞', "zong"},  {U'珲', "hun"},  {U'堡', "bu pu"}, {U'埔', "pu"},   {U'什', "shi"},
    {U'阿', "e"},     {U'曾', "zeng"}, {U'涌', "chong"}, {U'圩', "xu"},
};

void addReadings(Readings& readings, std::string_view spaced) {
  std::size_t start = 0;
  while (start < spaced.size()) {
    const std::size_t end = std::min(spaced.find(' ', start), spaced.size());
    std::string reading(spaced.substr(start, end - start));
    if (!reading.empty() &&
        std::find(readings.begin(), readings.end(), reading) == readings.end()) {
      readings.push_back(std::move(reading));
    }
    start = end + 1;
  }
}

// Each Chinese character's readings, worked out once: the transliterator is
// slow to make and not safe on two threads at once.
class CharacterReadings {
 public:
  const Readings& of(char32_t character) {
    const std::lock_guard lock(mutex_);
    auto found = known_.find(character);
    if (found == known_.end()) found = known_.emplace(character, readingsOf(character)).first;
    return found->second;
  }

 private:
  Readings readingsOf(char32_t character) {
    Readings readings;
    if (transliterator()) {
      icu::UnicodeString text(static_cast<UChar32>(character));
      transliterator_->transliterate(text);
      std::string latin;
      text.toUTF8String(latin);
      std::erase_if(latin, [](char c) { return c < 'a' || c > 'z'; });
      addReadings(readings, latin);
    }
    for (const PlaceReading& place : kPlaceReadings) {
      if (place.character == character) addReadings(readings, place.readings);
    }
    return readings;
  }

  icu::Transliterator* transliterator() {
    if (!triedTransliterator_) {
      triedTransliterator_ = true;
      UErrorCode status = U_ZERO_ERROR;
      transliterator_.reset(icu::Transliterator::createInstance("Han-Latin; Latin-ASCII; Lower",
                                                                UTRANS_FORWARD, status));
      if (U_FAILURE(status)) transliterator_.reset();
    }
    return transliterator_.get();
  }

  std::mutex mutex_;
  std::map<char32_t, Readings> known_;
  std::unique_ptr<icu::Transliterator> transliterator_;
  bool triedTransliterator_ = false;
};

CharacterReadings& characterReadings() {
  static CharacterReadings readings;
  return readings;
}

// The name's letters and digits, read as themselves.
const Readings& asciiReading(char c) {
  static const std::vector<Readings> readings = [] {
    std::vector<Readings> all(128);
    for (int code = 0; code < 128; ++code) all[code] = {std::string(1, static_cast<char>(code))};
    return all;
  }();
  return readings[static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)))];
}

// The readings of each character of the name that has any, in order. They
// stay where they are: the table only grows.
std::vector<const Readings*> syllablesOf(std::string_view name) {
  std::vector<const Readings*> syllables;
  const auto* bytes = reinterpret_cast<const uint8_t*>(name.data());
  const auto length = static_cast<int32_t>(name.size());
  for (int32_t at = 0; at < length;) {
    UChar32 character = 0;
    U8_NEXT(bytes, at, length, character);
    if (character < 0) continue;  // a byte that is no UTF-8
    if (character < 0x80) {
      if (std::isalnum(character)) syllables.push_back(&asciiReading(static_cast<char>(character)));
      continue;
    }
    UErrorCode status = U_ZERO_ERROR;
    if (uscript_getScript(character, &status) != USCRIPT_HAN || U_FAILURE(status)) continue;
    const Readings& readings = characterReadings().of(static_cast<char32_t>(character));
    if (!readings.empty()) syllables.push_back(&readings);
  }
  return syllables;
}

// The typed letters in lower case; empty when the text is no pinyin.
std::string typedLetters(std::string_view typed) {
  std::string letters;
  bool hasLetter = false;
  for (const char c : typed) {
    if (c == ' ' || c == '\'') continue;
    if (!std::isalnum(static_cast<unsigned char>(c))) return {};
    hasLetter = hasLetter || std::isalpha(static_cast<unsigned char>(c));
    letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return hasLetter ? letters : std::string();
}

// Whether the letters from `at` on begin the syllables from `syllable` on;
// `failed` remembers the places already found not to, so that no place is
// tried twice however many readings lead there.
bool beginsAt(const std::vector<const Readings*>& syllables, std::size_t syllable,
              std::string_view typed, std::size_t at, std::vector<bool>& failed) {
  if (at == typed.size()) return true;
  if (syllable == syllables.size()) return false;
  const std::size_t place = syllable * (typed.size() + 1) + at;
  if (failed[place]) return false;
  const std::string_view rest = typed.substr(at);
  for (const std::string& reading : *syllables[syllable]) {
    if (reading.starts_with(rest)) return true;  // the typing ends inside this syllable
    if (rest.starts_with(reading) &&
        beginsAt(syllables, syllable + 1, typed, at + reading.size(), failed)) {
      return true;
    }
    if (rest.front() == reading.front() &&
        beginsAt(syllables, syllable + 1, typed, at + 1, failed)) {
      return true;
    }
  }
  failed[place] = true;
  return false;
}

}  // namespace

void preparePinyinReading() {
  characterReadings().of(U'中');
}

bool pinyinBeginsWith(std::string_view name, std::string_view typed) {
  const std::string letters = typedLetters(typed);
  if (letters.empty()) return false;
  const std::vector<const Readings*> syllables = syllablesOf(name);
  std::vector<bool> failed(syllables.size() * (letters.size() + 1), false);
  return beginsAt(syllables, 0, letters, 0, failed);
}

}  // namespace skyrill
