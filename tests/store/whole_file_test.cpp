#include "store/whole_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "temp_folder.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;

TEST(WholeFile, ReplacesTheFileAndLeavesNoTemporaryFile) {
  testing::TempFolder folder;
  const auto path = folder / "f";
  EXPECT_TRUE(writeWholeFile(path, "one"));
  EXPECT_TRUE(writeWholeFile(path, std::string(1 << 20, 'x')));
  EXPECT_EQ(readWholeFile(path), std::string(1 << 20, 'x'));
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

}  // namespace
}  // namespace skyrill
