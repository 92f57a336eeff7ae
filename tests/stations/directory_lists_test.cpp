#include "stations/directory_lists.h"

#include <gtest/gtest.h>

#include <string>

namespace skyrill {
namespace {

std::vector<std::string> codesOf(const std::vector<ProvinceEntry>& provinces) {
  std::vector<std::string> codes;
  for (const ProvinceEntry& province : provinces) codes.push_back(province.code);
  return codes;
}

TEST(DirectoryLists, displayTexts) {
  EXPECT_EQ(displayText(ProvinceEntry{"AZJ", "浙江省"}), "浙江省");
  EXPECT_EQ(displayText(StationEntry{"58453", "浙江省", "柯桥"}), "柯桥 58453（浙江省）");
  EXPECT_EQ(displayText(StationEntry{"58453", "", ""}), " 58453（）");
}

TEST(DirectoryLists, readingStopsAtTheFirstElementWithoutACode) {
  struct Case {
    std::string answer;
    std::vector<std::string> codes;
  } cases[] = {
      {R"([{"code":"A0"},{"code":"A1"},{"code":"A2"},{"code":"A3"},{"code":"A4"},)"
       R"({"name":"no code"},{"code":"A6"}])",
       {"A0", "A1", "A2", "A3", "A4"}},
      {R"([{"name":"no code"},{"code":"A1"}])", {}},
      {R"([{"code":""},{"code":"A1"}])", {}},
      {R"([{"code":null},{"code":"A1"}])", {}},
      {R"([{"code":"A0"},"not an object",{"code":"A2"}])", {"A0"}},
      {R"([{"code":"A0"}])", {"A0"}},
      {R"([{"code":58457},{"code":true}])", {"58457", "true"}},
      {"[]", {}},
      {R"({"code":"A0"})", {}},  // an object is no list
      {R"({"error":"省份不存在"})", {}},
      {"\"text\"", {}},
  };
  for (const Case& c : cases) {
    const auto provinces = readProvinceList(c.answer);
    ASSERT_TRUE(provinces) << c.answer;
    EXPECT_EQ(codesOf(*provinces), c.codes) << c.answer;
  }
}

TEST(DirectoryLists, answersThatAreNotJsonGiveNoList) {
  for (std::string answer : {"", " ", "<html>404</html>", "[{\"code\":\"A0\"}", "null",
                             "[{\"code\":\"A0\"}] trailing"}) {
    EXPECT_FALSE(readProvinceList(answer)) << answer;
    EXPECT_FALSE(readStationList(answer)) << answer;
  }
}

TEST(DirectoryLists, missingMembersGiveEmptyTextsAndOthersAreIgnored) {
  const auto provinces = readProvinceList(R"([{"code":"ABJ","url":"/x"},{"code":"AZJ"}])");
  ASSERT_TRUE(provinces);
  ASSERT_EQ(provinces->size(), 2u);
  EXPECT_EQ((*provinces)[0].name, "");

  const auto stations = readStationList(
      R"([{"code":"54511","city":"北京"},{"code":"54399","province":"北京市","url":"/y"}])");
  ASSERT_TRUE(stations);
  ASSERT_EQ(stations->size(), 2u);
  EXPECT_EQ(displayText((*stations)[0]), "北京 54511（）");
  EXPECT_EQ(displayText((*stations)[1]), " 54399（北京市）");
}

TEST(DirectoryLists, awkwardTextsArriveAsText) {
  // Quotes and control characters come through unescaped; invalid UTF-8
  // becomes U+FFFD; a NUL byte ends the answer as the platform's text does.
  const auto stations = readStationList(
      "[{\"code\":\"1\",\"province\":\"\\\"引号\\\"\",\"city\":\"a\\tb\\u0001\"},"
      "{\"code\":\"2\",\"city\":\"\xFF\xFE\"}]");
  ASSERT_TRUE(stations);
  ASSERT_EQ(stations->size(), 2u);
  EXPECT_EQ((*stations)[0].province, "\"引号\"");
  EXPECT_EQ((*stations)[0].city, "a\tb\x01");
  EXPECT_EQ((*stations)[1].city, "\uFFFD\uFFFD");

  EXPECT_FALSE(readStationList(std::string("[{\"code\":\"1\"}\0]", 15)));
}

TEST(DirectoryLists, aHundredThousandElementsAreCutToTheLongestList) {
  std::string answer = "[";
  for (int i = 0; i < 100000; ++i) {
    answer += R"({"code":")" + std::to_string(10000 + i) + R"(","province":"省","city":"市"},)";
  }
  answer.back() = ']';
  const auto stations = readStationList(answer);
  ASSERT_TRUE(stations);
  ASSERT_EQ(stations->size(), kMaxListEntries);
  EXPECT_EQ(stations->back().code, std::to_string(10000 + kMaxListEntries - 1));
}

}  // namespace
}  // namespace skyrill
