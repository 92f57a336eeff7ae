#include "store/observation_files.h"

#include <gtest/gtest.h>

#include <ctime>

#include "store/history_archive.h"
#include "temp_folder.h"

namespace skyrill {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

std::chrono::system_clock::time_point localTime(int year, int month, int day, int hour, int minute,
                                                int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

QueryRequest request(QueryMode mode, std::string station, std::string year, std::string month,
                     std::string day, bool advanced = false) {
  QueryRequest r;
  r.mode = mode;
  r.stationNumber = std::move(station);
  r.year = std::move(year);
  r.month = std::move(month);
  r.day = std::move(day);
  r.advancedSource = advanced;
  return r;
}

TEST(SuggestedFileName, EncodesModeStationSourceAndDate) {
  const auto now = localTime(2020, 7, 20, 20, 15, 30);
  const auto H = QueryMode::History;
  const auto T = QueryMode::Today;
  struct Case {
    QueryRequest request;
    const char* expected;
  } cases[] = {
      {request(H, "58453", "2020", "7", "20"), "0_58453_0_20200720.json"},
      {request(H, "58453", "2019", "12", "5", true), "0_58453_1_20191205.json"},
      {request(T, "58453", "2019", "1", "1"), "1_58453_0_20200720_201530.json"},
      {request(T, "58453", "2019", "1", "1", true), "1_58453_1_20200720_201530.json"},
      {request(H, "", "2020", "07", "05"), "0__0_20200705.json"},
      {request(H, "123", "", "", ""), "0_123_0_00000000.json"},
      {request(H, "../a/b\\c", "2020", "7", "20"), "0_.._a_b_c_0_20200720.json"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(makeSuggestedFileName(c.request, now), c.expected);
  }
}

TEST(FileNameOfPath, TakesWhatFollowsTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/b/0_58453_0_20200720.json", "0_58453_0_20200720.json"},
      {"C:\\x\\1_1_0_2.json", "1_1_0_2.json"},
      {"a\\b/c", "c"},
      {"plain.json", "plain.json"},
      {"folder/", ""},
      {"", ""},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(fileNameOfPath(path), name) << path;
}

TEST(EnsureFolderPath, CreatesEveryMissingLevel) {
  TempFolder folder;
  EXPECT_TRUE(ensureFolderPath(folder / "History/2020/x"));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "History/2020/x"));
  EXPECT_TRUE(ensureFolderPath(folder / "History"));  // already there

  writeBytes(folder / "file", "x");
  EXPECT_FALSE(ensureFolderPath(folder / "file"));
  EXPECT_FALSE(ensureFolderPath(folder / "file/sub"));
  EXPECT_EQ(readBytes(folder / "file"), "x");
}

TEST(DayFiles, WriteAndReadBytesExactly) {
  TempFolder folder;
  const std::string bytes("{\"res\":[]}\r\n\x00\xFF\xE4\xBD\xA0", 17);
  EXPECT_TRUE(writeDayFile(folder / "a.json", bytes));
  EXPECT_EQ(readDayFile(folder / "a.json"), bytes);
  EXPECT_TRUE(writeDayFile(folder / "a.json", "new"));
  EXPECT_EQ(readDayFile(folder / "a.json"), "new");
}

TEST(DayFiles, UnreadableFileGivesNoBytes) {
  TempFolder folder;
  EXPECT_EQ(readDayFile(folder / "missing.json"), "");
  EXPECT_EQ(readDayFile(folder.path()), "");
}

TEST(DayFiles, noBytes_writesNothingAndKeepsTheOldFile) {
  TempFolder folder;
  writeBytes(folder / "a.json", "old");
  EXPECT_FALSE(writeDayFile(folder / "a.json", ""));
  EXPECT_FALSE(writeDayFile(folder / "b.json", ""));
  EXPECT_EQ(readBytes(folder / "a.json"), "old");
  EXPECT_FALSE(std::filesystem::exists(folder / "b.json"));
}

TEST(DayFiles, FailedWriteLeavesTheTargetAlone) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "a.json");
  EXPECT_FALSE(writeDayFile(folder / "a.json", "x"));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "a.json"));
  EXPECT_FALSE(writeDayFile(folder / "missing" / "a.json", "x"));
  EXPECT_EQ(testing::entryCount(folder.path()), 1);
}

TEST(CanSaveDay, NeedsANameAndBytes) {
  QueryState state;
  EXPECT_FALSE(canSaveDay(state));
  state.suggestedFileName = "0_1_0_20200720.json";
  EXPECT_FALSE(canSaveDay(state));  // a failed fetch emptied the bytes
  state.responseBytes = "{}";
  EXPECT_TRUE(canSaveDay(state));
  state.suggestedFileName.clear();
  EXPECT_FALSE(canSaveDay(state));
}

class HistoryArchiveTest : public ::testing::Test {
 protected:
  // What the pipeline does after a fetch: name the day, then offer it for saving.
  void fetched(const QueryRequest& r, std::string_view bytes) {
    archive.autoSave(r, archive.suggestFileName(r), bytes);
  }

  TempFolder folder;
  HistoryArchive archive{folder.path(), [] { return localTime(2020, 7, 20, 20, 15, 30); }};
  const QueryRequest pastDay = request(QueryMode::History, "58453", "2020", "7", "20");
  const std::filesystem::path pastDayFile = folder / "History/2020/0_58453_0_20200720.json";
};

TEST_F(HistoryArchiveTest, NamesWithItsClock) {
  EXPECT_EQ(archive.suggestFileName(request(QueryMode::Today, "58453", "2019", "1", "1")),
            "1_58453_0_20200720_201530.json");
}

TEST_F(HistoryArchiveTest, autoSaveOff_writesNothing) {
  fetched(pastDay, "{}");
  EXPECT_EQ(testing::entryCount(folder.path()), 0);
}

TEST_F(HistoryArchiveTest, todayGoesToTheYearOfTheList) {
  archive.setAutoSave(true);
  fetched(request(QueryMode::Today, "58453", "2019", "1", "1"), "today");
  EXPECT_EQ(readBytes(folder / "History/2019/1_58453_0_20200720_201530.json"), "today");
}

TEST_F(HistoryArchiveTest, sameDayTwice_replacesTheFile) {
  archive.setAutoSave(true);
  fetched(pastDay, "first");
  fetched(pastDay, "second");
  EXPECT_EQ(readBytes(pastDayFile), "second");
  EXPECT_EQ(testing::entryCount(folder / "History/2020"), 1);
}

TEST_F(HistoryArchiveTest, deletedHistory_isCreatedAgain) {
  archive.setAutoSave(true);
  fetched(pastDay, "a");
  std::filesystem::remove_all(folder / "History");
  fetched(pastDay, "b");
  EXPECT_EQ(readBytes(pastDayFile), "b");
}

TEST_F(HistoryArchiveTest, noBytes_keepsTheEarlierFile) {
  archive.setAutoSave(true);
  fetched(pastDay, "good");
  fetched(pastDay, "");
  EXPECT_EQ(readBytes(pastDayFile), "good");
}

TEST_F(HistoryArchiveTest, separatorsNeverLeaveTheYearFolder) {
  archive.setAutoSave(true);
  fetched(request(QueryMode::History, "/../../x", "../..", "7", "20"), "a");
  EXPECT_EQ(readBytes(folder / "History/.._../0__.._.._x_0_00000720.json"), "a");
  EXPECT_EQ(testing::entryCount(folder.path()), 1);
}

}  // namespace
}  // namespace skyrill
