#include "store/observation_files.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace skyrill {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

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

}  // namespace
}  // namespace skyrill
