#include "archive/history_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <iterator>
#include <system_error>

#include "store/observation_files.h"
#include "tests/store/temp_folder.h"

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

TEST(ReadableDayName, joinsWhatIsKnownAndKeepsTheFileInItsFolder) {
  EXPECT_EQ(readableDayName("哈尔滨", "50953", "2024-01-20"), "哈尔滨_50953_2024-01-20");
  EXPECT_EQ(readableDayName("", "50953", "2024-01-20"), "50953_2024-01-20");
  EXPECT_EQ(readableDayName("a/b", "..\\x", ""), "a_b_.._x");
  EXPECT_EQ(readableDayName("", "", ""), "skyrill");
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

// What the range fetcher and day browsing ask of the archive.
TEST(HistoryArchiveLookup, PastDaysAndPeriodsOfAStation) {
  TempFolder folder;
  const HistoryArchive archive = HistoryArchive::inFolder(folder.path());
  const auto put = [&](const char* relative, const char* bytes) {
    std::filesystem::create_directories((folder / relative).parent_path());
    writeBytes(folder / relative, bytes);
  };
  put("2024/0_54511_0_20240101.json", "past");
  put("2024/1_54511_0_20240102_080000.json", "today at 8");
  put("2024/1_54511_0_20240102_200000.json", "today at 20");
  put("2024/0_54511_1_20240103.json", "advanced");
  put("2024/0_57083_0_20240104.json", "another station");
  put("2023/1_54511_0_20240105_100000.json", "a new year's day, saved under the old year");
  put("2024/0_54511_0_20240105.json", "the same day, once over");
  put("2024/notes.txt", "not a day");

  EXPECT_EQ(archive.pastDayFile("54511", 20240101, false), folder / "2024/0_54511_0_20240101.json");
  EXPECT_TRUE(archive.holdsPastDay("54511", 20240101, false));
  EXPECT_FALSE(archive.holdsPastDay("54511", 20240101, true));
  EXPECT_FALSE(archive.holdsPastDay("54511", 20240102, false));  // only current-day files
  EXPECT_TRUE(archive.holdsPastDay("54511", 20240103, true));

  std::vector<std::string> days;
  for (const ArchivedDay& day : archive.daysInPeriod("54511", 20240101, 20240105)) {
    days.push_back(readBytes(day.file));
  }
  EXPECT_EQ(days, (std::vector<std::string>{"past", "today at 20", "advanced",
                                            "the same day, once over"}));
  EXPECT_EQ(archive.daysInPeriod("54511", 20240102, 20240102).size(), 1u);
  EXPECT_TRUE(archive.daysInPeriod("54511", 20250101, 20251231).empty());
}

// A day saved by the archive replaces the old one whole and leaves nothing
// beside it.
TEST(HistoryArchiveLookup, SaveWritesWholeFilesWhereTheyAreLookedFor) {
  TempFolder folder;
  const HistoryArchive archive = HistoryArchive::inFolder(folder / "History");
  EXPECT_TRUE(archive.save("2024", "0_54511_0_20240101.json", "first"));
  EXPECT_TRUE(archive.save("2024", "0_54511_0_20240101.json", "second"));
  EXPECT_TRUE(archive.holdsPastDay("54511", 20240101, false));
  EXPECT_EQ(readBytes(archive.pastDayFile("54511", 20240101, false)), "second");
  EXPECT_EQ(testing::entryCount(folder / "History/2024"), 1);
  EXPECT_FALSE(archive.save("2024", "0_54511_0_20240102.json", ""));
}

// Folders come and go while a summary walks them: one gone by the time it is
// listed is named and the walk goes on past it; a link to a day that is gone
// is a file to report, not one to drop.
TEST(ObservationFileWalk, goesOnPastWhatIsGoneAndNamesIt) {
  TempFolder folder;
  for (const char* file :
       {"2019/0_57083_0_20190705.json", "2019/gone/0_57083_0_20190706.json", "2020/gone/lost.json",
        "2020/deep/0_57083_0_20200101.json", "2020/notes.txt"}) {
    std::filesystem::create_directories((folder / file).parent_path());
    writeBytes(folder / file, "{}");
  }
  std::filesystem::create_symlink(folder / "nowhere.json", folder / "2020/0_57083_0_20200102.json");
  // A real folder removed between its parent's listing and its own.
  const FolderLister vanishing = [](const std::filesystem::path& path, std::error_code& error) {
    if (path.filename() == "gone") std::filesystem::remove_all(path);
    return listFolder(path, error);
  };

  const ObservationFileWalk walk = walkObservationFiles({folder.path()}, vanishing);
  EXPECT_EQ(walk.files.paths(),
            (std::vector<std::filesystem::path>{folder / "2019/0_57083_0_20190705.json",
                                                folder / "2020/0_57083_0_20200102.json",
                                                folder / "2020/deep/0_57083_0_20200101.json"}));
  ASSERT_EQ(walk.unread.size(), 2u);
  for (const UnreadEntry& entry : walk.unread)
    EXPECT_EQ(entry.error, std::errc::no_such_file_or_directory) << entry.path;
  EXPECT_EQ(walk.unread[0].path, folder / "2019/gone");
  EXPECT_EQ(walk.unread[1].path, folder / "2020/gone");
  EXPECT_TRUE(walk.missing.empty());
}

// Files come in the order of their paths, part by part, as a sort of the
// paths would give them: "a/z.json" before "a-b.json" though "/" is after "-"
// as a byte, and what an argument inside another holds is found twice.
TEST(ObservationFileWalk, givesFilesInPathOrderWhateverTheArgumentsOrder) {
  TempFolder folder;
  const std::vector<std::string> all = {
      "a/z.json",     "a-b.json", "a.json", "a/b/c.json",
      "a/b-c/d.json", "b.json",   "A.json", "a/0_1_0_20190705.json",
      "a/b/c/d.json", "a b.json"};
  for (const std::string& file : all) {
    std::filesystem::create_directories((folder / file).parent_path());
    writeBytes(folder / file, "{}");
  }
  const auto pathsOf = [&folder](const std::vector<std::string>& names) {
    std::vector<std::filesystem::path> paths;
    for (const std::string& name : names)
      paths.push_back(name.empty() ? folder.path() : folder / name);
    return paths;
  };
  const auto with = [](std::vector<std::string> files, const std::vector<std::string>& more) {
    files.insert(files.end(), more.begin(), more.end());
    return files;
  };
  const struct {
    std::vector<std::string> arguments;  // "" for the folder itself
    std::vector<std::string> found;      // each time it is found
  } cases[] = {
      {{""}, all},
      {{"b.json", "a"},
       {"b.json", "a/z.json", "a/b/c.json", "a/b-c/d.json", "a/0_1_0_20190705.json",
        "a/b/c/d.json"}},
      {{"a/b", "", "a-b.json"}, with(all, {"a/b/c.json", "a/b/c/d.json", "a-b.json"})},
  };
  for (const auto& c : cases) {
    std::vector<std::filesystem::path> expected = pathsOf(c.found);
    std::sort(expected.begin(), expected.end());
    const ObservationFileWalk walk = walkObservationFiles(pathsOf(c.arguments));
    EXPECT_EQ(walk.files.paths(), expected) << c.arguments.size() << " arguments";
  }
}

// A found file keeps its path as it was given, letter for letter, with its
// name apart.
TEST(FoundFiles, keepPathsAsGivenAndTellTheirNames) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"day.json", "day.json"},
      {"./History/2019/0_57083_0_20190705.json", "0_57083_0_20190705.json"},
      {"/abs//double/x.json", "x.json"},
      {"History/2019/0_57083_0_20190706.json", "0_57083_0_20190706.json"},
      {"Copy/名字 with space.json", "名字 with space.json"},
      {"History/2019/0_57083_0_20190705.json", "0_57083_0_20190705.json"},
  };
  std::vector<std::filesystem::path> paths;
  for (const auto& c : cases) paths.push_back(c.path);
  const FoundFiles found(paths);
  ASSERT_EQ(found.size(), std::size(cases));
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found.pathText(i), cases[i].path);
    EXPECT_EQ(found.name(i), cases[i].name);
  }
  FoundFiles sorted = found;
  sorted.sortByPath();
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(sorted.paths(), paths);
}

}  // namespace
}  // namespace skyrill
