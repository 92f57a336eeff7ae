// Moving what one place holds into another by name: nothing overwritten,
// nothing lost, and a move cut short finished by the next one.
#include "store/folder_merge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "tests/store/cut_merge_steps.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using testing::CutMergeSteps;
using testing::filesBelow;
using testing::TempFolder;
using testing::writeBytes;

// Writes a file with its folders, fetched `age` before now.
void writeDay(const fs::path& file, const std::string& bytes, std::chrono::seconds age = {}) {
  fs::create_directories(file.parent_path());
  writeBytes(file, bytes);
  fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(1) - age);
}

// Day files merge by name whether they are renamed or copied across file
// systems: a free name takes the file, the same bytes are dropped, other
// bytes are kept beside the later fetch; a folder the program made empty is
// no obstacle.
TEST(FolderMerge, DaysMergeByNameAndNoneIsLost) {
  for (const bool across : {false, true}) {
    SCOPED_TRACE(across ? "across file systems" : "on one file system");
    TempFolder folder;
    const fs::path old = folder / "old/History";
    const fs::path now = folder / "new/History";
    using std::chrono::seconds;
    writeDay(old / "2023/z.json", "Z");
    writeDay(old / "2024/a.json", "A");
    writeDay(old / "2024/b.json", "B");
    writeDay(now / "2024/b.json", "B");
    writeDay(old / "2024/c.json", "C fetched later");
    writeDay(now / "2024/c.json", "C fetched first", seconds(10));
    writeDay(old / "2024/d.json", "D fetched first", seconds(10));
    writeDay(now / "2024/d.json", "D fetched later");
    writeDay(old / "2024/e.json", "E fetched first", seconds(10));
    writeDay(now / "2024/e.json", "E fetched later");
    writeDay(now / "2024/e (older copy).json", "E fetched once more");
    fs::create_directories(now / "2025");
    const auto laterFetch = fs::last_write_time(old / "2024/c.json");

    CutMergeSteps steps;
    steps.acrossFileSystems = across;
    EXPECT_EQ(mergeInto(old, now, steps), std::nullopt);
    const std::map<std::string, std::string> expected = {
        {"2023/z.json", "Z"},
        {"2024/a.json", "A"},
        {"2024/b.json", "B"},
        {"2024/c.json", "C fetched later"},
        {"2024/c (older copy).json", "C fetched first"},
        {"2024/d.json", "D fetched later"},
        {"2024/d (older copy).json", "D fetched first"},
        {"2024/e.json", "E fetched later"},
        {"2024/e (older copy).json", "E fetched once more"},
        {"2024/e (older copy 2).json", "E fetched first"},
    };
    EXPECT_EQ(filesBelow(now), expected);
    EXPECT_EQ(fs::last_write_time(now / "2024/c.json"), laterFetch);
    EXPECT_FALSE(fs::exists(old));
  }
}

// Ten days in the old place.
std::map<std::string, std::string> tenDaysIn(const fs::path& history) {
  std::map<std::string, std::string> days;
  for (int day = 10; day < 20; ++day) {
    const std::string name = "2024/0_54511_0_202401" + std::to_string(day) + ".json";
    days[name] = "{\"day\":" + std::to_string(day) + "}";
    writeDay(history / name, days[name]);
  }
  return days;
}

// A disk that fills half-way stops the move with its cause; every day is
// still somewhere, whole, and the next move, with room, finishes it.
TEST(FolderMerge, FullDiskStopsTheMoveAndTheNextOneFinishesIt) {
  TempFolder folder;
  const fs::path old = folder / "old/History";
  const fs::path now = folder / "new/History";
  const auto days = tenDaysIn(old);
  fs::create_directories(now);  // made by the program, empty

  CutMergeSteps full;
  full.acrossFileSystems = true;
  full.copiesBeforeFull = 4;
  const std::optional<MergeProblem> problem = mergeInto(old, now, full);
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(problem->error, std::error_code(ENOSPC, std::generic_category()));
  EXPECT_EQ(problem->entry, now / "2024/0_54511_0_20240114.json");
  std::map<std::string, std::string> everywhere = filesBelow(old);
  everywhere.merge(filesBelow(now));
  EXPECT_EQ(everywhere, days);
  EXPECT_EQ(filesBelow(now).size(), 4u);

  CutMergeSteps roomy;
  roomy.acrossFileSystems = true;
  EXPECT_EQ(mergeInto(old, now, roomy), std::nullopt);
  EXPECT_EQ(filesBelow(now), days);
  EXPECT_FALSE(fs::exists(old));
}

// Killed while the old copies were being removed, the move is finished by
// the next one, which removes only old files whose bytes the new place
// holds: a copy that differs keeps the old file beside it.
TEST(FolderMerge, KillDuringTheRemovalIsFinishedNextTimeRemovingOnlyWholeCopies) {
  TempFolder folder;
  const fs::path old = folder / "old/History";
  const fs::path now = folder / "new/History";
  const auto days = tenDaysIn(old);

  CutMergeSteps killed;
  killed.acrossFileSystems = true;
  killed.removalsBeforeKill = 3;
  EXPECT_THROW(mergeInto(old, now, killed), testing::Killed);
  // The fourth day was copied but not removed; its copy is then spoilt.
  const std::string spoilt = "2024/0_54511_0_20240113.json";
  ASSERT_TRUE(fs::exists(old / spoilt));
  writeBytes(now / spoilt, "{\"da");

  CutMergeSteps again;
  again.acrossFileSystems = true;
  EXPECT_EQ(mergeInto(old, now, again), std::nullopt);
  EXPECT_FALSE(fs::exists(old));
  std::map<std::string, std::string> expected = days;
  expected[spoilt] = "{\"da";
  expected["2024/0_54511_0_20240113 (older copy).json"] = days.at(spoilt);
  EXPECT_EQ(filesBelow(now), expected);
}

}  // namespace
}  // namespace skyrill
