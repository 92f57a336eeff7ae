#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "tests/support/dark_desktop.h"
#include "ui/table_window.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

// 08:00 and 09:00 Beijing time: a freezing hour with snow and a windy,
// foggy one.
const std::string kDay = R"({"date":"2024-01-20","wmo":"54511","res":[
  {"name":"北京","time":"2024-01-20T00:00:00","T":-21,"R1h":0.4,"RH":45,"V10m":0.03,
   "P":1030.2,"WS0mMAX1h":7.9,"WD0mMAX1h":350,"SD":12,"WX":70,"WS2m":3.2,"WD2m":340},
  {"time":"2024-01-20T01:00:00","T":2.0,"R1h":3,"RH":100,"V10m":0.8,"P":1029.5,
   "WS0mMAX1h":12,"WD0mMAX1h":355,"WS2m":8,"WD2m":10,"WD0m":1,"WS0m":30}]})";

// The same station a day later: 30 records, 08:00 on the 21st onwards.
std::string thirtyRecords() {
  std::string records;
  for (int hour = 0; hour < 30; ++hour) {
    const int day = 21 + hour / 24;
    const int clock = hour % 24;
    records += std::string(hour ? "," : "") + R"({"time":"2024-01-)" + std::to_string(day) + "T" +
               (clock < 10 ? "0" : "") + std::to_string(clock) + R"(:00:00","T":)" +
               std::to_string(hour) + "}";
  }
  return R"({"wmo":"54511","res":[{"name":"北京","time":"2024-01-20T00:00:00","T":-1},)" + records +
         "]}";
}

// "r,g,b" of the cell's background, with " white" when its text is white.
QString colours(const QTableWidgetItem* item) {
  if (!item) return QStringLiteral("no item");
  const QColor background = item->background().color();
  QString text = QStringLiteral("%1,%2,%3")
                     .arg(background.red())
                     .arg(background.green())
                     .arg(background.blue());
  if (item->foreground().color() == Qt::white) text += QStringLiteral(" white");
  return text;
}

class TableWindowTest : public WindowFixture {
 protected:
  QAction* showTableItem() {
    for (QAction* action : window.findChildren<QAction*>()) {
      if (action->text() == QStringLiteral("&T.显示表格")) return action;
    }
    ADD_FAILURE() << "no table item";
    return nullptr;
  }

  // Opens the table by its menu item and gives the open window.
  TableWindow* openTable() {
    showTableItem()->trigger();
    const auto tables = window.findChildren<TableWindow*>();
    EXPECT_EQ(tables.size(), 1);
    return tables.isEmpty() ? nullptr : tables.front();
  }

  void fetchWith(const std::string& answer) {
    source.answer = answer;
    child<QPushButton>(QStringLiteral("获取按钮"))->click();
  }

  static QString text(TableWindow* table, int row, int column) {
    const QTableWidgetItem* item = table->grid().item(row, column);
    return item ? item->text() : QStringLiteral("no item");
  }

  // Opens the table over the shown main window, active and ready for keys.
  TableWindow* openActiveTable() {
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) return nullptr;
    TableWindow* table = openTable();
    if (!table) return nullptr;
    table->activateWindow();
    // Keys reach shortcuts only once the application has made it its
    // active window, which comes after the platform's activation.
    return QTest::qWaitFor([table] { return QApplication::activeWindow() == table; }) ? table
                                                                                      : nullptr;
  }
};

// A 3 x 3 grid with headers A, B, C and cells a0 ... c2, row 1 of column B
// empty.
class SelectionTextTest : public ::testing::Test {
 protected:
  SelectionTextTest() : grid(3, 3) {
    grid.setHorizontalHeaderLabels({"A", "B", "C"});
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 3; ++column) {
        const QString cell =
            row == 1 && column == 1 ? QString() : QChar(u'a' + column) + QString::number(row);
        grid.setItem(row, column, new QTableWidgetItem(cell));
      }
    }
  }

  QTableWidget grid;
};

