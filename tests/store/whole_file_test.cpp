#include "store/whole_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <climits>
#include <functional>
#include <vector>

#include "store/observation_files.h"
#include "store/settings.h"
#include "temp_folder.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

// The names in the folder that look like temporary files of a write.
std::vector<std::string> tempFilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".tmp-") != std::string::npos) names.push_back(name);
  }
  return names;
}

// The name of a temporary file that the process with this id left.
std::string tempOf(const std::string& name, pid_t writer) {
  return name + ".tmp-" + std::to_string(writer) + "-0badf00d";
}

TEST(WholeFile, ReplacesTheFileAndLeavesNoTemporaryFile) {
  testing::TempFolder folder;
  const auto path = folder / "f";
  EXPECT_TRUE(writeWholeFile(path, "one"));
  EXPECT_TRUE(writeWholeFile(path, std::string(1 << 20, 'x')));
  EXPECT_EQ(readWholeFile(path), std::string(1 << 20, 'x'));
  EXPECT_EQ(testing::entryCount(folder.path()), 1);
}

TEST(WholeFile, writesAFileOfTheLongestName) {
  TempFolder folder;
  const auto path = folder / std::string(NAME_MAX, 'n');
  EXPECT_TRUE(writeWholeFile(path, "x"));
  EXPECT_EQ(readWholeFile(path), "x");
  EXPECT_EQ(testing::entryCount(folder.path()), 1);
}

TEST(WholeFile, ReadStopsAtTheByteLimit) {
  testing::TempFolder folder;
  const auto path = folder / "f";
  testing::writeBytes(path, std::string(200000, 'x'));
  EXPECT_EQ(readWholeFile(path, 100001), std::string(100001, 'x'));
  EXPECT_EQ(readWholeFile(path, 0), "");
  EXPECT_EQ(readWholeFile(path, 300000), std::string(200000, 'x'));
}

TEST(WholeFile, ReplacementKeepsThePermissions) {
  testing::TempFolder folder;
  const auto path = folder / "f";
  testing::writeBytes(path, "old");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(writeWholeFile(path, "new"));
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(WholeFile, ReadFailsForWhatIsNoRegularFile) {
  testing::TempFolder folder;
  EXPECT_EQ(readWholeFile(folder / "missing"), std::nullopt);
  EXPECT_EQ(readWholeFile(folder.path()), std::nullopt);
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(readWholeFile(folder / "pipe"), std::nullopt);  // no writer: would wait for ever
  EXPECT_EQ(readWholeFile("/dev/zero"), std::nullopt);      // would never end
  testing::writeBytes(folder / "empty", "");
  EXPECT_EQ(readWholeFile(folder / "empty"), "");
}

// Links stay links: the bytes land at the end of the chain, which need not
// exist yet, and the temporary file lies in the target's folder.
TEST(WholeFile, writesThroughLinksToTheirTarget) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  writeBytes(folder / "real" / "f", "old");
  fs::create_symlink("real/f", folder / "link");
  fs::create_symlink("link", folder / "linkToLink");
  fs::create_symlink("real/new", folder / "dangling");
  EXPECT_TRUE(writeWholeFile(folder / "linkToLink", "new"));
  EXPECT_TRUE(writeWholeFile(folder / "dangling", "made"));
  for (const char* link : {"link", "linkToLink", "dangling"})
    EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
  EXPECT_EQ(readBytes(folder / "real" / "f"), "new");
  EXPECT_EQ(readBytes(folder / "real" / "new"), "made");
  EXPECT_EQ(testing::entryCount(folder / "real"), 2);
}

TEST(WholeFile, refusesWhatMayNotBeWrittenAndLeavesItAlone) {
  TempFolder folder;
  writeBytes(folder / "locked", "old");
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::group_read);
  fs::create_symlink("locked", folder / "linkToLocked");
  fs::create_symlink("loop", folder / "loop");
  fs::create_directory(folder / "folder");
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0666), 0);
  const struct {
    const char* name;
    std::errc why;
  } cases[] = {
      {"locked", std::errc::permission_denied},  // whoever runs it, root included
      {"linkToLocked", std::errc::permission_denied},
      {"loop", std::errc::too_many_symbolic_link_levels},
      {"folder", std::errc::is_a_directory},
      {"pipe", std::errc::operation_not_supported},  // nor a device such as /dev/null
  };
  for (const auto& c : cases) {
    std::error_code error;
    EXPECT_FALSE(writeWholeFile(folder / c.name, "new", error)) << c.name;
    EXPECT_EQ(error, std::make_error_code(c.why)) << c.name;
  }
  EXPECT_EQ(readBytes(folder / "locked"), "old");
  EXPECT_TRUE(fs::is_symlink(folder / "loop"));
  EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
  EXPECT_EQ(testing::entryCount(folder.path()), 5);
}

