#include "archive/day_walk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <sstream>

#include "archive/history_archive.h"
#include "archive/summary_csv.h"
#include "core/calendar_date.h"
#include "core/csv_text.h"
#include "store/observation_files.h"
#include "tests/archive/generated_archive.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;

const fs::path kDayData = fs::path(SKYRILL_TEST_DATA_DIR) / "day";

// A History tree with every kind of duplicate: the same name in two folders,
// a current day saved at two times, a current day and its past-day file; a
// second station, a file that is no answer and one that is no observation file.
class SummaryTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string past = readBytes(kDayData / "0_57083_0_20190705.json");
    const std::string today = readBytes(kDayData / "1_57083_0_20190705_130500.json");
    const auto start = fs::file_time_type::clock::now() - std::chrono::hours(24);
    put("History/2019/0_57083_0_20190705.json", past, start);
    put("Copy/0_57083_0_20190705.json", past, start + std::chrono::hours(1));
    // The fetch time in the name counts before the modification time.
    put("History/2019/1_57083_0_20190706_130500.json", today, start);
    put("History/2019/1_57083_0_20190706_090000.json", today, start + std::chrono::hours(1));
    put("History/2019/0_57083_0_20190707.json", past, start);
    put("History/2019/1_57083_0_20190707_235900.json", today, start + std::chrono::hours(1));
    put("History/2024/0_54511_0_20240120.json", readBytes(kDayData / "0_54511_0_20240120.json"),
        start);
    put("History/2024/0_54511_0_20240121.json", readBytes(kDayData / "0_not_json.json"), start);
    put("History/2024/notes.txt", "not a day", start);
  }

  void put(const std::string& name, const std::string& bytes, fs::file_time_type modified) {
    fs::create_directories((folder_ / name).parent_path());
    testing::writeBytes(folder_ / name, bytes);
    fs::last_write_time(folder_ / name, modified);
  }

  // "station date file" of each row, the file relative to the tree.
  std::vector<std::string> rowsOf(const SummaryTable& table) const {
    std::vector<std::string> rows;
    for (const SummaryRow& row : table.rows) {
      rows.push_back(row.station + " " + dateText(row.date) + " " +
                     fs::path(row.file).lexically_relative(folder_.path()).string());
    }
    return rows;
  }

  SummaryTable build(const SummaryFilter& filter, unsigned threads = 1) const {
    std::vector<fs::path> missing;
    SummaryOptions options;
    options.filter = filter;
    options.threads = threads;
    options.readFile = [](const fs::path& path) { return readBytes(path); };
    return buildSummaryTable(findObservationFiles({folder_.path()}, missing), options);
  }

  testing::TempFolder folder_;
};

TEST_F(SummaryTableTest, keepsTheLaterFetchOfEachStationDayInStationAndDateOrder) {
  const std::vector<std::string> expected = {
      "54511 2024-01-20 History/2024/0_54511_0_20240120.json",
      "57083 2019-07-05 Copy/0_57083_0_20190705.json",
      "57083 2019-07-06 History/2019/1_57083_0_20190706_130500.json",
      "57083 2019-07-07 History/2019/0_57083_0_20190707.json",
  };
  for (const unsigned threads : {1u, 3u}) {
    const SummaryTable table = build({}, threads);
    EXPECT_EQ(rowsOf(table), expected) << threads << " threads";
    ASSERT_EQ(table.skipped.size(), 1u);
    EXPECT_EQ(table.skipped[0].file, (folder_ / "History/2024/0_54511_0_20240121.json").string());
    EXPECT_TRUE(table.skipped[0].message.starts_with("获取失败！")) << table.skipped[0].message;
  }
}

