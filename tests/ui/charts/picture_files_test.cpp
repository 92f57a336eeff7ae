#include "ui/picture_files.h"

#include <gtest/gtest.h>

#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

using testing::readBytes;
using testing::TempFolder;

// Each format on a disk that fills up half-way: the old picture stays whole
// and no temporary file is left beside it.
TEST(PictureFiles, fullDisk_leavesTheOldPictureWhole) {
  for (const char* name : {"chart.png", "chart.svg", "chart.pdf"}) {
    TempFolder folder;
    const auto path = folder / name;
    testing::writeBytes(path, "old");
    {
      const testing::FileSizeLimit fullDisk(1024);
      EXPECT_FALSE(saveDayChart(DaySeries{}, QString::fromStdString(path.string()))) << name;
    }
    EXPECT_EQ(readBytes(path), "old") << name;
    EXPECT_EQ(testing::entryCount(folder.path()), 1) << name;
    EXPECT_TRUE(saveDayChart(DaySeries{}, QString::fromStdString(path.string()))) << name;
    EXPECT_GT(readBytes(path).size(), 1024u) << name << ": too small to fill the disk";
  }
}

}  // namespace
}  // namespace skyrill
