#include "stations/station_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "tests/store/temp_folder.h"
#include "tests/support/fake_directory_source.h"

namespace skyrill {
namespace {

using test::FakeDirectorySource;
using test::kBeijingStations;
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
  void replaceStationItems(const std::vector<std::string>& texts) override {
    calls.push_back("replace stations " + joined(texts));
  }
  void showFailed() override { calls.push_back("Failed"); }
  void showDownloading(bool running) override {
    calls.push_back(running ? "downloading" : "downloaded");
  }
  void offerCertificate(const ServerCertificate& certificate) override {
    calls.push_back("offer " + certificate.server);
  }
  void showAllStationsProgress(const AllStationsProgress& progress) override {
    calls.push_back("all " + std::to_string(progress.done) + "/" + std::to_string(progress.total) +
                    " failed " + std::to_string(progress.failed) +
                    (progress.finished ? " finished" : ""));
  }

  static std::string joined(const std::vector<std::string>& texts) {
    std::string line;
    for (const std::string& text : texts) line += (line.empty() ? "" : "|") + text;
    return line;
  }
};

// Keeps the work of each download until the test lets it run.
struct SteppedRunner : TaskRunner {
  std::vector<std::pair<std::function<void()>, std::function<void()>>> queued;

  void run(std::function<void()> work, std::function<void()> done) override {
    queued.emplace_back(std::move(work), std::move(done));
  }
  void finishAll() {
    auto waiting = std::move(queued);
    queued.clear();
    for (auto& [work, done] : waiting) {
      work();
      done();
    }
  }
};

const std::string kHunanItems =
    "stations 株洲 57780（湖南省）|长沙 57687（湖南省）|"
    "长沙黄花 57679（湖南省）|湘潭 57773（湖南省）";
using Calls = std::vector<std::string>;
const Calls kDownloading = {"downloading", "downloaded"};

Calls operator+(Calls first, const Calls& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

class StationDirectoryTest : public ::testing::Test {
 protected:
  StationDirectoryTest() {
    source.provinceAnswer = kTwoProvinces;
    source.stationAnswers["AHN"] = kHunanStations;
  }

  std::filesystem::path provinceCache() const { return folder / kProvinceCacheName; }
  std::filesystem::path stationCache() const { return folder / kStationCacheName; }
  std::filesystem::path stationListFile(std::string_view code) const {
    return folder / kStationListFolderName / code;
  }

  TempFolder folder;
  FakeDirectorySource source;
  StationDirectory directory{source, folder.path()};
  RecordingView view;
  InlineRunner runner;
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
  directory.downloadProvinces(view, runner);
  directory.downloadStations(view, runner, "AHN");
  EXPECT_EQ(source.requests, (std::vector<std::string>{"", "AHN"}));
  // The wait is over before the lists change.
  EXPECT_EQ(view.calls, (kDownloading + Calls{"clear provinces", "provinces 北京市|湖南省"} +
                         kDownloading + Calls{"clear stations", kHunanItems}));
  EXPECT_EQ(directory.provinces()[1].code, "AHN");
}

TEST_F(StationDirectoryTest, refreshedButNotConfirmed_leavesTheCachesAsTheyWere) {
  writeBytes(provinceCache(), "[]");
  writeBytes(stationCache(), "[]");
  directory.readDirectoryCaches(view);
  directory.downloadProvinces(view, runner);
  directory.downloadStations(view, runner, "AHN");
  EXPECT_EQ(readBytes(provinceCache()), "[]");
  EXPECT_EQ(readBytes(stationCache()), "[]");
}

TEST_F(StationDirectoryTest, confirmed_writesBothAnswersByteForByte) {
  // Line ends, blanks and even bytes that are not UTF-8 stay as received.
  const std::string provinces = "[{\"code\":\"AHN\",\r\n \"name\":\"\xFF湖南省\"}]\r\n";
  source.provinceAnswer = provinces;
  directory.downloadProvinces(view, runner);
  directory.downloadStations(view, runner, "AHN");
  directory.writeDirectoryCaches();
  EXPECT_EQ(readBytes(provinceCache()), provinces);
  EXPECT_EQ(readBytes(stationCache()), kHunanStations);
  // Beside them only the folder of downloaded station lists.
  EXPECT_EQ(testing::entryCount(folder.path()), 3);
  EXPECT_TRUE(std::filesystem::is_directory(folder / kStationListFolderName));

  StationDirectory reopened(source, folder.path());
  RecordingView again;
  reopened.readDirectoryCaches(again);
  EXPECT_EQ(again.calls.back(), kHunanItems);
}

TEST_F(StationDirectoryTest, failedDownloads_showFailedEmptyTheListsAndKeepTheEntries) {
  directory.downloadProvinces(view, runner);
  directory.downloadStations(view, runner, "AHN");
  view.calls.clear();

  source.provinceAnswer = "";  // the service is gone
  directory.downloadProvinces(view, runner);
  EXPECT_EQ(view.calls, (kDownloading + Calls{"clear provinces", "Failed"}));
  EXPECT_EQ(directory.provinces().size(), 2u);

  view.calls.clear();
  directory.downloadStations(view, runner, "ABJ");  // answers nothing
  EXPECT_EQ(view.calls, (kDownloading + Calls{"clear stations", "Failed"}));
  EXPECT_EQ(directory.stations().size(), 4u);
}

// A list refused over the server's certificate offers the certificate after
// "Failed", where a trusted one can be kept; a refusal a cancelled download
// left is not offered by the next one.
TEST_F(StationDirectoryTest, aRefusedCertificate_isOfferedAfterFailed) {
  ServerCertificate certificate;
  certificate.server = "directory.test:443";
  source.refusing = certificate;
  directory.downloadProvinces(view, runner);
  EXPECT_EQ(view.calls, (kDownloading + Calls{"clear provinces", "Failed"}));

  std::vector<std::string> kept;
  directory.setCertificateKeeper([&kept](const ServerCertificate& trusted) {
    kept.push_back(trusted.server);
    return true;
  });
  view.calls.clear();
  directory.downloadStations(view, runner, "AHN");
  EXPECT_EQ(view.calls,
            (kDownloading + Calls{"clear stations", "Failed", "offer directory.test:443"}));
  EXPECT_TRUE(directory.keepCertificate(certificate));
  EXPECT_EQ(kept, (std::vector<std::string>{"directory.test:443"}));

  SteppedRunner stepped;
  directory.downloadProvinces(view, stepped);
  stepped.queued.front().first();  // refused, then cancelled before its end
  directory.cancelDownload();
  source.refusing.reset();
  source.provinceAnswer = "";
  view.calls.clear();
  directory.downloadProvinces(view, runner);
  EXPECT_EQ(view.calls, (kDownloading + Calls{"clear provinces", "Failed"}));
}

TEST_F(StationDirectoryTest, anErrorBodyForAnUnknownProvince_listsNothingWithoutFailed) {
  source.stationAnswers["XXX"] = R"({"error":"省份不存在"})";
  directory.downloadStations(view, runner, "XXX");
  EXPECT_EQ(view.calls, (kDownloading + Calls{"clear stations", "stations "}));
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

TEST_F(StationDirectoryTest, aDownloadChangesTheListsOnlyWhenItEnds) {
  SteppedRunner stepped;
  directory.downloadProvinces(view, stepped);
  EXPECT_TRUE(directory.downloading());
  EXPECT_EQ(view.calls, Calls{"downloading"});
  directory.downloadStations(view, stepped, "AHN");  // downloads never overlap
  EXPECT_EQ(stepped.queued.size(), 1u);

  stepped.finishAll();
  EXPECT_FALSE(directory.downloading());
  EXPECT_EQ(view.calls, (kDownloading + Calls{"clear provinces", "provinces 北京市|湖南省"}));
}

TEST_F(StationDirectoryTest, aCancelledDownload_changesNeitherListsNorCaches) {
  writeBytes(provinceCache(), kTwoProvinces);
  writeBytes(stationCache(), kHunanStations);
  directory.readDirectoryCaches(view);
  view.calls.clear();
  source.provinceAnswer = "[]";
  source.stationAnswers["ABJ"] = kBeijingStations;

  SteppedRunner stepped;
  const std::function<void()> downloads[] = {
      [&] { directory.downloadProvinces(view, stepped); },
      [&] { directory.downloadStations(view, stepped, "ABJ"); },
  };
  for (const auto& download : downloads) {
    download();
    EXPECT_TRUE(directory.cancelDownload());
    EXPECT_FALSE(directory.downloading());
    EXPECT_FALSE(directory.cancelDownload());
    stepped.finishAll();  // the answer comes in after all
  }
  EXPECT_EQ(view.calls, kDownloading + kDownloading);
  EXPECT_EQ(directory.provinces().size(), 2u);
  EXPECT_EQ(directory.stations()[0].code, "57780");
  EXPECT_FALSE(directory.findStation("北京"));
  directory.writeDirectoryCaches();
  EXPECT_EQ(readBytes(provinceCache()), kTwoProvinces);
  EXPECT_EQ(readBytes(stationCache()), kHunanStations);
  EXPECT_FALSE(std::filesystem::exists(stationListFile("ABJ")));
}

TEST_F(StationDirectoryTest, aDownloadOutlivingItsDirectory_endsUnseen) {
  SteppedRunner stepped;
  {
    StationDirectory shortLived(source, folder.path());
    shortLived.downloadProvinces(view, stepped);
  }
  stepped.finishAll();
  EXPECT_EQ(view.calls, Calls{"downloading"});
}

TEST_F(StationDirectoryTest, everyStationListWithStations_isKeptInAFileOfItsProvince) {
  source.stationAnswers["ABJ"] = kBeijingStations;
  source.stationAnswers["XXX"] = R"({"error":"省份不存在"})";
  directory.downloadStations(view, runner, "AHN");
  directory.downloadStations(view, runner, "ABJ");
  directory.downloadStations(view, runner, "XXX");  // reads as no stations
  directory.downloadStations(view, runner, "AZJ");  // fails
  // A later error answer does not replace a good list.
  source.stationAnswers["AHN"] = R"({"error":"忙"})";
  directory.downloadStations(view, runner, "AHN");

  EXPECT_EQ(readBytes(stationListFile("AHN")), kHunanStations);
  EXPECT_EQ(readBytes(stationListFile("ABJ")), kBeijingStations);
  EXPECT_EQ(testing::entryCount(folder / kStationListFolderName), 2);
  // The confirmed pair waits for a confirmation, as before.
  EXPECT_FALSE(std::filesystem::exists(provinceCache()));
  EXPECT_FALSE(std::filesystem::exists(stationCache()));
}

TEST_F(StationDirectoryTest, provinceCodesFromTheNetwork_nameFilesOnlyInsideTheFolder) {
  TempFolder root;
  const std::filesystem::path program = root / "program";
  std::filesystem::create_directory(program);
  StationDirectory placed(source, program);
  const std::string codes[] = {"../escaped",
                               "../../escaped",
                               "..",
                               ".",
                               "a/b",
                               "a\\b",
                               std::string("a\0b", 3),
                               (root / "absolute").string(),
                               "%2E%2E"};
  for (const std::string& code : codes) {
    source.stationAnswers[code] = kHunanStations;
    placed.downloadStations(view, runner, code);
  }
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path())) {
    if (!entry.is_regular_file()) continue;
    EXPECT_EQ(entry.path().parent_path(), program / kStationListFolderName) << entry.path();
    ++files;
  }
  EXPECT_EQ(files, static_cast<int>(std::size(codes)));
}

// Three provinces, each with its stations downloaded; Hunan's on screen.
class StationSearchTest : public StationDirectoryTest {
 protected:
  StationSearchTest() {
    source.provinceAnswer = R"([{"code":"ABJ","name":"北京市"},{"code":"AHN","name":"湖南省"},)"
                            R"({"code":"ASH","name":"上海市"}])";
    source.stationAnswers["ABJ"] = kBeijingStations;
    source.stationAnswers["ASH"] = R"([{"code":"58362","province":"上海市","city":"宝山"},)"
                                   R"({"code":"58367","province":"上海市","city":"Hangtou"}])";
    directory.downloadProvinces(view, runner);
    for (const char* code : {"ABJ", "ASH", "AHN"}) directory.downloadStations(view, runner, code);
    view.calls.clear();
  }
};

TEST_F(StationSearchTest, theListOnScreenFirst_thenHeldProvincesInTheirOrder) {
  struct Case {
    const char* typed;
    std::optional<StationFound> found;
  } cases[] = {
      {"长沙", StationFound{{}, 1}},  // on screen, by city
      {"5768", StationFound{{}, 1}},  // on screen, by number
      {"5", StationFound{{}, 0}},     // the list on screen before the others
      {"HA", StationFound{0, 1}},     // Beijing's Haidian before Shanghai's Hangtou
      {"54511", StationFound{0, 0}},  //
      {"宝", StationFound{2, 0}},     //
      {"58367", StationFound{2, 1}},  //
      {"湖南", std::nullopt},         // provinces are not searched for
      {"广州", std::nullopt},         //
      {"", std::nullopt},             //
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const std::optional<StationFound> found = directory.findStation(c.typed);
    ASSERT_EQ(found.has_value(), c.found.has_value());
    if (!found) continue;
    EXPECT_EQ(found->province, c.found->province);
    EXPECT_EQ(found->station, c.found->station);
  }
  EXPECT_TRUE(view.calls.empty()) << "finding shows nothing";
}

TEST_F(StationSearchTest, aHeldProvinceShowsLikeADownload_andIsConfirmedLikeOne) {
  directory.showHeldStations(view, 0);
  EXPECT_EQ(view.calls, std::vector<std::string>{
                            "replace stations 北京 54511（北京市）|Haidian 54399（北京市）"});
  EXPECT_EQ(directory.stations()[1].code, "54399");
  // Hunan is no longer on screen and is searched among the held ones.
  const auto found = directory.findStation("湘潭");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->province, 1u);
  EXPECT_EQ(found->station, 3u);

