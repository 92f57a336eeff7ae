// The window on a screen of twice the pixel density (QT_SCALE_FACTOR=2, which
// this program sets for itself): the chart and the wind strip are painted for
// the screen's pixels, and are the same pictures as at 1x, only sharper.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include <cmath>

#include "ui/canvas.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

// A day with every element, hour by hour.
std::string fullDay() {
  std::string records;
  for (int hour = 0; hour < 24; ++hour) {
    if (!records.empty()) records += ',';
    const std::string h = std::to_string(hour);
    records += R"({"name":"郑州","time":"2019-07-05T)" + std::string(hour < 10 ? "0" : "") + h +
               R"(:00:00","T":)" + std::to_string(20 + hour % 7) + R"(,"P":)" +
               std::to_string(1000 + hour % 5) + R"(,"RH":)" + std::to_string(60 + hour) +
               R"(,"WD0mMAX1h":)" + std::to_string(hour * 15) + R"(,"WS0mMAX1h":)" +
               std::to_string(hour % 12) + R"(,"R1h":)" + std::to_string(hour % 3) + R"(,"V10m":)" +
               std::to_string(2 + hour % 8) + R"(,"SD":)" + std::to_string(hour % 4) + "}";
  }
  return R"({"date":"2019-07-05","wmo":"57083","res":[)" + records + "]}";
}

// How far apart two pictures of one size are: the mean difference of their
// channels, 0 to 255.
double meanDifference(const QImage& a, const QImage& b) {
  double total = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
               std::abs(qBlue(p) - qBlue(q));
    }
  }
  return total / (3.0 * a.width() * a.height());
}

class HighDensityTest : public WindowFixture {};

TEST_F(HighDensityTest, CanvasesShowTwiceThePixelsOfTheSamePicture) {
  ASSERT_EQ(window.devicePixelRatioF(), 2.0);
  window.show();
  source.answer = fullDay();
  child<QPushButton>(QStringLiteral("获取按钮"))->click();

  for (Canvas* canvas : {&window.chartCanvas(), &window.stripCanvas()}) {
    SCOPED_TRACE(canvas->objectName().toStdString());
    // The picture the canvas holds keeps its drawing units (what a saved
    // PNG and the pixel tests see); the screen gets twice the pixels.
    const QImage held = canvas->picture();
    EXPECT_EQ(held.size(), canvas->contentsRect().size());
    const QImage shown = canvas->grab(canvas->contentsRect()).toImage();
    ASSERT_EQ(shown.size(), held.size() * 2);

    const QImage scaledDown =
        shown.scaled(held.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(held.format());
    EXPECT_LT(meanDifference(scaledDown, held), 6.0);
    // Sharp, not a 1x picture blown up: 2 x 2 blocks of one colour would
    // leave no pixel differing from its right-hand neighbour in its block.
    int sharpEdges = 0;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x + 1 < shown.width(); x += 2) {
        sharpEdges += shown.pixel(x, y) != shown.pixel(x + 1, y) ? 1 : 0;
      }
    }
    EXPECT_GT(sharpEdges, shown.height());
  }
}

}  // namespace
}  // namespace skyrill::test

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
