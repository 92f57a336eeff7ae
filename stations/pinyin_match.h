#pragma once

#include <string_view>

// Place names found by their pinyin, as people type it on a Latin keyboard:
// no tones, no spaces, whole syllables or their first letters.
namespace skyrill {

// True when `typed` spells the start of the name's reading. Each Chinese
// character is one syllable, typed whole or by its first letter, so that
// "ningbo", "nb", "ningb" and "nbo" all begin 宁波; a character read another
// way in place names matches by either reading (长沙 by "changsha" and
// "zhangsha", "cs"). ASCII letters and digits of the name stand for
// themselves; other characters are passed over. The typed text must hold
// letters (any case); spaces and apostrophes in it are ignored. False for a
// typed text with anything else, or with no letter.
bool pinyinBeginsWith(std::string_view name, std::string_view typed);

// Makes ready what reading pinyin needs, which takes a moment the first
// time: for a thread to do before anyone types.
void preparePinyinReading();

}  // namespace skyrill