  directory.writeDirectoryCaches();
  EXPECT_EQ(readBytes(stationCache()), kBeijingStations);
}

TEST_F(StationSearchTest, aBrokenStationListFile_isPassedOverWithoutFailed) {
  writeBytes(stationListFile("ABJ"), "<html>");
  StationDirectory reopened(source, folder.path());
  reopened.downloadProvinces(view, runner);
  view.calls.clear();
  EXPECT_FALSE(reopened.findStation("54511"));
  EXPECT_TRUE(reopened.findStation("58367"));
  EXPECT_TRUE(view.calls.empty());
}

TEST_F(StationSearchTest, listsNotShown_areNotSearched) {
  EXPECT_EQ(directory.findProvince("湖"), 1u);
  EXPECT_EQ(directory.findProvince("上海市"), 2u);
  EXPECT_FALSE(directory.findProvince("广东"));

  source.provinceAnswer = "";  // the refresh fails and empties both lists
  directory.downloadProvinces(view, runner);
  EXPECT_FALSE(directory.findProvince("湖"));
  EXPECT_FALSE(directory.findStation("长沙"));
  EXPECT_FALSE(directory.findStation("54511"));
}

TEST_F(StationDirectoryTest, theConfirmedStationList_countsAsHeldForItsProvince) {
  writeBytes(provinceCache(), kTwoProvinces);
  writeBytes(stationCache(), kHunanStations);
  directory.readDirectoryCaches(view);
  source.stationAnswers["ABJ"] = kBeijingStations;
  directory.downloadStations(view, runner, "ABJ");

  const auto found = directory.findStation("湘潭");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->province, 1u);
  EXPECT_EQ(found->station, 3u);
  EXPECT_FALSE(std::filesystem::exists(stationListFile("AHN"))) << "held, not downloaded";
}

}  // namespace
}  // namespace skyrill