TEST_F(SummaryTableTest, filterTakesStationAndPeriod) {
  const struct {
    const char* station;
    int from;
    int to;
    std::vector<std::string> days;  // "station date"
    std::size_t skipped;            // files the filter leaves out are not read
  } cases[] = {
      {"54511", 0, 0, {"54511 2024-01-20"}, 1},
      {"57083", 0, 0, {"57083 2019-07-05", "57083 2019-07-06", "57083 2019-07-07"}, 0},
      {"", 20190706, 20190707, {"57083 2019-07-06", "57083 2019-07-07"}, 0},
      {"", 20190707, 0, {"54511 2024-01-20", "57083 2019-07-07"}, 1},
      {"", 0, 20190705, {"57083 2019-07-05"}, 0},
      {"99999", 0, 0, {}, 0},
  };
  for (const auto& c : cases) {
    const SummaryTable table = build({c.station, c.from, c.to});
    std::vector<std::string> days;
    for (const std::string& row : rowsOf(table)) days.push_back(row.substr(0, row.rfind(' ')));
    EXPECT_EQ(days, c.days) << c.station << " " << c.from << " " << c.to;
    EXPECT_EQ(table.skipped.size(), c.skipped) << c.station << " " << c.from << " " << c.to;
  }
}

TEST_F(SummaryTableTest, missingFoldersAreNamedAndSingleFilesCount) {
  std::vector<fs::path> missing;
  const auto files = findObservationFiles(
      {folder_ / "nowhere", folder_ / "Copy/0_57083_0_20190705.json", folder_ / "History/2024"},
      missing);
  EXPECT_EQ(missing, std::vector<fs::path>{folder_ / "nowhere"});
  EXPECT_EQ(files, (std::vector<fs::path>{folder_ / "Copy/0_57083_0_20190705.json",
                                          folder_ / "History/2024/0_54511_0_20240120.json",
                                          folder_ / "History/2024/0_54511_0_20240121.json"}));
}

// A file found by the walk may change before it is read; its report says
// what it became, as the window's would, not that it was empty.
TEST(SummaryOfChangedFiles, reportsWhatAFileBecameAfterItWasFound) {
  testing::TempFolder folder;
  const struct {
    const char* name;
    void (*change)(const fs::path&);
    const char* note;
  } cases[] = {
      {"0_57083_0_20190701.json", [](const fs::path& file) { fs::remove(file); }, "文件不存在"},
      {"0_57083_0_20190702.json",
       [](const fs::path& file) {
         fs::remove(file);
         fs::create_directory(file);
       },
       "这是一个文件夹，不是文件"},
      {"0_57083_0_20190703.json", [](const fs::path& file) { testing::writeBytes(file, ""); },
       "文件是空的"},
  };
  for (const auto& c : cases)
    testing::writeBytes(folder / c.name, readBytes(kDayData / "0_57083_0_20190705.json"));
  std::vector<fs::path> missing;
  const std::vector<fs::path> files = findObservationFiles({folder.path()}, missing);
  for (const auto& c : cases) c.change(folder / c.name);
  SummaryOptions options;
  options.readFile = readDayFile;

  const SummaryTable table = buildSummaryTable(files, options);
  EXPECT_TRUE(table.rows.empty());
  ASSERT_EQ(table.skipped.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string note = std::string("文件“") + cases[i].name + "”：" + cases[i].note + "。";
    EXPECT_TRUE(table.skipped[i].message.ends_with(note)) << table.skipped[i].message;
  }
}

// Of a station-day only the file that counts is read: the others would not
// change the row.
TEST_F(SummaryTableTest, readsOfEachDayOnlyTheFileThatCounts) {
  std::vector<fs::path> missing;
  std::set<std::string> read;
  std::mutex readMutex;
  SummaryOptions options;
  options.threads = 2;
  options.readFile = [&](const fs::path& path) {
    const std::lock_guard lock(readMutex);
    read.insert(path.lexically_relative(folder_.path()).string());
    return readBytes(path);
  };
  buildSummaryTable(findObservationFiles({folder_.path()}, missing), options);
  EXPECT_EQ(read,
            (std::set<std::string>{
                "Copy/0_57083_0_20190705.json", "History/2019/1_57083_0_20190706_130500.json",
                "History/2019/0_57083_0_20190707.json", "History/2024/0_54511_0_20240120.json",
                "History/2024/0_54511_0_20240121.json"}));
}