TEST_F(TableWindowTest, OpensBeforeAnyDayWithTheHeaderOnly) {
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);
  EXPECT_TRUE(table->isVisible());
  EXPECT_FALSE(table->isModal());
  EXPECT_EQ(table->parentWidget(), &window);
  EXPECT_EQ(table->windowTitle(), QStringLiteral(" () 的历史天气"));
  EXPECT_EQ(table->grid().rowCount(), 0);
  EXPECT_EQ(table->grid().columnCount(), 12);
  EXPECT_EQ(table->grid().horizontalHeaderItem(11)->text(), QStringLiteral("2分钟风向"));
}

TEST_F(TableWindowTest, WindowAndGridAsDesigned) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  TableWindow* table = openTable();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(table));
  const Qt::WindowFlags flags = table->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_NE(table->minimumSize(), table->maximumSize());

  EXPECT_EQ(table->windowHandle()->transientParent(), window.windowHandle());
  // The X11 platform writes WM_TRANSIENT_FOR for dialog and tool windows only.
  EXPECT_EQ(table->windowHandle()->type(), Qt::Dialog);

  EXPECT_EQ(table->size(), QSize(784, 624));
  EXPECT_EQ(table->grid().geometry(), QRect(0, 0, 784, 624));
  const QRect screen = table->screen()->availableGeometry();
  // Centred up to the window frame, which the platform adds when it shows
  // the window.
  EXPECT_LE((table->frameGeometry().center() - screen.center()).manhattanLength(), 10);

  // The grid follows every size change of the window.
  table->resize(500, 300);
  EXPECT_EQ(table->grid().geometry(), QRect(0, 0, 500, 300));
  table->showMaximized();
  QTest::qWait(20);
  EXPECT_EQ(table->grid().geometry(), table->rect());
  EXPECT_GT(table->width(), 784);

  const QTableWidget& grid = table->grid();
  // The design widths are the least a column gets, whatever the font.
  const int widths[] = {150, 80, 80, 80, 80, 80, 80, 80, 80, 80, 100, 100};
  for (int column = 0; column < 12; ++column) {
    EXPECT_GE(grid.columnWidth(column), widths[column]) << column;
  }
  EXPECT_FALSE(grid.verticalHeader()->isVisible());
  EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), 24);
  EXPECT_EQ(grid.horizontalHeader()->height(), 24);
  const QFont header = grid.horizontalHeader()->font();
  EXPECT_LE(QFontMetrics(header).height(), 22);
  QFont larger = header;
  larger.setPixelSize(header.pixelSize() + 1);
  EXPECT_GT(QFontMetrics(larger).height(), 22);
  EXPECT_EQ(grid.horizontalHeader()->defaultAlignment(), Qt::AlignCenter);
}

TEST_F(TableWindowTest, ShowsTheDayOnDisplayWithItsColours) {
  fetchWith(kDay);
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->windowTitle(), QStringLiteral("北京 (54511) 的历史天气"));
  ASSERT_EQ(table->grid().rowCount(), 2);
  const QStringList first = {"2024/01/20 08:00:00",
                             "-21.0",
                             "0.4",
                             "45",
                             "0.030",
                             "1030.2",
                             "7.9",
                             "350",
                             "12",
                             "70",
                             "3.2",
                             "340"};
  for (int column = 0; column < 12; ++column) {
    EXPECT_EQ(text(table, 0, column), first[column]) << column;
    EXPECT_EQ(table->grid().item(0, column)->textAlignment(), Qt::AlignCenter) << column;
  }
  EXPECT_EQ(colours(table->grid().item(0, 0)), QStringLiteral("255,255,255"));
  EXPECT_EQ(colours(table->grid().item(0, 1)), QStringLiteral("0,0,0 white"));
  EXPECT_EQ(colours(table->grid().item(0, 2)), QStringLiteral("204,204,204"));
  EXPECT_EQ(colours(table->grid().item(0, 3)), QStringLiteral("255,255,255"));
  EXPECT_EQ(colours(table->grid().item(0, 4)), QStringLiteral("32,16,4 white"));
  EXPECT_EQ(colours(table->grid().item(0, 6)), QStringLiteral("255,255,255"));
  EXPECT_EQ(colours(table->grid().item(1, 2)), QStringLiteral("255,144,144"));
  EXPECT_EQ(colours(table->grid().item(1, 3)), QStringLiteral("255,255,0"));
  EXPECT_EQ(colours(table->grid().item(1, 4)), QStringLiteral("99,255,254"));
  EXPECT_EQ(colours(table->grid().item(1, 6)), QStringLiteral("0,255,255"));
  EXPECT_EQ(colours(table->grid().item(1, 10)), QStringLiteral("0,255,0"));
}