namespace skyrill {
namespace {

// Every province's stations, one request after another, without touching
// the lists on screen; a province that gives no list counts as failed.
TEST_F(StationDirectoryTest, allStations_askEachProvinceInTurnAndHoldTheirLists) {
  source.provinceAnswer = R"([{"code":"ABJ","name":"北京市"},{"code":"AHN","name":"湖南省"},)"
                          R"({"code":"AXX","name":"无站点"}])";
  source.stationAnswers["ABJ"] = kBeijingStations;
  source.stationAnswers["AXX"] = R"({"error":"忙"})";
  writeBytes(stationCache(), kHunanStations);
  directory.downloadProvinces(view, runner);
  view.calls.clear();

  SteppedRunner stepped;
  directory.downloadAllStations(view, stepped);
  for (int step = 0; step < 3; ++step) {
    ASSERT_EQ(stepped.queued.size(), 1u) << "one request at a time";
    stepped.finishAll();
  }
  EXPECT_TRUE(stepped.queued.empty());
  EXPECT_EQ(source.requests, (std::vector<std::string>{"", "ABJ", "AHN", "AXX"}));
  EXPECT_EQ(view.calls, (Calls{"downloading", "all 0/3 failed 0", "all 1/3 failed 0",
                               "all 2/3 failed 0", "all 3/3 failed 1 finished", "downloaded"}));
  EXPECT_FALSE(directory.downloading());
  EXPECT_TRUE(directory.stations().empty()) << "the station list on screen stays";
  EXPECT_EQ(readBytes(stationListFile("AHN")), kHunanStations);
  const auto found = directory.findStation("湘潭");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->province, 1u);
  // The confirmed caches wait for a confirmation, as after any download.
  EXPECT_EQ(readBytes(stationCache()), kHunanStations);
  EXPECT_FALSE(std::filesystem::exists(provinceCache()));
}

TEST_F(StationDirectoryTest, allStations_withoutProvincesAskForThemFirst) {
  directory.downloadAllStations(view, runner);
  EXPECT_EQ(source.requests, (std::vector<std::string>{"", "ABJ", "AHN"}));
  EXPECT_EQ(view.calls,
            (Calls{"downloading", "clear provinces", "provinces 北京市|湖南省", "all 0/2 failed 0",
                   "all 1/2 failed 1", "all 2/2 failed 1 finished", "downloaded"}));

  // A province list that fails ends the run at once.
  view.calls.clear();
  source.provinceAnswer = "";
  StationDirectory fresh(source, folder.path());
  fresh.downloadAllStations(view, runner);
  EXPECT_EQ(view.calls, (Calls{"downloading", "clear provinces", "Failed",
                               "all 0/0 failed 0 finished", "downloaded"}));
}

TEST_F(StationDirectoryTest, allStations_stopWhenCancelledKeepingWhatCameIn) {
  source.stationAnswers["ABJ"] = kBeijingStations;
  directory.downloadProvinces(view, runner);
  view.calls.clear();
  SteppedRunner stepped;
  directory.downloadAllStations(view, stepped);
  stepped.finishAll();  // Beijing
  ASSERT_EQ(stepped.queued.size(), 1u);
  EXPECT_TRUE(directory.cancelDownload());
  stepped.finishAll();  // Hunan's answer comes in after all
  EXPECT_TRUE(stepped.queued.empty());
  EXPECT_FALSE(directory.downloading());
  EXPECT_EQ(view.calls,
            (Calls{"downloading", "all 0/2 failed 0", "all 1/2 failed 0", "downloaded"}));
  EXPECT_TRUE(std::filesystem::exists(stationListFile("ABJ")));
  EXPECT_FALSE(std::filesystem::exists(stationListFile("AHN")));
  // A later run starts afresh.
  directory.downloadAllStations(view, runner);
  EXPECT_TRUE(std::filesystem::exists(stationListFile("AHN")));
}

}  // namespace
}  // namespace skyrill