// A file of a station-day as a case writes it.
struct DayFile {
  const char* name;
  std::string bytes;
  int hour;  // of its modification time
};

// When the file that counts cannot be read, it is reported and the fetch
// before it stays, as if the other had never been.
TEST(SummaryOfDayFetchedTwice, theFetchBeforeStaysWhenTheLaterCannotBeRead) {
  const std::string day = readBytes(kDayData / "0_57083_0_20190705.json");
  const std::string today = readBytes(kDayData / "1_57083_0_20190705_130500.json");
  const struct {
    const char* what;
    std::vector<DayFile> files;
    const char* row;  // "" for none
    std::vector<std::string> skipped;
  } cases[] = {
      {"a later copy that is no answer",
       {{"a/0_57083_0_20190705.json", day, 1}, {"b/0_57083_0_20190705.json", "no answer", 2}},
       "a/0_57083_0_20190705.json",
       {"b/0_57083_0_20190705.json"}},
      {"two copies written at once: the later in the list",
       {{"a/0_57083_0_20190705.json", day, 1}, {"b/0_57083_0_20190705.json", day, 1}},
       "b/0_57083_0_20190705.json",
       {}},
      {"the later of two fetch times that is empty",
       {{"1_57083_0_20190705_130500.json", "", 1}, {"1_57083_0_20190705_090000.json", today, 2}},
       "1_57083_0_20190705_090000.json",
       {"1_57083_0_20190705_130500.json"}},
      {"the past day's file that is no answer",
       {{"0_57083_0_20190705.json", "{}", 1}, {"1_57083_0_20190705_090000.json", today, 2}},
       "1_57083_0_20190705_090000.json",
       {"0_57083_0_20190705.json"}},
      {"no file that can be read",
       {{"a/0_57083_0_20190705.json", "x", 1}, {"b/0_57083_0_20190705.json", "y", 2}},
       "",
       {"b/0_57083_0_20190705.json", "a/0_57083_0_20190705.json"}},
  };
  const auto start = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (const auto& c : cases) {
    testing::TempFolder folder;
    for (const DayFile& file : c.files) {
      fs::create_directories((folder / file.name).parent_path());
      testing::writeBytes(folder / file.name, file.bytes);
      fs::last_write_time(folder / file.name, start + std::chrono::hours(file.hour));
    }
    std::vector<fs::path> missing;
    SummaryOptions options;
    options.readFile = [](const fs::path& path) { return readBytes(path); };
    const SummaryTable table =
        buildSummaryTable(findObservationFiles({folder.path()}, missing), options);
    const auto relative = [&folder](const std::string& file) {
      return fs::path(file).lexically_relative(folder.path()).string();
    };
    std::vector<std::string> rows;
    for (const SummaryRow& row : table.rows) rows.push_back(relative(row.file));
    EXPECT_EQ(rows, std::string(c.row).empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{c.row})
        << c.what;
    std::vector<std::string> skipped;
    for (const SkippedFile& file : table.skipped) skipped.push_back(relative(file.file));
    EXPECT_EQ(skipped, c.skipped) << c.what;
  }
}

