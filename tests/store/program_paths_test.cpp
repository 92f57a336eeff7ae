// Where the program keeps its own files.
#include "store/program_paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/store/cut_merge_steps.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

using testing::TempFolder;

// Sets or unsets an environment variable for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ProgramPaths, programFileIsTheRunningExecutable) {
  EXPECT_EQ(programFilePath().filename(), "store_tests");
  EXPECT_EQ(programDirectory(), programFilePath().parent_path());
}

// The XDG folders of one user, with nothing in them yet.
class UserFolders {
 public:
  UserFolders()
      : home_("HOME", (folder_ / "home").string()),
        config_("XDG_CONFIG_HOME", std::nullopt),
        data_("XDG_DATA_HOME", (folder_ / "data").string()),
        cache_("XDG_CACHE_HOME", std::nullopt) {
    std::filesystem::create_directories(folder_ / "home");
  }
  std::filesystem::path operator/(std::string_view name) const { return folder_ / name; }

 private:
  TempFolder folder_;
  ScopedVariable home_, config_, data_, cache_;
};

// One decision for every program: portable beside the program when a
// settings file stands there or it runs from its build tree, never in a
// prefix's "bin"; else the user's configuration, data and cache folders.
TEST(ProgramPlaces, PortableBesideTheProgramElseTheUsersFolders) {
  const UserFolders user;
  const std::filesystem::path settingsBeside = user / "unpacked";
  std::filesystem::create_directories(settingsBeside);
  testing::writeBytes(settingsBeside / "Stormbook.ini", "");
  const std::filesystem::path buildTree = user / "build/app";
  std::filesystem::create_directories(buildTree / "CMakeFiles");
  const std::filesystem::path prefixBin = user / "prefix/bin";
  std::filesystem::create_directories(prefixBin);
  testing::writeBytes(prefixBin / "Stormbook.ini", "");  // left there by an earlier version
  const std::filesystem::path bare = user / "bare";
  const struct {
    const char* what;
    std::filesystem::path programDir;
    bool portable;
  } cases[] = {{"settings beside", settingsBeside, true},
               {"build tree", buildTree, true},
               {"a prefix's bin", prefixBin, false},
               {"nothing beside", bare, false}};
  for (const auto& c : cases) {
    const ProgramPlaces places = programPlaces(c.programDir);
    EXPECT_EQ(places.portable, c.portable) << c.what;
    if (c.portable) {
      EXPECT_EQ(places.settingsFile, c.programDir / "Stormbook.ini") << c.what;
      EXPECT_EQ(places.dataFolder, c.programDir) << c.what;
      EXPECT_EQ(places.cacheFolder, c.programDir) << c.what;
    } else {
      EXPECT_EQ(places.settingsFile, user / "home/.config/skyrill/Stormbook.ini") << c.what;
      EXPECT_EQ(places.dataFolder, user / "data/skyrill") << c.what;
      EXPECT_EQ(places.cacheFolder, user / "home/.cache/skyrill") << c.what;
    }
  }
}

// Writes a file with its folders, written `age` before now.
void writeAged(const std::filesystem::path& file, std::string_view bytes,
               std::chrono::seconds age = {}) {
  std::filesystem::create_directories(file.parent_path());
  testing::writeBytes(file, bytes);
  std::filesystem::last_write_time(
      file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1) - age);
}

// What an earlier version kept in the data folder or beside a program in a
// prefix's bin is moved where it now belongs, merged by name into what is
// there: a History the program made empty is no obstacle, and of two
// different settings files the later is used and the other kept beside it.
TEST(ProgramPlaces, EarlierFilesMoveInAndNothingIsLost) {
  const UserFolders user;
  const std::filesystem::path prefixBin = user / "prefix/bin";
  writeAged(prefixBin / "History/2024/0_54511_0_20240101.json", "day");
  writeAged(prefixBin / "skyrill_Bug.log", "report");
  writeAged(prefixBin / "Stormbook.ini", "older", std::chrono::seconds(60));
  writeAged(user / "data/skyrill/Stormbook.ini", "[Stormbook]\nSite=54511\n");
  writeAged(user / "data/skyrill/ProvinceData", "[]");
  std::filesystem::create_directories(user / "data/skyrill/History/2024");

  ProgramPlaces places = programPlaces(prefixBin);
  const PreparedPlaces prepared = preparePlaces(places, prefixBin);
  EXPECT_TRUE(prepared.settingsKept);
  EXPECT_FALSE(prepared.earlierFilesLeft.has_value());
  EXPECT_EQ(testing::readBytes(places.settingsFile), "[Stormbook]\nSite=54511\n");
  EXPECT_EQ(testing::readBytes(places.settingsFile.parent_path() / "Stormbook (older copy).ini"),
            "older");
  EXPECT_EQ(testing::readBytes(places.cacheFolder / "ProvinceData"), "[]");
  EXPECT_EQ(testing::readBytes(places.dataFolder / "History/2024/0_54511_0_20240101.json"), "day");
  EXPECT_EQ(testing::readBytes(places.dataFolder / "skyrill_Bug.log"), "report");
  EXPECT_EQ(testing::entryCount(prefixBin), 0);
}