// Another user's file in a folder open to all: a rename would replace it,
// although the file itself may not be written.
TEST(WholeFile, refusesAnotherUsersFile) {
  if (!testing::runningAsRoot()) GTEST_SKIP() << "needs root to make another user's file";
  TempFolder folder;
  const auto path = folder / "theirs";
  writeBytes(path, "old");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read);
  fs::permissions(folder.path(), fs::perms::all);
  const pid_t writer = fork();
  if (writer == 0) {
    constexpr uid_t kNobody = 65534;
    std::error_code error;
    const bool refused = setgid(kNobody) == 0 && setuid(kNobody) == 0 &&
                         !writeWholeFile(path, "new", error) &&
                         error == std::errc::permission_denied;
    _exit(refused ? 0 : 1);
  }
  int status = -1;
  waitpid(writer, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(readBytes(path), "old");
}

// What the store writes, on a disk that fills up half-way.
TEST(WholeFile, fullDisk_leavesTheOldFileWholeAndNoTemporaryFile) {
  const std::string big(64 * 1024, 'x');
  const struct {
    const char* kind;
    std::function<bool(const fs::path&)> write;
  } cases[] = {
      {"day file", [&big](const fs::path& path) { return writeDayFile(path, big); }},
      {"settings",
       [&big](const fs::path& path) {
         Settings settings;
         settings.apiKey = big;
         return saveSettings(path, settings);
       }},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    const auto path = folder / "f";
    writeBytes(path, "[Stormbook]\nSite=1\n");
    {
      const testing::FileSizeLimit fullDisk(4096);
      EXPECT_FALSE(c.write(path)) << c.kind;
    }
    EXPECT_EQ(readBytes(path), "[Stormbook]\nSite=1\n") << c.kind;
    EXPECT_EQ(testing::entryCount(folder.path()), 1) << c.kind;
  }
}