TEST_F(TableWindowTest, EveryRunWhileOpenRefillsIt) {
  fetchWith(kDay);
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);

  // A variant change redisplays the held day: the user's edit is gone, and
  // the wind columns keep their own keys whatever the variant.
  table->grid().item(1, 6)->setText(QStringLiteral("40.0"));
  for (QAction* action : window.findChildren<QAction*>()) {
    if (action->text() == QStringLiteral("整点瞬时风")) action->trigger();
  }
  EXPECT_EQ(source.requests.size(), 1u);
  ASSERT_EQ(table->grid().rowCount(), 2);
  EXPECT_EQ(text(table, 1, 6), QStringLiteral("12.0"));
  EXPECT_EQ(colours(table->grid().item(1, 6)), QStringLiteral("0,255,255"));
  EXPECT_EQ(text(table, 1, 10), QStringLiteral("8.0"));

  // A new fetch shows its own records, all 31 of them.
  fetchWith(thirtyRecords());
  ASSERT_EQ(table->grid().rowCount(), 31);
  EXPECT_EQ(text(table, 0, 1), QStringLiteral("-1.0"));
  EXPECT_EQ(colours(table->grid().item(0, 1)), QStringLiteral("0,119,0 white"));
  EXPECT_EQ(text(table, 30, 0), QStringLiteral("2024/01/22 13:00:00"));
  EXPECT_EQ(colours(table->grid().item(30, 1)), QStringLiteral("187,255,0"));

  // A failed fetch leaves it as it was.
  MessageAnswerer answerer;
  fetchWith(R"({"res":[]})");
  EXPECT_EQ(answerer.shown().size(), 1u);
  EXPECT_EQ(table->grid().rowCount(), 31);

  // The current day, in the answer's order.
  window.setRealtime(true);
  fetchWith(R"({"wmo":"54511","today":[{"name":"北京","time":"2024-01-22T05:00:00","T":5},
      {"time":"2024-01-22T04:00:00","T":4}]})");
  EXPECT_EQ(table->windowTitle(), QStringLiteral("北京 (54511) 的天气实况"));
  ASSERT_EQ(table->grid().rowCount(), 2);
  EXPECT_EQ(text(table, 0, 0), QStringLiteral("2024/01/22 13:00:00"));
  EXPECT_EQ(text(table, 1, 0), QStringLiteral("2024/01/22 12:00:00"));
}

TEST_F(TableWindowTest, AnEditReColoursTheGridFromItsTexts) {
  fetchWith(kDay);
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);
  QTableWidget& grid = table->grid();

  grid.item(0, 1)->setText(QStringLiteral("36"));
  EXPECT_EQ(colours(grid.item(0, 1)), QStringLiteral("255,68,0 white"));
  // The precipitation of the row now falls as rain.
  EXPECT_EQ(colours(grid.item(0, 2)), QStringLiteral("166,242,143"));
  // A value that no rule colours is shown plain again.
  grid.item(0, 4)->setText(QStringLiteral("12.000"));
  EXPECT_EQ(colours(grid.item(0, 4)), QStringLiteral("255,255,255"));
  grid.item(1, 3)->setText(QString());
  EXPECT_EQ(colours(grid.item(1, 3)), QStringLiteral("255,255,255"));
  // The humidity edit makes the row's fog dry.
  grid.item(1, 3)->setText(QStringLiteral("59"));
  EXPECT_EQ(colours(grid.item(1, 4)), QStringLiteral("128,64,16 white"));
}

TEST_F(TableWindowTest, OpenedAfterAFailedFetchItShowsTheDayStillOnDisplay) {
  fetchWith(kDay);
  MessageAnswerer answerer;
  fetchWith(R"({"error":"未知站点"})");
  ASSERT_EQ(answerer.shown().size(), 1u);
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->windowTitle(), QStringLiteral("北京 (54511) 的历史天气"));
  EXPECT_EQ(table->grid().rowCount(), 2);
}

