#include "stations/cache_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace skyrill {
namespace {

TEST(CacheFiles, aProvinceCodeGivesOneFileNameWithoutPathCharacters) {
  struct Case {
    std::string code;
    std::optional<std::string> name;
  } cases[] = {
      {"ABJ", "ABJ"},
      {"a-b_9", "a-b_9"},
      {"..", "%2E%2E"},
      {".", "%2E"},
      {"../x", "%2E%2E%2Fx"},
      {"a\\b", "a%5Cb"},
      {std::string("a\0b", 3), "a%00b"},
      {"%2E", "%252E"},  // an encoded name is no other code's name
      {"北京", "%E5%8C%97%E4%BA%AC"},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(stationListFileName(c.code), c.name) << c.code;
  }
}

}  // namespace
}  // namespace skyrill