// A write killed half-way leaves the old file and a temporary file named
// after its process, which a clean-up removes once that process has ended.
TEST(WholeFile, writeKilledHalfWay_leavesATemporaryFileTheCleanUpRemoves) {
  TempFolder folder;
  const auto path = folder / "f";
  writeBytes(path, "old");
  const pid_t writer = fork();
  if (writer == 0) {
    // Killed by SIGXFSZ at the size limit, without a core file.
    const rlimit noCore{0, 0};
    const rlimit small{4096, 4096};
    setrlimit(RLIMIT_CORE, &noCore);
    setrlimit(RLIMIT_FSIZE, &small);
    signal(SIGXFSZ, SIG_DFL);
    writeWholeFile(path, std::string(1 << 20, 'x'));
    _exit(0);
  }
  int status = -1;
  waitpid(writer, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
  EXPECT_EQ(readBytes(path), "old");
  const std::vector<std::string> left = tempFilesIn(folder.path());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_TRUE(left[0].starts_with("f.tmp-" + std::to_string(writer) + "-")) << left[0];

  removeLeftoverTempFiles(folder.path());
  EXPECT_EQ(testing::entryCount(folder.path()), 1);
  EXPECT_EQ(readBytes(path), "old");
}

TEST(WholeFile, cleanUpRemovesOnlyTemporaryFilesOfEndedProcesses) {
  TempFolder folder;
  const pid_t ended = testing::endedProcessId();
  const struct {
    std::string name;
    bool removed;
  } cases[] = {
      {tempOf("a.json", ended), true},
      {tempOf("Stormbook.ini", ended), true},
      {tempOf("a.json", getpid()), false},  // a write going on
      {"a.json.tmp-0badf00d", false},       // no process to ask
      {tempOf("a.json", ended) + ".bak", false},
      {"a.json.tmp-" + std::to_string(ended) + "-notours", false},
      {"a.json", false},
  };
  for (const auto& c : cases) writeBytes(folder / c.name, "x");
  fs::create_directory(folder / tempOf("folder", ended));
  removeLeftoverTempFiles(folder.path());
  for (const auto& c : cases) EXPECT_EQ(!fs::exists(folder / c.name), c.removed) << c.name;
  EXPECT_TRUE(fs::is_directory(folder / tempOf("folder", ended)));
}

TEST(WholeFile, firstWriteIntoAFolderCleansItUp) {
  TempFolder folder;
  const auto ended = folder / tempOf("a.json", testing::endedProcessId());
  const auto running = folder / tempOf("a.json", getpid());
  writeBytes(ended, "x");
  writeBytes(running, "x");
  EXPECT_TRUE(writeWholeFile(folder / "b.json", "new"));
  EXPECT_FALSE(fs::exists(ended));
  EXPECT_TRUE(fs::exists(running));
}

// A file written in parts replaces the old one only when committed, whole,
// through its links; one never committed, or refused, leaves nothing behind.
TEST(WholeFileStream, partsBecomeTheFileOnlyAtCommit) {
  TempFolder folder;
  writeBytes(folder / "table.csv", "old");
  fs::create_symlink("table.csv", folder / "link.csv");
  const std::string row(1000, 'r');
  {
    WholeFileStream stream;
    std::error_code error;
    ASSERT_TRUE(stream.open(folder / "link.csv", error)) << error.message();
    for (int i = 0; i < 200; ++i) stream.append(row);
    EXPECT_EQ(readBytes(folder / "table.csv"), "old");
    ASSERT_TRUE(stream.commit(error)) << error.message();
  }
  EXPECT_TRUE(fs::is_symlink(folder / "link.csv"));
  EXPECT_EQ(readBytes(folder / "table.csv").size(), 200 * row.size());
  {
    WholeFileStream abandoned;
    std::error_code error;
    ASSERT_TRUE(abandoned.open(folder / "table.csv", error));
    abandoned.append("never committed");
  }
  EXPECT_EQ(readBytes(folder / "table.csv").size(), 200 * row.size());
  EXPECT_EQ(testing::entryCount(folder.path()), 2);

  WholeFileStream refused;
  std::error_code error;
  EXPECT_FALSE(refused.open(folder / "missing" / "table.csv", error));
  EXPECT_TRUE(error);
  EXPECT_FALSE(refused.commit(error));
}

// A disk that fills up while the parts are written fails the commit and
// keeps the old file.
TEST(WholeFileStream, fullDisk_failsTheCommitAndKeepsTheOldFile) {
  TempFolder folder;
  writeBytes(folder / "table.csv", "old");
  WholeFileStream stream;
  std::error_code error;
  {
    const testing::FileSizeLimit fullDisk(1 << 16);
    ASSERT_TRUE(stream.open(folder / "table.csv", error));
    for (int i = 0; i < 100; ++i) stream.append(std::string(1 << 12, 'x'));
    EXPECT_FALSE(stream.commit(error));
  }
  EXPECT_TRUE(error);
  EXPECT_EQ(readBytes(folder / "table.csv"), "old");
  EXPECT_EQ(testing::entryCount(folder.path()), 1);
}

// A batch changes no target before its commit; then all at once, in their
// folders; what is never committed leaves nothing behind.
TEST(WholeFileBatch, targetsChangeOnlyAtCommitAndNothingIsLeftBehind) {
  TempFolder folder;
  fs::create_directories(folder / "2023");
  fs::create_directories(folder / "2024");
  writeBytes(folder / "2024" / "b", "old");
  {
    WholeFileBatch batch;
    std::error_code error;
    ASSERT_TRUE(batch.add(folder / "2023" / "a", "new a", error)) << error.message();
    ASSERT_TRUE(batch.add(folder / "2024" / "b", "new b", error)) << error.message();
    EXPECT_FALSE(fs::exists(folder / "2023" / "a"));
    EXPECT_EQ(readBytes(folder / "2024" / "b"), "old");
    ASSERT_TRUE(batch.commit(error)) << error.message();
    EXPECT_EQ(batch.size(), 0u);
    EXPECT_EQ(batch.placed(), 2u);
    EXPECT_EQ(readBytes(folder / "2023" / "a"), "new a");
    EXPECT_EQ(readBytes(folder / "2024" / "b"), "new b");

    ASSERT_TRUE(batch.add(folder / "2024" / "c", "never committed", error));
  }
  EXPECT_FALSE(fs::exists(folder / "2024" / "c"));
  EXPECT_TRUE(tempFilesIn(folder / "2023").empty());
  EXPECT_TRUE(tempFilesIn(folder / "2024").empty());
}

// A commit whose folder went away fails with the reason and removes the
// temporary files it still held.
TEST(WholeFileBatch, failedCommitSaysWhyAndLeavesNoTemporaryFile) {
  TempFolder folder;
  fs::create_directories(folder / "gone");
  WholeFileBatch batch;
  std::error_code error;
  ASSERT_TRUE(batch.add(folder / "kept", "kept", error));
  ASSERT_TRUE(batch.add(folder / "gone" / "day", "day", error));
  fs::remove_all(folder / "gone");
  EXPECT_FALSE(batch.commit(error));
  EXPECT_TRUE(error);
  EXPECT_EQ(batch.size(), 0u);
  EXPECT_EQ(batch.placed(), 0u);
  EXPECT_TRUE(tempFilesIn(folder.path()).empty());

  EXPECT_FALSE(batch.add(folder / "missing" / "day", "x", error)) << "no folder to write into";
  EXPECT_TRUE(error);
}

}  // namespace
}  // namespace skyrill
