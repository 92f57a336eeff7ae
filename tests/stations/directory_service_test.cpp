#include "stations/directory_service.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/cancel_flag.h"
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
  const auto provinces = readProvinceList(DirectoryService(base_).provinceList(nullptr));
  ASSERT_TRUE(provinces);
  ASSERT_EQ(provinces->size(), 34u);
  EXPECT_EQ(displayText(provinces->front()), "北京市");
  EXPECT_EQ(provinces->front().code, "ABJ");
  EXPECT_EQ((*provinces)[10].code, "AZJ");
  EXPECT_EQ(displayText((*provinces)[10]), "浙江省");
  EXPECT_EQ(provinces->back().code, "ATW");
}

// One request of the province list, told in a line; a changed address
// takes the next request there.
TEST_F(SampleDirectory, aProbeSaysWhatTheDirectoryAnswered) {
  const std::string dead = "http://127.0.0.1:" + std::to_string(testing::unusedPort());
  EXPECT_EQ(probeDirectory(base_), "站点目录 " + base_ + "：连接成功，共 34 个省份。");
  EXPECT_EQ(probeDirectory(dead), "站点目录：服务器 " + dead + "：连接被拒绝。");
  EXPECT_EQ(probeDirectory(base_ + "/api/weather/1"),
            "站点目录：服务器 " + base_ + "：HTTP 404：未找到。");

  DirectoryService service(dead);
  EXPECT_EQ(service.provinceList(nullptr), "");
  service.setBaseAddress(base_);
  EXPECT_EQ(service.hostName(), "127.0.0.1");
  EXPECT_TRUE(readProvinceList(service.provinceList(nullptr)));
}

TEST_F(SampleDirectory, everyProvinceHasStationsWithFiveDigitNumbers) {
  DirectoryService service(base_);
  std::size_t total = 0;
  const auto provinces = readProvinceList(service.provinceList(nullptr));
  ASSERT_TRUE(provinces);
  for (const ProvinceEntry& province : *provinces) {
    const auto stations = readStationList(service.stationList(province.code, nullptr));
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
  const auto stations = readStationList(DirectoryService(base_).stationList("AZJ", nullptr));
  ASSERT_TRUE(stations);
  ASSERT_GE(stations->size(), 6u);
  EXPECT_EQ(displayText(stations->front()), "杭州 58457（浙江省）");
  EXPECT_EQ(displayText((*stations)[5]), "柯桥 58453（浙江省）");
}

TEST_F(SampleDirectory, anUnknownProvinceGetsAnErrorBodyThatListsNothing) {
  const std::string answer = DirectoryService(base_).stationList("XXX", nullptr);
  EXPECT_EQ(answer, R"({"error":"省份不存在"})");
  const auto stations = readStationList(answer);
  ASSERT_TRUE(stations);
  EXPECT_TRUE(stations->empty());
}

TEST(DirectoryService, aDeadOrSilentServiceGivesAnEmptyAnswerWithinTheLimits) {
  const std::string closed = "http://127.0.0.1:" + std::to_string(testing::unusedPort());
  EXPECT_EQ(DirectoryService(closed).provinceList(nullptr), "");

  // Takes the request and never answers.
  testing::RawServer silent([](int socket, const std::string&) { testing::waitForClose(socket); });
  const WebLimits quick{std::chrono::seconds{1}, std::chrono::seconds{1}};
  const auto start = std::chrono::steady_clock::now();
  const std::string base = "http://127.0.0.1:" + std::to_string(silent.port());
  EXPECT_EQ(DirectoryService(base, quick).stationList("ABJ", nullptr), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ASSERT_EQ(silent.requestHeads().size(), 1u);
  EXPECT_TRUE(silent.requestHeads()[0].starts_with("GET /rest/province/ABJ HTTP/1.1\r\n"));
}

std::string baseOf(testing::RawServer& server) {
  return "http://127.0.0.1:" + std::to_string(server.port());
}

TEST(DirectoryService, sendsNoHeaderLinesOfItsOwn) {
  testing::RawServer server([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n[]");
  });
  DirectoryService service(baseOf(server));
  EXPECT_EQ(service.provinceList(nullptr), "[]");
  EXPECT_EQ(service.stationList("ABJ", nullptr), "[]");
  const std::vector<std::string> heads = server.requestHeads();
  ASSERT_EQ(heads.size(), 2u);
  for (const std::string& head : heads) {
    for (const char* line : {"\r\nAccept:", "\r\nReferer:", "\r\nAccept-Language:"}) {
      EXPECT_EQ(head.find(line), std::string::npos) << line << " in\n" << head;
    }
  }
}

// A service that sends a few bytes a second never stalls; the total limit
// ends the request, and what came until then is no answer.
TEST(DirectoryService, aDrippingServiceIsCutOffByTheTotalLimit) {
  EXPECT_EQ(DirectoryService::kLimits.totalTimeout, std::chrono::seconds(15));
  testing::RawServer dripping([](int socket, const std::string&) {
    if (!testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n")) return;
    // Four bytes a second, until the client hangs up or a minute has passed.
    for (int i = 0; i < 240 && testing::sendAll(socket, "["); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
  });
  WebLimits limits = DirectoryService::kLimits;
  limits.totalTimeout = std::chrono::milliseconds(1500);
  EXPECT_EQ(DirectoryService(baseOf(dripping), limits).provinceList(nullptr), "");
}

TEST(DirectoryService, aRaisedCancelFlagEndsTheRequestWithoutAnAnswer) {
  testing::RawServer server([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n[]");
  });
  CancelFlag cancelled;
  cancelled.cancel();
  DirectoryService service(baseOf(server));
  EXPECT_EQ(service.provinceList(&cancelled), "");
  EXPECT_EQ(service.stationList("ABJ", &cancelled), "");
}

}  // namespace
}  // namespace skyrill
