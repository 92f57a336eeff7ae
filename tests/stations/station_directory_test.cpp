#include "stations/station_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/store/temp_folder.h"
#include "tests/support/fake_directory_source.h"

namespace skyrill {
namespace {

using test::FakeDirectorySource;
using test::kHunanStations;
using test::kTwoProvinces;
using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

// Notes what the directory asked of the window, one line per call.
struct RecordingView : DirectoryView {
  std::vector<std::string> calls;

  void clearProvinceList() override { calls.push_back("clear provinces"); }
  void clearStationList() override { calls.push_back("clear stations"); }
  void addProvinceItems(const std::vector<std::string>& texts) override {
    calls.push_back("provinces " + joined(texts));
  }
  void addStationItems(const std::vector<std::string>& texts) override {
    calls.push_back("stations " + joined(texts));
  }
  void showFailed() override { calls.push_back("Failed"); }

  static std::string joined(const std::vector<std::string>& texts) {
    std::string line;
    for (const std::string& text : texts) line += (line.empty() ? "" : "|") + text;
    return line;
  }
};

const std::string kHunanItems =
    "stations 株洲 57780（湖南省）|长沙 57687（湖南省）|"
    "长沙黄花 57679（湖南省）|湘潭 57773（湖南省）";

class StationDirectoryTest : public ::testing::Test {
 protected:
  StationDirectoryTest() {
    source.provinceAnswer = kTwoProvinces;
    source.stationAnswers["AHN"] = kHunanStations;
  }

  std::filesystem::path provinceCache() const { return folder / kProvinceCacheName; }
  std::filesystem::path stationCache() const { return folder / kStationCacheName; }

  TempFolder folder;
  FakeDirectorySource source;
  StationDirectory directory{source, folder.path()};
  RecordingView view;
};

TEST_F(StationDirectoryTest, withoutCaches_showsNothingAndAsksNothing) {
  directory.readDirectoryCaches(view);
  EXPECT_TRUE(view.calls.empty());
  EXPECT_TRUE(source.requests.empty());
}

TEST_F(StationDirectoryTest, cachedLists_showProvincesThenStationsWithoutARequest) {
  writeBytes(provinceCache(), kTwoProvinces);
  writeBytes(stationCache(), kHunanStations);
  directory.readDirectoryCaches(view);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"clear provinces", "provinces 北京市|湖南省",
                                                  "clear stations", kHunanItems}));
  EXPECT_TRUE(source.requests.empty());
  ASSERT_EQ(directory.stations().size(), 4u);
  EXPECT_EQ(directory.stations()[1].code, "57687");
}

TEST_F(StationDirectoryTest, downloads_askTheServiceAndRefillTheLists) {
  directory.downloadProvinces(view);
  directory.downloadStations(view, "AHN");
  EXPECT_EQ(source.requests, (std::vector<std::string>{"", "AHN"}));
  EXPECT_EQ(view.calls, (std::vector<std::string>{"clear provinces", "provinces 北京市|湖南省",
                                                  "clear stations", kHunanItems}));
  EXPECT_EQ(directory.provinces()[1].code, "AHN");
}

TEST_F(StationDirectoryTest, refreshedButNotConfirmed_leavesTheCachesAsTheyWere) {
  writeBytes(provinceCache(), "[]");
  writeBytes(stationCache(), "[]");
  directory.readDirectoryCaches(view);
  directory.downloadProvinces(view);
  directory.downloadStations(view, "AHN");
  EXPECT_EQ(readBytes(provinceCache()), "[]");
  EXPECT_EQ(readBytes(stationCache()), "[]");
}

TEST_F(StationDirectoryTest, confirmed_writesBothAnswersByteForByte) {
  // Line ends, blanks and even bytes that are not UTF-8 stay as received.
  const std::string provinces = "[{\"code\":\"AHN\",\r\n \"name\":\"\xFF湖南省\"}]\r\n";
  source.provinceAnswer = provinces;
  directory.downloadProvinces(view);
  directory.downloadStations(view, "AHN");
  directory.writeDirectoryCaches();
  EXPECT_EQ(readBytes(provinceCache()), provinces);
  EXPECT_EQ(readBytes(stationCache()), kHunanStations);
  EXPECT_EQ(testing::entryCount(folder.path()), 2);

  StationDirectory reopened(source, folder.path());
  RecordingView again;
  reopened.readDirectoryCaches(again);
  EXPECT_EQ(again.calls.back(), kHunanItems);
}

