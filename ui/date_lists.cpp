#include "ui/date_lists.h"

#include <QComboBox>

namespace skyrill {

namespace {

// First year each data source can answer for.
constexpr int kFirstYear = 2013;
constexpr int kFirstAdvancedYear = 2004;

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::string selectedText(const QComboBox& list) {
  return list.currentIndex() < 0 ? std::string() : list.currentText().toStdString();
}

}  // namespace

int daysInMonth(int year, int month) {
  if (year < 100 || year > 9999 || month < 1 || month > 12) return 0;
  switch (month) {
    case 2:
      return isLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    default:
      return 31;
  }
}

DateLists::DateLists(QComboBox& years, QComboBox& months, QComboBox& days, Clock clock,
                     AdvancedSource advancedSource)
    : years_(years),
      months_(months),
      days_(days),
      clock_(std::move(clock)),
      advancedSource_(std::move(advancedSource)) {
  months_.clear();
  for (int month = 1; month <= 12; ++month) months_.addItem(QString::number(month));
  months_.setCurrentIndex(-1);
}

void DateLists::startUp() {
  const QDate today = clock_();
  fillYearList(0);
  months_.setCurrentIndex(today.month() - 1);
  days_.clear();
  addDays(daysInMonth(selectedYear(), months_.currentIndex() + 1));
  days_.setCurrentIndex(today.day() - 1);
}

void DateLists::fillYearList(int year) {
  years_.clear();
  const int first = advancedSource_() ? kFirstAdvancedYear : kFirstYear;
  for (int listed = first; listed <= clock_().year(); ++listed) {
    years_.addItem(QString::number(listed));
  }
  int selected = years_.count() - 1;
  if (year > 0) {
    const QString prefix = QString::number(year);
    selected = -1;
    for (int index = 0; index < years_.count(); ++index) {
      if (years_.itemText(index).startsWith(prefix)) {
        selected = index;
        break;
      }
    }
  }
  years_.setCurrentIndex(selected);
}

void DateLists::fillDayList() {
  const int keptDay = days_.currentIndex();
  days_.clear();
  const int count = daysInMonth(selectedYear(), months_.currentIndex() + 1);
  addDays(count);
  days_.setCurrentIndex(keptDay > count - 1 ? count - 1 : keptDay);
}

void DateLists::applyRealtimeMode(bool realtimeTicked) {
  for (QComboBox* list : {&years_, &months_, &days_}) list->setEnabled(!realtimeTicked);
}

DateTexts DateLists::selectedDateTexts() const {
  return {selectedText(years_), selectedText(months_), selectedText(days_)};
}

int DateLists::selectedYear() const {
  return years_.currentIndex() < 0 ? 0 : years_.currentText().toInt();
}

QDate DateLists::selectedDate() const {
  if (years_.currentIndex() < 0 || months_.currentIndex() < 0 || days_.currentIndex() < 0) {
    return {};
  }
  return QDate(selectedYear(), months_.currentIndex() + 1, days_.currentIndex() + 1);
}

bool DateLists::stepDate(int days) {
  const QDate from = selectedDate();
  if (!from.isValid()) return false;
  const QDate to = from.addDays(days);
  if (to > clock_() || to < firstListedDate()) return false;
  fillYearList(to.year());
  months_.setCurrentIndex(to.month() - 1);
  days_.clear();
  addDays(daysInMonth(to.year(), to.month()));
  days_.setCurrentIndex(to.day() - 1);
  return true;
}

QDate DateLists::firstListedDate() const {
  return years_.count() == 0 ? QDate() : QDate(years_.itemText(0).toInt(), 1, 1);
}

void DateLists::addDays(int count) {
  for (int day = 1; day <= count; ++day) days_.addItem(QString::number(day));
  // Adding to an empty list selects its first item; the callers decide.
  days_.setCurrentIndex(-1);
}

}  // namespace skyrill
