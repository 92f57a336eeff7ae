// Where the program keeps its own files.
#include "store/program_paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

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
        cache_("XDG_CACHE_HOME", std::nullopt) {}
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

// What an earlier version kept in the data folder or beside a program in a
// prefix's bin is moved, whole and once, where it now belongs; nothing that
// is already there is overwritten.
TEST(ProgramPlaces, EarlierFilesMoveInAndNothingIsLost) {
  const UserFolders user;
  const std::filesystem::path prefixBin = user / "prefix/bin";
  std::filesystem::create_directories(prefixBin / "History/2024");
  testing::writeBytes(prefixBin / "History/2024/0_54511_0_20240101.json", "day");
  testing::writeBytes(prefixBin / "skyrill_Bug.log", "report");
  std::filesystem::create_directories(user / "data/skyrill");
  testing::writeBytes(user / "data/skyrill/Stormbook.ini", "[Stormbook]\nSite=54511\n");
  testing::writeBytes(user / "data/skyrill/ProvinceData", "[]");
  testing::writeBytes(prefixBin / "Stormbook.ini", "older");

  const ProgramPlaces places = programPlaces(prefixBin);
  EXPECT_TRUE(preparePlaces(places, prefixBin));
  EXPECT_EQ(testing::readBytes(places.settingsFile), "[Stormbook]\nSite=54511\n");
  EXPECT_EQ(testing::readBytes(places.cacheFolder / "ProvinceData"), "[]");
  EXPECT_EQ(testing::readBytes(places.dataFolder / "History/2024/0_54511_0_20240101.json"), "day");
  EXPECT_EQ(testing::readBytes(places.dataFolder / "skyrill_Bug.log"), "report");
  // The older settings beside the program stay where they are, not over the newer.
  EXPECT_EQ(testing::readBytes(prefixBin / "Stormbook.ini"), "older");
  EXPECT_FALSE(std::filesystem::exists(prefixBin / "History"));
}

// Without a home folder the user's places are unknown: what an earlier
// version left beside the program stays there, and nothing lands in the
// current folder.
TEST(ProgramPlaces, WithoutAHomeNothingMoves) {
  TempFolder folder;
  const std::filesystem::path prefixBin = folder / "prefix/bin";
  std::filesystem::create_directories(prefixBin / "History/2024");
  testing::writeBytes(prefixBin / "Stormbook.ini", "[Stormbook]\n");
  const ScopedVariable home("HOME", std::nullopt);
  const ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
  const ScopedVariable data("XDG_DATA_HOME", std::nullopt);
  const ScopedVariable cache("XDG_CACHE_HOME", std::nullopt);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const ProgramPlaces places = programPlaces(prefixBin);
  EXPECT_FALSE(preparePlaces(places, prefixBin));
  std::filesystem::current_path(before);
  EXPECT_TRUE(std::filesystem::exists(prefixBin / "History/2024"));
  EXPECT_EQ(testing::readBytes(prefixBin / "Stormbook.ini"), "[Stormbook]\n");
  EXPECT_EQ(testing::entryCount(folder.path()), 1) << "only the prefix";
}

// With no folder to write into, the settings cannot be kept: the caller is told.
TEST(ProgramPlaces, NoWritablePlaceIsTold) {
  TempFolder folder;
  testing::writeBytes(folder / "file", "");
  const ScopedVariable home("HOME", (folder / "file/home").string());
  const ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
  const ScopedVariable data("XDG_DATA_HOME", std::nullopt);
  const ScopedVariable cache("XDG_CACHE_HOME", std::nullopt);
  const ProgramPlaces places = programPlaces(folder / "bin");
  EXPECT_FALSE(places.portable);
  EXPECT_FALSE(preparePlaces(places, folder / "bin"));
}

}  // namespace
}  // namespace skyrill
