// The printed page: a sheet's parts laid out top to bottom within the page,
// a long table going on over further pages, and the day on display printed
// as the window shows it.
#include "ui/print_sheet.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

#include <regex>

#include "tests/store/temp_folder.h"
#include "ui/canvas.h"
#include "ui/day_chart.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

// A white A4-like page at 96 dots per inch, 40 dots of margin all round.
QImage blankPage() {
  QImage page(794, 1123, QImage::Format_RGB32);
  page.setDotsPerMeterX(3780);
  page.setDotsPerMeterY(3780);
  page.fill(Qt::white);
  return page;
}
const QRectF kPrintable(40, 40, 714, 1043);

PrintSheet sheetWithRows(int rows) {
  PrintSheet sheet;
  sheet.titleLines = {QStringLiteral("历史天气"), QStringLiteral("2024-01-20")};
  sheet.pictures = {{QSizeF(500, 440), [](QPainter& p) { p.fillRect(0, 0, 500, 440, Qt::red); }},
                    {QSizeF(500, 20), [](QPainter& p) { p.fillRect(0, 0, 500, 20, Qt::blue); }}};
  sheet.tableHasHeader = true;
  sheet.tableRows.push_back({QStringLiteral("日期"), QStringLiteral("最高气温")});
  for (int row = 1; row <= rows; ++row) {
    sheet.tableRows.push_back({QStringLiteral("第 %1 行").arg(row), QStringLiteral("1.0℃")});
  }
  sheet.caption = QStringLiteral("北京 54511　2024-01-20　历史天气　来源：本地文件");
  return sheet;
}

