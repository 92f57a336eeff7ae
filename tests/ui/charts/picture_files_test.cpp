#include "ui/picture_files.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string_view>

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

// The file's name chooses its format, in any case; a name without a
// picture ending writes nothing.
TEST(PictureFiles, formatFollowsTheName) {
  struct Case {
    const char* name;
    std::string_view magic;  // the file's first bytes; empty: refused
  };
  const Case cases[] = {
      {"a.png", "\x89PNG"},       {"a.JPG", "\xFF\xD8\xFF"},
      {"a.jpeg", "\xFF\xD8\xFF"}, {"a.svg", "<?xml"},
      {"a.Pdf", "%PDF-"},         {"a.bmp", ""},
      {"a.png.txt", ""},          {"png", ""},
      {"folder.svg/a", ""},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const auto path = folder / c.name;
    const bool written = saveDayChart(DaySeries{}, QString::fromStdString(path.string()));
    EXPECT_EQ(written, !c.magic.empty()) << c.name;
    if (written)
      EXPECT_TRUE(readBytes(path).starts_with(c.magic)) << c.name;
    else
      EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
  }
}

// A caption adds its line under the picture and leaves the picture above it
// as it was.
TEST(PictureFiles, captionGrowsThePictureByItsLine) {
  TempFolder folder;
  const QString plain = QString::fromStdString((folder / "plain.png").string());
  const QString captioned = QString::fromStdString((folder / "captioned.png").string());
  ASSERT_TRUE(saveWindStrip(DaySeries{}, plain));
  ASSERT_TRUE(saveWindStrip(DaySeries{}, captioned, QStringLiteral("杭州 58453　2019-07-05")));
  const QImage before(plain), after(captioned);
  ASSERT_EQ(after.size(), before.size() + QSize(0, kCaptionHeight));
  EXPECT_EQ(after.copy(QRect(QPoint(), before.size())).convertToFormat(before.format()), before);
  bool hasText = false;
  for (int x = 0; x < after.width() && !hasText; ++x) {
    for (int y = before.height(); y < after.height(); ++y)
      hasText = hasText || after.pixel(x, y) != after.pixel(0, before.height());
  }
  EXPECT_TRUE(hasText) << "the caption line holds text";
  const QString svg = QString::fromStdString((folder / "captioned.svg").string());
  ASSERT_TRUE(saveDayChart(DaySeries{}, svg, QStringLiteral("杭州")));
  EXPECT_NE(readBytes(folder / "captioned.svg").find(">杭州</text>"), std::string::npos);
}

}  // namespace
}  // namespace skyrill
