#include "stations/directory_service.h"

#include <gtest/gtest.h>

#include <chrono>

#include "directory_routes.h"
#include "server_thread.h"
#include "stations/directory_lists.h"
#include "tests/net/raw_server.h"
#include "weather_routes.h"

namespace skyrill {
namespace {

TEST(DirectoryService, requestUrlsAreTheBaseAndThePaths) {
  EXPECT_EQ(provinceListUrl("http://www.nmc.cn"), "http://www.nmc.cn/rest/province");
  EXPECT_EQ(stationListUrl("http://www.nmc.cn", "AZJ"), "http://www.nmc.cn/rest/province/AZJ");
  EXPECT_EQ(stationListUrl("http://h:1", "a b/c"), "http://h:1/rest/province/a b/c");
  EXPECT_EQ(DirectoryService(std::string(kDefaultDirectoryAddress)).hostName(), "www.nmc.cn");
}

// The sample service with its bundled directory, on a free port.
class SampleDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    sample::addWeatherRoutes(service_.server(), {}, false);
    sample::addDirectoryRoutes(service_.server());
    base_ = "http://127.0.0.1:" + std::to_string(service_.start("127.0.0.1", 0));
  }

  sample::ServerThread service_{std::make_unique<httplib::Server>()};
  std::string base_;
};

TEST_F(SampleDirectory, listsTheThirtyFourProvincesInOrder) {
  const auto provinces = readProvinceList(DirectoryService(base_).provinceList());
  ASSERT_TRUE(provinces);
  ASSERT_EQ(provinces->size(), 34u);
  EXPECT_EQ(displayText(provinces->front()), "北京市");
  EXPECT_EQ(provinces->front().code, "ABJ");
  EXPECT_EQ((*provinces)[10].code, "AZJ");
  EXPECT_EQ(displayText((*provinces)[10]), "浙江省");
  EXPECT_EQ(provinces->back().code, "ATW");
}

TEST_F(SampleDirectory, everyProvinceHasStationsWithFiveDigitNumbers) {
  DirectoryService service(base_);
  std::size_t total = 0;
  const auto provinces = readProvinceList(service.provinceList());
  ASSERT_TRUE(provinces);
  for (const ProvinceEntry& province : *provinces) {
    const auto stations = readStationList(service.stationList(province.code));
    ASSERT_TRUE(stations) << province.code;
    EXPECT_FALSE(stations->empty()) << province.code;
    for (const StationEntry& station : *stations) {
      EXPECT_EQ(station.code.size(), 5u) << station.code;
      EXPECT_EQ(station.province, province.name);
      EXPECT_FALSE(station.city.empty()) << station.code;
    }
    total += stations->size();
  }
  EXPECT_GT(total, 300u);
}

TEST_F(SampleDirectory, aStationReadsCityNumberAndProvince) {
  const auto stations = readStationList(DirectoryService(base_).stationList("AZJ"));
  ASSERT_TRUE(stations);
  ASSERT_GE(stations->size(), 6u);
  EXPECT_EQ(displayText(stations->front()), "杭州 58457（浙江省）");
  EXPECT_EQ(displayText((*stations)[5]), "柯桥 58453（浙江省）");
}

TEST_F(SampleDirectory, anUnknownProvinceGetsAnErrorBodyThatListsNothing) {
  const std::string answer = DirectoryService(base_).stationList("XXX");
  EXPECT_EQ(answer, R"({"error":"省份不存在"})");
  const auto stations = readStationList(answer);
  ASSERT_TRUE(stations);
  EXPECT_TRUE(stations->empty());
}

TEST(DirectoryService, aDeadOrSilentServiceGivesAnEmptyAnswerWithinTheLimits) {
  const std::string closed = "http://127.0.0.1:" + std::to_string(testing::unusedPort());
  EXPECT_EQ(DirectoryService(closed).provinceList(), "");

  // Takes the request and never answers.
  testing::RawServer silent([](int socket, const std::string&) { testing::waitForClose(socket); });
  const WebLimits quick{std::chrono::seconds{1}, std::chrono::seconds{1}};
  const auto start = std::chrono::steady_clock::now();
  const std::string base = "http://127.0.0.1:" + std::to_string(silent.port());
  EXPECT_EQ(DirectoryService(base, quick).stationList("ABJ"), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ASSERT_EQ(silent.requestHeads().size(), 1u);
  EXPECT_TRUE(silent.requestHeads()[0].starts_with("GET /rest/province/ABJ HTTP/1.1\r\n"));
}

}  // namespace
}  // namespace skyrill
