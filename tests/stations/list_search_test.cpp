#include "stations/list_search.h"

#include <gtest/gtest.h>

namespace skyrill {
namespace {

TEST(ListSearch, prefixesIgnoreTheCaseOfAsciiLettersOnly) {
  struct Case {
    const char* text;
    const char* prefix;
    bool begins;
  } cases[] = {
      {"Haidian", "hAI", true}, {"Haidian", "", true}, {"Hai", "Haidian", false},
      {"北京", "北", true},     {"北京", "京", false}, {"Élan", "élan", false},
      {"a[", "A[", true},       {"a{", "A[", false},  // '[' and '{' differ by the case bit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(beginsWithIgnoringCase(c.text, c.prefix), c.begins) << c.text << " / " << c.prefix;
  }
}

TEST(ListSearch, aStationIsFoundByItsTextBeforeItsNumber) {
  const std::vector<StationEntry> stations = {
      {"20001", "省", "Alpha"},
      {"10001", "省", "2号站"},
      {"20002", "省", "Beta"},
  };
  struct Case {
    const char* typed;
    std::optional<std::size_t> row;
  } cases[] = {
      {"2", 1},           // the city "2号站" before the number 20001
      {"20", 0},          //
      {"2000", 0},        //
      {"20002", 2},       //
      {"beta", 2},        //
      {"Beta 20002", 2},  // the display text goes on past the city
      {"Beta 2（", std::nullopt},
      {"30", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(findStation(stations, c.typed), c.row) << c.typed;
  }
}

TEST(ListSearch, aProvinceIsFoundByTheBeginningOfItsName) {
  const std::vector<ProvinceEntry> provinces = {{"ANM", "内蒙古自治区"}, {"ANX", "宁夏回族自治区"}};
  EXPECT_EQ(findProvince(provinces, "内蒙"), 0u);
  EXPECT_EQ(findProvince(provinces, "宁"), 1u);
  EXPECT_EQ(findProvince(provinces, "自治区"), std::nullopt);
  EXPECT_EQ(findProvince(provinces, ""), std::nullopt);
}

}  // namespace
}  // namespace skyrill
