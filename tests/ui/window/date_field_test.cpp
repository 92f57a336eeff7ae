// The date field takes a date typed whole, in any of the forms the programs
// read, or picked from its calendar; a text that is no date is marked and
// changes nothing.
#include "ui/date_field.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCalendarWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "date_typing.h"

namespace skyrill::test {
namespace {

class DateFieldTest : public ::testing::Test {
 protected:
  DateFieldTest() {
    field.setFieldName(QStringLiteral("末日"));
    field.setDateRange(QDate(), QDate(2024, 3, 6));
    field.setDate(QDate(2023, 12, 25));
    field.show();
    QApplication::setActiveWindow(&field);
  }

  QColor textColour() { return field.editor().palette().color(QPalette::Text); }

  DateField field;
};

TEST_F(DateFieldTest, aWholeTypedDateIsTakenAndAnythingElseIsMarked) {
  const QColor plain = textColour();
  struct Case {
    const char* typed;
    QDate taken;          // invalid: the date stays as it was
    const char* problem;  // the start of the reason given; "" when taken
  } cases[] = {
      {"2024-01-31", QDate(2024, 1, 31), ""},
      {"2024/2/29", QDate(2024, 2, 29), ""},
      {"20240305", QDate(2024, 3, 5), ""},
      {" 2024.1.5 ", QDate(2024, 1, 5), ""},
      {"2023-02-29", QDate(), "日期无效"},
      {"2024-1", QDate(), "日期无效"},
      {"31/01/2024", QDate(), "日期无效"},
      {"", QDate(), "日期无效"},
      {"2024-03-07", QDate(), "日期不能晚于 2024-03-06"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    field.setDate(QDate(2023, 12, 25));
    QSignalSpy changed(&field, &DateField::dateChanged);
    typeDate(field, QString::fromUtf8(c.typed));
    const QString problem = QString::fromUtf8(c.problem);
    if (c.taken.isValid()) {
      EXPECT_EQ(field.date(), c.taken);
      EXPECT_EQ(field.editor().text(), c.taken.toString(QStringLiteral("yyyy-MM-dd")));
      EXPECT_EQ(changed.count(), 1);
      EXPECT_TRUE(field.holdsDate());
      EXPECT_EQ(field.problem(), QString());
      EXPECT_EQ(textColour(), plain);
    } else {
      EXPECT_EQ(field.date(), QDate(2023, 12, 25));
      EXPECT_EQ(field.editor().text().trimmed(), QString::fromUtf8(c.typed).trimmed());
      EXPECT_EQ(changed.count(), 0);
      EXPECT_FALSE(field.holdsDate());
      EXPECT_TRUE(field.problem().startsWith(problem)) << field.problem().toStdString();
      EXPECT_EQ(field.editor().accessibleDescription(), field.problem());
      EXPECT_NE(textColour(), plain);
    }
  }
}

// Typing is taken when it ends, not letter by letter: "2024-1-3" on the way
// to "2024-1-31" is no date of its own. Leaving the field ends it too.
TEST_F(DateFieldTest, typingIsTakenWhenTheFieldIsLeft) {
  QWidget other;
  QSignalSpy changed(&field, &DateField::dateChanged);
  field.editor().setFocus();
  field.editor().selectAll();
  QTest::keyClicks(&field.editor(), QStringLiteral("2024-1-31"));
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(field.date(), QDate(2023, 12, 25));
  field.editor().clearFocus();
  EXPECT_EQ(field.date(), QDate(2024, 1, 31));
  EXPECT_EQ(changed.count(), 1);
}

// The calendar opens from the button or the keyboard over the date held,
// offers no day past the range, and a day picked there is taken.
TEST_F(DateFieldTest, theCalendarOpensOverTheDateAndTakesADay) {
  field.editor().setFocus();
  QTest::keyClick(&field.editor(), Qt::Key_Down, Qt::AltModifier);
  auto* calendar = field.findChild<QCalendarWidget*>(QStringLiteral("calendar"));
  ASSERT_NE(calendar, nullptr);
  EXPECT_TRUE(calendar->isVisible());
  EXPECT_EQ(calendar->selectedDate(), QDate(2023, 12, 25));
  EXPECT_EQ(calendar->maximumDate(), QDate(2024, 3, 6));
  EXPECT_EQ(calendar->accessibleName(), QStringLiteral("末日：日历"));

  emit calendar->activated(QDate(2024, 2, 1));
  EXPECT_FALSE(calendar->isVisible());
  EXPECT_EQ(field.date(), QDate(2024, 2, 1));
  EXPECT_EQ(field.editor().text(), QStringLiteral("2024-02-01"));

  QTest::mouseClick(field.findChild<QToolButton*>(QStringLiteral("calendarButton")),
                    Qt::LeftButton);
  EXPECT_TRUE(calendar->isVisible());
  EXPECT_EQ(calendar->selectedDate(), QDate(2024, 2, 1));
  calendar->hide();
}

TEST_F(DateFieldTest, screenReadersHearTheFieldsName) {
  EXPECT_EQ(field.editor().accessibleName(), QStringLiteral("末日"));
  EXPECT_EQ(field.findChild<QToolButton*>(QStringLiteral("calendarButton"))->accessibleName(),
            QStringLiteral("末日：日历"));
}

}  // namespace
}  // namespace skyrill::test
