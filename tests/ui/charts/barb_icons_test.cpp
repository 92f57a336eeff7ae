#include "ui/barb_icons.h"

#include <gtest/gtest.h>

#include <limits>

#include "pixel_checks.h"
#include "ui/barb_table.h"

namespace skyrill {
namespace {

TEST(BarbSpeed, followsTheEvenWholeNumberRule) {
  struct Case {
    double windSpeedMps;
    int barbSpeed;
  };
  const Case cases[] = {
      {0.0, 0},      {0.5, 1},        {1.0, 3},
      {2.0, 4},      {2.5, 5},        {4.0, 8},
      {47.0, 95},    {4.00000005, 8}, {3.99999999, 7},
      {-0.5, 1},     {-1.0, -1},      {-2.0, -4},
      {1e300, 1000}, {-1e300, -1000}, {std::numeric_limits<double>::infinity(), 1000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(barbSpeed(c.windSpeedMps), c.barbSpeed) << "wind speed " << c.windSpeedMps;
}

TEST(BarbIconIndex, takesTheFirstRowTheSpeedReaches) {
  struct Case {
    int barbSpeed;
    int glyphValue;  // 0 for the calm ring
    bool overRange;
  };
  const Case cases[] = {
      {1000, 90, true}, {93, 90, true},  {92, 90, false}, {88, 90, false}, {87, 85, false},
      {63, 65, false},  {62, 60, false}, {48, 50, false}, {47, 45, false}, {9, 10, false},
      {8, 10, false},   {7, 5, false},   {3, 5, false},   {2, 0, false},   {0, 0, false},
  };
  for (const Case& c : cases) {
    const int icon = barbIconIndex(c.barbSpeed);
    if (c.glyphValue == 0) {
      EXPECT_EQ(icon, kCalmIcon) << "k " << c.barbSpeed;
      continue;
    }
    ASSERT_LT(icon, kCalmIcon) << "k " << c.barbSpeed;
    EXPECT_EQ(kBarbGlyphs[static_cast<std::size_t>(icon)].value, c.glyphValue)
        << "k " << c.barbSpeed;
    EXPECT_EQ(kBarbGlyphs[static_cast<std::size_t>(icon)].overRange, c.overRange)
        << "k " << c.barbSpeed;
  }
}

TEST(BarbIcon, everyIconLoadsOpaqueOnTheBackground) {
  for (int icon = 0; icon < kBarbIconCount; ++icon) {
    const QImage& image = barbIcon(icon);
    ASSERT_EQ(image.size(), QSize(kBarbIconSize, kBarbIconSize)) << "icon " << icon;
    EXPECT_EQ(image.pixel(19, 19), kCanvasBackground) << "icon " << icon;
    EXPECT_GT(testing::markedPixels(image, image.rect()), 10) << "icon " << icon;
  }
}

TEST(BarbIcon, glyphsTakeTheColourOfTheirRow) {
  for (int icon = 0; icon < kCalmIcon; ++icon) {
    const BarbGlyph& glyph = kBarbGlyphs[static_cast<std::size_t>(icon)];
    // The station dot at the centre is solid.
    EXPECT_TRUE(testing::isNear(barbIcon(icon).pixel(10, 10), glyph.colour, 40))
        << "glyph " << glyph.value;
  }
  EXPECT_GT(testing::pixelsNear(barbIcon(0), QRect(0, 0, 8, 8), kBarbRed, 40), 3);
  EXPECT_EQ(testing::pixelsNear(barbIcon(1), QRect(0, 0, 8, 8), kBarbRed, 40), 0);
}

}  // namespace
}  // namespace skyrill