// A move the disk cannot hold stops with where the days still are and why,
// in the window's words and the tools'; the next start finishes it.
TEST(ProgramPlaces, MoveCutShortIsToldAndFinishedNextTime) {
  const UserFolders user;
  const std::filesystem::path prefixBin = user / "prefix/bin";
  for (int day = 10; day < 16; ++day) {
    writeAged(prefixBin / ("History/2024/0_54511_0_202401" + std::to_string(day) + ".json"), "day");
  }
  const ProgramPlaces places = programPlaces(prefixBin);
  testing::CutMergeSteps full;
  full.acrossFileSystems = true;
  full.copiesBeforeFull = 2;
  const auto left = moveEarlierFiles(places, prefixBin, full);
  ASSERT_TRUE(left.has_value());
  EXPECT_EQ(left->oldPlace, prefixBin / "History");
  EXPECT_EQ(left->newPlace, places.dataFolder / "History");
  const std::filesystem::path stuck = places.dataFolder / "History/2024/0_54511_0_20240112.json";
  EXPECT_EQ(earlierFilesLeftMessage(*left),
            "上一版本保存的文件未能全部移到新的位置，尚未移动的仍在：\r\n" +
                (prefixBin / "History").string() + "\r\n原因：磁盘空间不足（" + stuck.string() +
                "）\r\n新的位置：" + (places.dataFolder / "History").string() +
                "\r\n程序每次启动时都会再试，直到全部移好。");
  EXPECT_EQ(earlierFilesLeftLine("skyrill-fetch", *left),
            "skyrill-fetch: an earlier version's files are still in " +
                (prefixBin / "History").string() + ", not all moved to " +
                (places.dataFolder / "History").string() + ": " + stuck.string() +
                ": no space left on the device; each start tries again");

  EXPECT_FALSE(moveEarlierFiles(places, prefixBin).has_value());
  EXPECT_EQ(testing::filesBelow(places.dataFolder / "History").size(), 6u);
  EXPECT_FALSE(std::filesystem::exists(prefixBin / "History"));
}

// Without a home folder, or with a HOME that names no folder, the user's
// places are unknown: nothing is made in HOME's name, nothing lands in the
// current folder, what an earlier version left beside the program stays,
// and the settings are not kept.
TEST(ProgramPlaces, WithoutAHomeNothingIsMadeThereNorHere) {
  for (const bool homeSet : {false, true}) {
    SCOPED_TRACE(homeSet ? "HOME names no folder" : "no HOME");
    TempFolder folder;
    const std::filesystem::path prefixBin = folder / "prefix/bin";
    std::filesystem::create_directories(prefixBin / "History/2024");
    testing::writeBytes(prefixBin / "Stormbook.ini", "[Stormbook]\n");
    const std::filesystem::path home = folder / "nowhere";
    const ScopedVariable homeVariable(
        "HOME", homeSet ? std::optional<std::string>(home.string()) : std::nullopt);
    const ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
    const ScopedVariable data("XDG_DATA_HOME", std::nullopt);
    const ScopedVariable cache("XDG_CACHE_HOME", std::nullopt);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    ProgramPlaces places = programPlaces(prefixBin);
    const PreparedPlaces prepared = preparePlaces(places, prefixBin);
    std::filesystem::current_path(before);
    EXPECT_FALSE(prepared.settingsKept);
    EXPECT_FALSE(std::filesystem::exists(home));
    EXPECT_TRUE(std::filesystem::exists(prefixBin / "History/2024"));
    EXPECT_EQ(testing::readBytes(prefixBin / "Stormbook.ini"), "[Stormbook]\n");
    EXPECT_EQ(testing::entryCount(folder.path()), 1) << "only the prefix";
    // A folder of the run's own stands in, away from here.
    EXPECT_TRUE(places.settingsFile.is_absolute());
    EXPECT_TRUE(std::filesystem::is_directory(places.dataFolder));
    EXPECT_EQ(prepared.standIn, places.dataFolder);
    std::filesystem::remove_all(prepared.standIn);
  }
}

// With no folder to write into, the settings cannot be kept: the caller is told.
TEST(ProgramPlaces, NoWritablePlaceIsTold) {
  TempFolder folder;
  testing::writeBytes(folder / "file", "");
  const ScopedVariable home("HOME", std::nullopt);
  const ScopedVariable config("XDG_CONFIG_HOME", (folder / "file/config").string());
  const ScopedVariable data("XDG_DATA_HOME", (folder / "file/data").string());
  const ScopedVariable cache("XDG_CACHE_HOME", (folder / "file/cache").string());
  ProgramPlaces places = programPlaces(folder / "bin");
  EXPECT_FALSE(places.portable);
  EXPECT_FALSE(preparePlaces(places, folder / "bin").settingsKept);
}

}  // namespace
}  // namespace skyrill
