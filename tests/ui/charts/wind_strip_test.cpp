#include "ui/wind_strip.h"

#include <gtest/gtest.h>

#include "pixel_checks.h"
#include "ui/barb_icons.h"
#include "ui/barb_table.h"

namespace skyrill {
namespace {

using testing::markedPixels;

// The cell of slot 1 spans x 10..29 and y 1..20; the icon's centre (10, 10)
// lands on strip pixel (20, 11).
const QRect kSlot1Cell(10, 0, 20, kStripHeight);

QImage stripWithWind(const char* speed, const char* direction) {
  DaySeries series;
  series.slot(1).windSpeed = speed;
  series.slot(1).windDirection = direction;
  return drawWindStrip(series);
}

bool isDark(QRgb pixel) {
  return qGray(pixel) < 180;
}

TEST(WindStrip, emptyOrNegativeSpeedDrawsNothing) {
  const QImage blank = drawWindStrip(DaySeries{});
  EXPECT_EQ(blank.size(), QSize(kStripWidth, kStripHeight));
  EXPECT_EQ(markedPixels(blank, blank.rect()), 0);
  for (const char* speed : {"", "()", "-1.0", "-3（0级）"})
    EXPECT_EQ(stripWithWind(speed, "90"), blank) << "speed " << speed;
}

TEST(WindStrip, unturnedIconFillsItsCellClippedAtTheBottom) {
  const QImage strip = stripWithWind("5.0（3级）", "");  // k = 10
  const QImage& icon = barbIcon(barbIconIndex(10));
  for (int y = 0; y < kStripHeight - 1; ++y)
    for (int x = 0; x < kBarbIconSize; ++x)
      ASSERT_EQ(strip.pixel(10 + x, 1 + y), icon.pixel(x, y)) << "icon pixel " << x << "," << y;
  EXPECT_EQ(markedPixels(strip, QRect(30, 0, 470, kStripHeight)), 0);
}

TEST(WindStrip, directionTurnsTheStaffClockwise) {
  struct Case {
    const char* direction;
    QPoint staffEnd;  // strip pixel six pixels from the centre along the staff
  };
  const Case cases[] = {
      {"0", {19, 5}},
      {"90", {26, 10}},
      {"180", {19, 17}},
      {"270", {13, 10}},
  };
  for (const Case& c : cases) {
    const QImage strip = stripWithWind("5.0", c.direction);
    EXPECT_TRUE(isDark(strip.pixel(c.staffEnd))) << "direction " << c.direction;
  }
  EXPECT_FALSE(isDark(stripWithWind("5.0", "0").pixel(26, 10)));
}

TEST(WindStrip, directionCountsWholeDegreesWithinOneTurn) {
  const QImage north = stripWithWind("5.0", "0");
  EXPECT_NE(stripWithWind("5.0", "90"), north);
  EXPECT_EQ(stripWithWind("5.0", "360"), north);
  EXPECT_EQ(stripWithWind("5.0", "北"), north);
  EXPECT_EQ(stripWithWind("5.0", "(0)"), north);
  EXPECT_EQ(stripWithWind("5.0", "450"), stripWithWind("5.0", "90.7"));
}

TEST(WindStrip, calmRingIsNeverTurned) {
  const QImage calm = stripWithWind("0.5", "0");  // k = 1
  EXPECT_GT(testing::pixelsNear(calm, kSlot1Cell, kCalmGrey, 40), 10);
  for (const char* direction : {"45", "90", "217"})
    EXPECT_EQ(stripWithWind("0.5", direction), calm) << "direction " << direction;
}

TEST(WindStrip, turnedIconIsScaledIntoItsCell) {
  const QImage strip = stripWithWind("30.0", "45");
  EXPECT_GT(markedPixels(strip, kSlot1Cell), 20);
  EXPECT_EQ(markedPixels(strip, QRect(0, 0, 10, kStripHeight)), 0);
  EXPECT_EQ(markedPixels(strip, QRect(30, 0, 470, kStripHeight)), 0);
}

TEST(WindStrip, eachHourGetsItsOwnCell) {
  DaySeries series;
  for (int i = 1; i <= kSlotCount; ++i) {
    series.slot(i).windSpeed = std::to_string(i * 2.1);
    series.slot(i).windDirection = std::to_string(i * 15);
  }
  const QImage strip = drawWindStrip(series);
  for (int i = 1; i <= kSlotCount; ++i)
    EXPECT_GT(markedPixels(strip, QRect(20 * i - 10, 0, 20, kStripHeight)), 10) << "slot " << i;
}

}  // namespace
}  // namespace skyrill