TEST_F(TableWindowTest, AModeOtherThanTheTwoShowsNoRecords) {
  fetchWith(kDay);
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);
  // A file whose name carries another mode is refused: the grid stays.
  MessageAnswerer answerer;
  pipeline.openDayText(kDay, "5_54511_0_20240120.json", false);
  EXPECT_EQ(answerer.shown().size(), 1u);
  EXPECT_EQ(table->grid().rowCount(), 2);

  pipeline.state().displayedMode = static_cast<QueryMode>(5);
  window.refreshTable();
  EXPECT_EQ(table->grid().rowCount(), 0);
  EXPECT_EQ(table->windowTitle(), QStringLiteral(" (54511) 的"));
}

TEST_F(TableWindowTest, TheCommandWhileOpenBringsTheSameWindowForward) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(table));
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  QTest::keyClick(&window, Qt::Key_F1);
  EXPECT_EQ(window.findChildren<TableWindow*>().size(), 1);
  EXPECT_TRUE(QTest::qWaitForWindowActive(table));
}

TEST_F(TableWindowTest, ClosingDiscardsItAndReopeningFillsAfresh) {
  fetchWith(kDay);
  QPointer<TableWindow> first = openTable();
  ASSERT_NE(first, nullptr);
  first->grid().item(0, 1)->setText(QStringLiteral("99"));
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());

  TableWindow* second = openTable();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(text(second, 0, 1), QStringLiteral("-21.0"));
}

TEST_F(TableWindowTest, NoHeaderOrCellTextIsCutOffInTheFontInUse) {
  fetchWith(kDay);
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);
  QTableWidget& grid = table->grid();
  const QStyle& style = *grid.style();
  // The room the style leaves around a text, on both sides together.
  const int headerMargins = 2 * style.pixelMetric(QStyle::PM_HeaderMargin, nullptr, &grid);
  const int cellMargins = 2 * (style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);

  for (const int cellFontPx : {12, 20}) {
    SCOPED_TRACE(cellFontPx);
    QFont font = grid.font();
    font.setPixelSize(cellFontPx);
    grid.setFont(font);
    window.refreshTable();
    const QFontMetrics headerFont(grid.horizontalHeader()->font());
    const QFontMetrics cellFont(font);
    for (int column = 0; column < grid.columnCount(); ++column) {
      const int width = grid.columnWidth(column);
      const QString header = grid.horizontalHeaderItem(column)->text();
      EXPECT_GE(width, headerFont.horizontalAdvance(header) + headerMargins) << column;
      for (int row = 0; row < grid.rowCount(); ++row) {
        EXPECT_GE(width, cellFont.horizontalAdvance(text(table, row, column)) + cellMargins)
            << row << "," << column;
      }
    }
  }
  // "2024/01/20 08:00:00" in 20 px needs more than the design's 150.
  EXPECT_GT(grid.columnWidth(0), 150);
}

TEST_F(SelectionTextTest, CopiesTheSelectedRowsAndColumnsUnderTheirHeaders) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> cells;  // (row, column)
    const char* text;
  };
  const Case cases[] = {
      {"nothing", {}, ""},
      {"one cell", {{2, 0}}, "A\na2\n"},
      {"a block with an empty cell", {{0, 1}, {0, 2}, {1, 1}, {1, 2}}, "B\tC\nb0\tc0\n\tc1\n"},
      {"the grid",
       {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}},
       "A\tB\tC\na0\tb0\tc0\na1\t\tc1\na2\tb2\tc2\n"},
      // Picked one by one, the unpicked cell between two picked ones stays
      // empty; rows and columns with no picked cell are left out.
      {"scattered cells", {{2, 2}, {0, 0}, {0, 2}}, "A\tC\na0\tc0\n\tc2\n"},
  };
  for (const Case& test : cases) {
    grid.clearSelection();
    for (const auto& [row, column] : test.cells) {
      grid.selectionModel()->select(grid.model()->index(row, column), QItemSelectionModel::Select);
    }
    EXPECT_EQ(selectionText(grid), QString::fromUtf8(test.text)) << test.what;
  }
}

