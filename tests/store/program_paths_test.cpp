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

// A folder that cannot be written stands in for one that does not exist:
// root may write anywhere, but not into a folder that is not there.
TEST(ProgramPaths, dataFolderIsTheProgramFolderWhenWritableElseTheUsersDataFolder) {
  TempFolder folder;
  const std::string root = folder.path().string();
  const std::filesystem::path missing = folder / "not-there";
  const struct {
    const char* what;
    std::filesystem::path programDir;
    std::optional<std::string> dataHome;
    std::optional<std::string> home;
    std::filesystem::path expected;
  } cases[] = {
      {"writable", folder.path(), root + "/data", root + "/home", folder.path()},
      {"XDG_DATA_HOME", missing, root + "/data", root + "/home", folder / "data/skyrill"},
      {"relative XDG_DATA_HOME is ignored", missing, "data", root + "/home",
       folder / "home/.local/share/skyrill"},
      {"HOME", missing, std::nullopt, root + "/home", folder / "home/.local/share/skyrill"},
      {"neither", missing, std::nullopt, std::nullopt, missing},
  };
  for (const auto& c : cases) {
    const ScopedVariable dataHome("XDG_DATA_HOME", c.dataHome);
    const ScopedVariable home("HOME", c.home);
    EXPECT_EQ(dataDirectory(c.programDir), c.expected) << c.what;
    EXPECT_TRUE(std::filesystem::is_directory(c.expected) || c.expected == missing) << c.what;
  }
}

}  // namespace
}  // namespace skyrill