TEST_F(StationDirectoryTest, failedDownloads_showFailedEmptyTheListsAndKeepTheEntries) {
  directory.downloadProvinces(view);
  directory.downloadStations(view, "AHN");
  view.calls.clear();

  source.provinceAnswer = "";  // the service is gone
  directory.downloadProvinces(view);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"clear provinces", "Failed"}));
  EXPECT_EQ(directory.provinces().size(), 2u);

  view.calls.clear();
  directory.downloadStations(view, "ABJ");  // answers nothing
  EXPECT_EQ(view.calls, (std::vector<std::string>{"clear stations", "Failed"}));
  EXPECT_EQ(directory.stations().size(), 4u);
}

TEST_F(StationDirectoryTest, anErrorBodyForAnUnknownProvince_listsNothingWithoutFailed) {
  source.stationAnswers["XXX"] = R"({"error":"省份不存在"})";
  directory.downloadStations(view, "XXX");
  EXPECT_EQ(view.calls, (std::vector<std::string>{"clear stations", "stations "}));
}

TEST_F(StationDirectoryTest, unreadableCaches_showFailedAndAreNeverReplacedByNothing) {
  struct Case {
    const char* what;
    void (*make)(const std::filesystem::path& path);
  } cases[] = {
      {"empty file", [](const std::filesystem::path& path) { writeBytes(path, ""); }},
      {"not JSON", [](const std::filesystem::path& path) { writeBytes(path, "<html>"); }},
      {"a folder",
       [](const std::filesystem::path& path) { std::filesystem::create_directory(path); }},
      {"50 MB",
       [](const std::filesystem::path& path) {
         writeBytes(path, "[");
         std::filesystem::resize_file(path, 50u << 20);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder cacheFolder;
    const auto provincePath = cacheFolder / kProvinceCacheName;
    c.make(provincePath);
    writeBytes(cacheFolder / kStationCacheName, kHunanStations);
    const auto before = std::filesystem::status(provincePath).type();
    const auto size = std::filesystem::is_regular_file(provincePath)
                          ? std::filesystem::file_size(provincePath)
                          : 0;

    StationDirectory cached(source, cacheFolder.path());
    RecordingView shown;
    cached.readDirectoryCaches(shown);
    EXPECT_EQ(shown.calls, (std::vector<std::string>{"clear provinces", "Failed", "clear stations",
                                                     kHunanItems}));
    // A station of the cached list is confirmed: the broken province cache
    // stays, it is not overwritten with an answer that was never read.
    cached.writeDirectoryCaches();
    EXPECT_EQ(std::filesystem::status(provincePath).type(), before);
    if (before == std::filesystem::file_type::regular) {
      EXPECT_EQ(std::filesystem::file_size(provincePath), size);
    }
    EXPECT_EQ(readBytes(cacheFolder / kStationCacheName), kHunanStations);
  }
}

TEST_F(StationDirectoryTest, aCacheThatCannotBeReadIsKeptOnConfirmation) {
  if (testing::runningAsRoot()) GTEST_SKIP() << "root reads any file";
  writeBytes(provinceCache(), kTwoProvinces);
  std::filesystem::permissions(provinceCache(), std::filesystem::perms::none);
  writeBytes(stationCache(), kHunanStations);
  directory.readDirectoryCaches(view);
  EXPECT_EQ(view.calls[1], "Failed");
  directory.writeDirectoryCaches();
  std::filesystem::permissions(provinceCache(), std::filesystem::perms::owner_read);
  EXPECT_EQ(readBytes(provinceCache()), kTwoProvinces);
}

}  // namespace
}  // namespace skyrill