TEST_F(TableWindowTest, SelectAllThenCopyPutsTheGridWithItsHeaderOnTheClipboard) {
  fetchWith(kDay);
  TableWindow* table = openActiveTable();
  ASSERT_NE(table, nullptr);
  QTableWidget& grid = table->grid();
  // An edited cell copies as it now reads.
  grid.item(1, 6)->setText(QStringLiteral("40.0"));
  QGuiApplication::clipboard()->clear();

  QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QStringLiteral("数据时间\t气温\t降水量\t湿度\t能见度\t气压\t极大风速\t极大风向\t"
                           "积雪深度\t天气现象\t2分钟风速\t2分钟风向\n"
                           "2024/01/20 08:00:00\t-21.0\t0.4\t45\t0.030\t1030.2\t7.9\t350\t12\t70\t"
                           "3.2\t340\n"
                           "2024/01/20 09:00:00\t2.0\t3.0\t100\t0.800\t1029.5\t40.0\t355\t\t\t"
                           "8.0\t10\n"));

  // While a cell is edited, the editor copies its own text.
  grid.setCurrentCell(0, 5);
  grid.editItem(grid.item(0, 5));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  editor->setSelection(0, 4);
  QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("1030"));
}

TEST_F(TableWindowTest, EscAndCtrlWCloseItButEscFirstEndsAnEdit) {
  fetchWith(kDay);
  const QKeyCombination keys[] = {Qt::Key_Escape, Qt::ControlModifier | Qt::Key_W};
  for (const QKeyCombination key : keys) {
    SCOPED_TRACE(QKeySequence(key).toString().toStdString());
    QPointer<TableWindow> table = openActiveTable();
    ASSERT_NE(table, nullptr);
    QTest::keyClick(&table->grid(), key.key(), key.keyboardModifiers());
    EXPECT_FALSE(!table.isNull() && table->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  TableWindow* table = openActiveTable();
  ASSERT_NE(table, nullptr);
  QTableWidget& grid = table->grid();
  grid.setCurrentCell(0, 1);
  grid.editItem(grid.item(0, 1));
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, &grid);
  QTest::keyClicks(editor, QStringLiteral("99"));
  QTest::keyClick(editor, Qt::Key_Escape);
  EXPECT_TRUE(table->isVisible());
  EXPECT_EQ(grid.indexWidget(grid.model()->index(0, 1)), nullptr);
  EXPECT_EQ(text(table, 0, 1), QStringLiteral("-21.0"));
  // The next Esc, with no editor open, closes the window.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(table->isVisible());
}

TEST_F(TableWindowTest, HeaderAndCellsReadWellOnADarkDesktop) {
  const DarkDesktop dark;
  fetchWith(kDay);
  TableWindow* table = openTable();
  ASSERT_NE(table, nullptr);
  const QTableWidget& grid = table->grid();
  struct Pair {
    const char* what;
    QColor text;
    QColor ground;
  };
  const QPalette header = grid.horizontalHeader()->palette();
  const QPalette cells = grid.palette();
  const QTableWidgetItem& plain = *grid.item(0, 0);
  const Pair pairs[] = {
      {"header", header.color(QPalette::ButtonText), header.color(QPalette::Button)},
      {"header window", header.color(QPalette::WindowText), header.color(QPalette::Window)},
      {"empty cell", cells.color(QPalette::Text), cells.color(QPalette::Base)},
      {"plain cell", plain.foreground().color(), plain.background().color()},
      {"window", table->palette().color(QPalette::WindowText),
       table->palette().color(QPalette::Window)},
  };
  // Dark on light like the white cells, not the desktop's light on dark.
  for (const Pair& pair : pairs) {
    EXPECT_GE(contrast(pair.text, pair.ground), 4.5) << pair.what;
    EXPECT_LT(luminance(pair.text), luminance(pair.ground)) << pair.what;
  }
  EXPECT_EQ(cells.color(QPalette::Base), QColor(Qt::white));
}

}  // namespace
}  // namespace skyrill::test