// Rows go on while later days are still to be read: a long summary holds a
// few hundred of them at a time, not all.
TEST(StreamedSummary, handsRowsOnBeforeTheLastDaysAreRead) {
  testing::TempFolder folder;
  const std::string day = readBytes(kDayData / "0_57083_0_20190705.json");
  constexpr int kDays = 1000;
  const std::chrono::sys_days first = std::chrono::year(2001) / std::chrono::January / 1;
  for (int i = 0; i < kDays; ++i) {
    const std::chrono::year_month_day date(first + std::chrono::days(i));
    const int number = static_cast<int>(date.year()) * 10000 +
                       static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
                       static_cast<int>(static_cast<unsigned>(date.day()));
    testing::writeBytes(folder / ("0_57083_0_" + std::to_string(number) + ".json"), day);
  }
  for (const unsigned threads : {1u, 2u, 4u}) {
    std::atomic<int> reads{0};
    SummaryOptions options;
    options.threads = threads;
    options.readFile = [&reads](const fs::path& path) {
      ++reads;
      return readBytes(path);
    };
    int readsAtFirstRow = -1;
    int rows = 0;
    std::string lastDate;
    const SummarySink sink{[&](SummaryRow&& row) {
                             if (rows++ == 0) readsAtFirstRow = reads;
                             EXPECT_LT(lastDate, dateText(row.date)) << "rows by date";
                             lastDate = dateText(row.date);
                           },
                           [](SkippedFile&& file) { ADD_FAILURE() << file.file; }};
    streamSummaryTable(walkObservationFiles({folder.path()}).files, options, sink);
    EXPECT_EQ(rows, kDays);
    EXPECT_LT(readsAtFirstRow, kDays / 2) << threads << " threads";
  }
}

// The lines of a summary whose station and date the filter takes, as the
// summary writes them.
std::string filteredSummary(const std::string& lines, const SummaryFilter& filter,
                            const fs::path& archive) {
  std::istringstream in(lines);
  std::string csv(kUtf8ByteOrderMark);
  std::string line;
  std::getline(in, line);
  csv += line + "\r\n";
  while (std::getline(in, line)) {
    std::istringstream cells(line);
    std::string file, mode, station, date;
    std::getline(cells, file, ',');
    std::getline(cells, mode, ',');
    std::getline(cells, station, ',');
    std::getline(cells, date, ',');
    if (!filter.takes(station, readDateNumber(date).value_or(0))) continue;
    csv += line.replace(0, std::string_view("<archive>").size(), archive.string()) + "\r\n";
  }
  return csv;
}

// Three stations over the turn of a year, with days fetched twice in every
// way and files named by hand, give the bytes they gave before the summary
// learned to stream: with any number of threads, through any filter, made
// whole or row by row.
TEST(GeneratedArchiveSummary, givesTheBytesOfTheSummaryBeforeItStreamed) {
  testing::TempFolder folder;
  testing::makeGeneratedArchive(folder.path());
  const std::string golden = readBytes(testing::generatedArchiveSummary());
  ASSERT_FALSE(golden.empty());
  const ObservationFileWalk walk = walkObservationFiles({folder.path()});
  const struct {
    unsigned threads;
    SummaryFilter filter;
  } cases[] = {
      {1, {}},
      {2, {}},
      {3, {}},
      {0, {}},
      {1, {"54511", 0, 0}},
      {2, {"59287", 0, 0}},                // with the days that have no date
      {2, {"", 20231231, 20240104}},       // across the year's end
      {1, {"", 0, 20231226}},              // days without a date are before any
      {3, {"50953", 20240102, 20240110}},  // a file named by hand
  };
  for (const auto& c : cases) {
    const std::string expected = filteredSummary(golden, c.filter, folder.path());
    SummaryOptions options;
    options.filter = c.filter;
    options.threads = c.threads;
    options.readFile = readDayFile;
    const SummaryTable table = buildSummaryTable(walk.files.paths(), options);
    EXPECT_EQ(summaryCsv(table.rows), expected) << c.threads << " threads";

    std::string streamed = summaryCsvHead();
    std::vector<std::string> skipped;
    const SummarySink sink{[&streamed](SummaryRow&& row) { streamed += summaryCsvLine(row); },
                           [&skipped](SkippedFile&& file) { skipped.push_back(file.file); }};
    streamSummaryTable(walk.files, options, sink);
    EXPECT_EQ(streamed, expected) << c.threads << " threads";
    if (c.filter.station.empty() && c.filter.from == 0 && c.filter.to == 0) {
      EXPECT_EQ(skipped,
                (std::vector<std::string>{(folder / "Hand/notes.json").string(),
                                          (folder / "Broken/0_50953_0_20231226.json").string()}));
    }
  }
}

}  // namespace
}  // namespace skyrill
