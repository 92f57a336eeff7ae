#include "ui/date_lists.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenuBar>
#include <QTest>

#include "window_fixture.h"

namespace skyrill::test {
namespace {

TEST(DaysInMonth, FollowsTheGregorianCalendar) {
  struct Case {
    int year, month, days;
  };
  const Case cases[] = {
      {2023, 1, 31}, {2023, 4, 30}, {2023, 12, 31}, {2023, 2, 28},  {2024, 2, 29},
      {1900, 2, 28}, {2000, 2, 29}, {100, 2, 28},   {9999, 12, 31}, {99, 1, 0},
      {10000, 1, 0}, {0, 3, 0},     {2023, 0, 0},   {2023, 13, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(daysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
  }
}

// The three lists on their own, with a settable today and source switch.
class DateListsTest : public ::testing::Test {
 protected:
  DateListsTest()
      : lists(
            years, months, days, [this] { return today; }, [this] { return advanced; }) {
    lists.startUp();
  }

  // Picks an item the way the user does: the selection, then the refill.
  void pick(QComboBox& list, const QString& text) {
    list.setCurrentIndex(list.findText(text));
    lists.fillDayList();
  }

  QStringList items(const QComboBox& list) const {
    QStringList texts;
    for (int index = 0; index < list.count(); ++index) texts << list.itemText(index);
    return texts;
  }

  QDate today{2024, 3, 7};
  bool advanced = false;
  QComboBox years, months, days;
  DateLists lists;
};

TEST_F(DateListsTest, StartsOnTodayWithYearsFrom2013) {
  EXPECT_EQ(items(years).first(), "2013");
  EXPECT_EQ(items(years).last(), "2024");
  EXPECT_EQ(items(months).size(), 12);
  EXPECT_EQ(days.count(), 31);
  const DateTexts date = lists.selectedDateTexts();
  EXPECT_EQ(date.year, "2024");
  EXPECT_EQ(date.month, "3");
  EXPECT_EQ(date.day, "7");
}

// A step of one day moves all three lists across month and year ends, with
// the day list refilled for the new month; it never leaves the years listed
// nor passes today.
TEST_F(DateListsTest, StepsADayAcrossMonthAndYearEnds) {
  const struct {
    QDate from;
    int step;
    QDate to;  // invalid: the step is refused and nothing moves
  } cases[] = {
      {{2023, 12, 31}, 1, {2024, 1, 1}},
      {{2024, 1, 1}, -1, {2023, 12, 31}},
      {{2024, 2, 28}, 1, {2024, 2, 29}},
      {{2024, 3, 1}, -1, {2024, 2, 29}},
      {{2023, 3, 1}, -1, {2023, 2, 28}},
      {{2024, 3, 6}, 1, {2024, 3, 7}},
      {{2024, 3, 7}, 1, {}},
      {{2013, 1, 1}, -1, {}},
  };
  for (const auto& c : cases) {
    lists.fillYearList(c.from.year());
    months.setCurrentIndex(c.from.month() - 1);
    lists.fillDayList();
    days.setCurrentIndex(c.from.day() - 1);
    ASSERT_EQ(lists.selectedDate(), c.from);
    EXPECT_EQ(lists.stepDate(c.step), c.to.isValid()) << c.from.toString().toStdString();
    const QDate shown = c.to.isValid() ? c.to : c.from;
    EXPECT_EQ(lists.selectedDate(), shown) << c.from.toString().toStdString();
    EXPECT_EQ(days.count(), daysInMonth(shown.year(), shown.month()));
  }
}

TEST_F(DateListsTest, DayIsKeptOrLoweredToTheMonthsLastDay) {
  struct Case {
    const char* year;
    const char* dayBefore;
    const char* month;
    int daysAfter;
    const char* dayAfter;
  };
  const Case cases[] = {
      {"2024", "31", "2", 29, "29"},  // leap year
      {"2023", "31", "2", 28, "28"},
      {"2023", "15", "4", 30, "15"},
      {"2023", "31", "4", 30, "30"},
  };
  for (const Case& c : cases) {
    pick(years, c.year);
    pick(months, "1");
    days.setCurrentIndex(days.findText(c.dayBefore));
    pick(months, c.month);
    EXPECT_EQ(days.count(), c.daysAfter) << c.year << "-" << c.month;
    EXPECT_EQ(days.currentText(), c.dayAfter) << c.year << "-" << c.month;
  }
}

TEST_F(DateListsTest, LeapDayBecomesThe28thInAnOrdinaryYear) {
  pick(months, "2");
  days.setCurrentIndex(days.findText("29"));
  pick(years, "2023");
  EXPECT_EQ(days.count(), 28);
  EXPECT_EQ(days.currentText(), "28");
}

TEST_F(DateListsTest, DayListWithoutSelectionStaysWithoutOne) {
  days.setCurrentIndex(-1);
  pick(months, "5");
  EXPECT_EQ(days.count(), 31);
  EXPECT_EQ(days.currentIndex(), -1);
  EXPECT_EQ(lists.selectedDateTexts().day, "");
}

TEST_F(DateListsTest, YearIsChosenByItsLeadingDigits) {
  struct Case {
    bool advanced;
    int year;
    const char* first;
    const char* selected;  // "" for none
  };
  const Case cases[] = {
      {true, 2015, "2004", "2015"}, {false, 2015, "2013", "2015"}, {false, 2008, "2013", ""},
      {true, 2008, "2004", "2008"}, {false, 0, "2013", "2024"},    {false, 20, "2013", "2013"},
      {false, 1999, "2013", ""},
  };
  for (const Case& c : cases) {
    advanced = c.advanced;
    lists.fillYearList(c.year);
    EXPECT_EQ(years.itemText(0), c.first) << c.year;
    EXPECT_EQ(lists.selectedDateTexts().year, c.selected) << c.year;
  }
}

TEST_F(DateListsTest, NoYearsBeforeTheFirstOffered) {
  today = QDate(2010, 6, 1);
  lists.fillYearList(0);
  EXPECT_EQ(years.count(), 0);
  EXPECT_EQ(years.currentIndex(), -1);
  pick(months, "6");
  EXPECT_EQ(days.count(), 0);  // no year, no days
}

TEST_F(DateListsTest, RealtimeModeGreysOutTheListsAndKeepsTheDate) {
  lists.applyRealtimeMode(true);
  for (const QComboBox* list : {&years, &months, &days}) EXPECT_FALSE(list->isEnabled());
  lists.applyRealtimeMode(false);
  for (const QComboBox* list : {&years, &months, &days}) EXPECT_TRUE(list->isEnabled());
  EXPECT_EQ(lists.selectedDateTexts().day, "7");
}

// The same rules reached through the window's own elements.
class WindowDateTest : public WindowFixture {
 protected:
  QAction* advancedSourceItem() {
    for (QAction* action : window.findChildren<QAction*>()) {
      if (action->text() == QStringLiteral("&S.使用高级数据源")) return action;
    }
    return nullptr;
  }
};

TEST_F(WindowDateTest, PickingAMonthRefillsTheDays) {
  auto* months = child<QComboBox>(QStringLiteral("组合框2"));
  auto* days = child<QComboBox>(QStringLiteral("组合框3"));
  days->setCurrentIndex(30);
  months->setCurrentIndex(1);
  emit months->activated(1);
  EXPECT_EQ(days->count(), 29);
  EXPECT_EQ(days->currentText(), "29");
}

TEST_F(WindowDateTest, RealtimeBoxGreysOutTheLists) {
  window.show();
  auto* realtime = child<QCheckBox>(QStringLiteral("选择框1"));
  QTest::mouseClick(realtime, Qt::LeftButton);
  ASSERT_TRUE(realtime->isChecked());
  EXPECT_FALSE(child(QStringLiteral("组合框1"))->isEnabled());
  EXPECT_FALSE(child(QStringLiteral("组合框3"))->isEnabled());
  QTest::mouseClick(realtime, Qt::LeftButton);
  EXPECT_TRUE(child(QStringLiteral("组合框2"))->isEnabled());
}

TEST_F(WindowDateTest, AdvancedSourceRefillsTheYearsAndMarksTheCaption) {
  auto* years = child<QComboBox>(QStringLiteral("组合框1"));
  auto* days = child<QComboBox>(QStringLiteral("组合框3"));
  window.setBaseTitle(QStringLiteral("Skyrill"));
  years->setCurrentIndex(years->findText("2015"));
  QAction* item = advancedSourceItem();
  ASSERT_NE(item, nullptr);

  item->trigger();
  EXPECT_EQ(years->itemText(0), "2004");
  EXPECT_EQ(years->currentText(), "2015");
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Skyrill【高级】"));

  years->setCurrentIndex(years->findText("2008"));
  const int dayCount = days->count();
  item->trigger();
  EXPECT_EQ(years->itemText(0), "2013");
  EXPECT_EQ(years->currentIndex(), -1);
  EXPECT_EQ(days->count(), dayCount);  // the toggle leaves the days alone
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Skyrill"));
}

}  // namespace
}  // namespace skyrill::test
