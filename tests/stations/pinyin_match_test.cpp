#include "stations/pinyin_match.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "stations/list_search.h"

namespace skyrill {
namespace {

TEST(PinyinMatch, typedLettersBeginTheReadingOfAName) {
  struct Case {
    const char* name;
    const char* typed;
    bool begins;
  } cases[] = {
      // Whole syllables, first letters, and the two mixed.
      {"宁波", "ningbo", true},
      {"宁波", "nb", true},
      {"宁波", "ningb", true},
      {"宁波", "nbo", true},
      {"宁波", "n", true},
      {"宁波", "NingBo", true},
      {"宁波", "ning bo", true},
      {"宁波", "ningbobei", false},
      {"宁波", "bo", false},  // the start of the name, not any part
      {"宁波", "ng", false},  // "g" is no syllable's first letter here
      {"哈尔滨", "haerbin", true},
      {"哈尔滨", "heb", true},
      {"乌鲁木齐", "wlmq", true},
      {"乌鲁木齐", "wulumuqi", true},
      // Place-name readings beside the everyday one.
      {"长沙", "changsha", true},
      {"长沙", "zhangsha", true},
      {"长沙", "cs", true},
      {"厦门", "xiamen", true},
      {"厦门", "xm", true},
      {"重庆", "chongqing", true},
      {"重庆", "zhongqing", true},
      {"六安", "luan", true},
      {"蚌埠", "bengbu", true},
      {"乐清", "yueqing", true},
      {"乐山", "leshan", true},
      {"吴堡", "wubu", true},
      // Letters and digits of the name stand for themselves; the rest is passed over.
      {"A1北京", "a1bj", true},
      {"北京（海淀）", "bjhd", true},
      // Typed texts that are no pinyin.
      {"宁波", "", false},
      {"宁波", "58", false},
      {"宁波", "宁", false},
      {"宁波", "ning-bo", false},
      {"", "n", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pinyinBeginsWith(c.name, c.typed), c.begins) << c.name << " / " << c.typed;
  }
}

// Bytes that are no UTF-8 are passed over, and a long name with many
// readings per character is answered without trying every way through it.
TEST(PinyinMatch, badBytesAndLongNamesAreSafe) {
  EXPECT_TRUE(pinyinBeginsWith("\xff宁\xc3波", "nb"));
  std::string longName;
  for (int i = 0; i < 200; ++i) longName += "长";
  EXPECT_FALSE(pinyinBeginsWith(longName, "ccccccccccccccccccccccccccccccx"));
  EXPECT_TRUE(pinyinBeginsWith(longName, "changzhangcz"));
}

// The lists try characters and numbers first; pinyin finds what they do not.
TEST(PinyinMatch, theListsFindStationsAndProvincesByPinyin) {
  const std::vector<StationEntry> stations = {
      {"58562", "浙江省", "宁海"},
      {"58563", "浙江省", "宁波"},
      {"57687", "湖南省", "长沙"},
  };
  struct Case {
    const char* typed;
    std::optional<std::size_t> row;
  } cases[] = {
      {"ningbo", 1}, {"nb", 1},   {"nh", 0},
      {"n", 0},      {"cs", 2},   {"zhangsha", 2},
      {"585", 0},    {"宁波", 1}, {"xm", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(findStation(stations, c.typed), c.row) << c.typed;

  const std::vector<ProvinceEntry> provinces = {{"AZJ", "浙江省"}, {"AHN", "湖南省"}};
  EXPECT_EQ(findProvince(provinces, "hunan"), 1u);
  EXPECT_EQ(findProvince(provinces, "zj"), 0u);
  EXPECT_EQ(findProvince(provinces, "hb"), std::nullopt);
}

}  // namespace
}  // namespace skyrill