// Each part below the one before it, inside the page and above the caption.
TEST(PrintSheet, thePartsFollowEachOtherDownOnePage) {
  QImage page = blankPage();
  const PrintSheet sheet = sheetWithRows(3);
  const auto pages = layoutSheet(sheet, kPrintable, page);
  ASSERT_EQ(pages.size(), 1u);
  const SheetPage& first = pages[0];
  ASSERT_EQ(first.pictures.size(), 2u);
  const QRectF& chart = first.pictures[0];
  const QRectF& strip = first.pictures[1];
  EXPECT_GE(first.title.top(), kPrintable.top());
  EXPECT_LE(first.title.bottom(), chart.top());
  EXPECT_DOUBLE_EQ(chart.bottom(), strip.top());
  EXPECT_NEAR(chart.width() / chart.height(), 500.0 / 440.0, 1e-9);
  EXPECT_NEAR(strip.width(), chart.width(), 1e-9);
  EXPECT_NEAR(chart.center().x(), kPrintable.center().x(), 1e-9);
  EXPECT_DOUBLE_EQ(chart.width(), kPrintable.width()) << "as wide as the page allows";
  ASSERT_EQ(first.rows, (std::vector<std::size_t>{0, 1, 2, 3}));
  EXPECT_GE(first.rowRects.front().top(), strip.bottom());
  EXPECT_LE(first.rowRects.back().bottom(), first.caption.top());
  EXPECT_DOUBLE_EQ(first.caption.bottom(), kPrintable.bottom());
  EXPECT_EQ(first.columnLefts.front(), kPrintable.left());
  EXPECT_DOUBLE_EQ(first.columnLefts.back(), kPrintable.right());

  QPainter painter(&page);
  paintSheet(painter, sheet, pages, [] { return false; });
  painter.end();
  EXPECT_EQ(page.pixel(chart.center().toPoint()), qRgb(255, 0, 0));
  EXPECT_EQ(page.pixel(strip.center().toPoint()), qRgb(0, 0, 255));
  const auto inked = [&page](const QRectF& area) {
    for (int y = static_cast<int>(area.top()); y < static_cast<int>(area.bottom()); ++y) {
      for (int x = static_cast<int>(area.left()); x < static_cast<int>(area.right()); ++x) {
        if (qGray(page.pixel(x, y)) < 128) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(inked(first.title));
  EXPECT_TRUE(inked(first.rowRects[2]));
  EXPECT_TRUE(inked(first.caption));
}

// A table longer than the page goes on over the next pages: every row once,
// in order, under the header again, with the caption at each foot; the
// pictures keep at least half the first page.
TEST(PrintSheet, aLongTableGoesOnOverTheNextPages) {
  QImage page = blankPage();
  const PrintSheet sheet = sheetWithRows(120);
  const auto pages = layoutSheet(sheet, kPrintable, page);
  ASSERT_GE(pages.size(), 3u);
  const qreal room = pages[0].caption.top() - pages[0].title.bottom();
  EXPECT_GE(pages[0].pictures.back().bottom() - pages[0].pictures.front().top(), room * 0.45);
  std::vector<std::size_t> rows;
  for (const SheetPage& each : pages) {
    ASSERT_FALSE(each.rows.empty());
    EXPECT_EQ(each.rows.front(), 0u) << "the header heads every page";
    rows.insert(rows.end(), each.rows.begin() + 1, each.rows.end());
    EXPECT_LE(each.rowRects.back().bottom(), each.caption.top());
    EXPECT_GE(each.rowRects.front().top(), kPrintable.top());
    EXPECT_DOUBLE_EQ(each.caption.bottom(), kPrintable.bottom());
  }
  ASSERT_EQ(rows.size(), 120u);
  for (std::size_t index = 0; index < rows.size(); ++index) EXPECT_EQ(rows[index], index + 1);
  for (std::size_t index = 1; index < pages.size(); ++index) {
    EXPECT_TRUE(pages[index].pictures.empty());
    EXPECT_TRUE(pages[index].title.isEmpty());
  }
}

// The day on display: its title, chart, wind strip, the three status bars
// and the caption line; printed to a PDF file of one page.
class PrintDayTest : public WindowFixture {};

TEST_F(PrintDayTest, theDayPrintsAsTheWindowShowsIt) {
  QAction* print = nullptr;
  for (QAction* action : window.findChildren<QAction*>()) {
    if (action->text() == QStringLiteral("&I.打印…")) print = action;
  }
  ASSERT_NE(print, nullptr);
  EXPECT_EQ(print->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_FALSE(print->isEnabled());

  source.answer = R"({"date":"2024-01-20","wmo":"54511","res":[{"name":"北京",)"
                  R"("time":"2024-01-20T00:00:00","T":-3.5,"P":1025,"RH":40,"WS0mMAX1h":4}]})";
  child<QPushButton>(QStringLiteral("获取按钮"))->click();
  EXPECT_TRUE(print->isEnabled());

  const PrintSheet sheet = window.daySheet();
  EXPECT_EQ(sheet.titleLines, (QStringList{QStringLiteral("历史天气"), QStringLiteral("2024-01-20"),
                                           QStringLiteral("北京 54511")}));
  ASSERT_EQ(sheet.pictures.size(), 2u);
  EXPECT_EQ(sheet.pictures[0].size, QSizeF(500, 440));
  EXPECT_EQ(sheet.pictures[1].size, QSizeF(500, 20));
  ASSERT_EQ(sheet.tableRows.size(), 3u);
  EXPECT_EQ(sheet.tableRows[0].size() + sheet.tableRows[1].size() + sheet.tableRows[2].size(), 11);
  EXPECT_EQ(sheet.tableRows[0][0], QStringLiteral("最高气温：-3.5℃*"));
  EXPECT_EQ(sheet.tableRows[2][2], window.statusPanel(3, 2)->text());
  EXPECT_TRUE(sheet.caption.startsWith(QStringLiteral("北京 54511　2024-01-20　历史天气")))
      << sheet.caption.toStdString();

  // The chart on the page is the window's chart, scaled.
  QImage page = blankPage();
  const auto pages = layoutSheet(sheet, kPrintable, page);
  ASSERT_EQ(pages.size(), 1u);
  QPainter painter(&page);
  paintSheet(painter, sheet, pages, [] { return false; });
  painter.end();
  const QRectF chart = pages[0].pictures[0];
  const QImage shown = window.chartCanvas().picture();
  const QPointF corner(10, 10);  // the grey ground of the chart's corner
  EXPECT_EQ(page.pixel((chart.topLeft() + corner * chart.width() / kChartWidth).toPoint()),
            shown.pixel(corner.toPoint()));

  testing::TempFolder folder;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString((folder / "day.pdf").string()));
  ASSERT_TRUE(window.printDay(printer));
  const std::string pdf = testing::readBytes(folder / "day.pdf");
  EXPECT_TRUE(pdf.starts_with("%PDF-"));
  const std::regex onePage("/Type /Page[^s]");
  EXPECT_EQ(
      std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), onePage), std::sregex_iterator()),
      1);

  printer.setOutputFileName(QString::fromStdString((folder / "missing" / "day.pdf").string()));
  EXPECT_FALSE(window.printDay(printer));
}

}  // namespace
}  // namespace skyrill::test
