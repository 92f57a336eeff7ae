#pragma once

#include <QDate>
#include <functional>
#include <string>

class QComboBox;

namespace skyrill {

// Days of a month in the Gregorian calendar; 0 for a year outside 100..9999
// or a month outside 1..12.
int daysInMonth(int year, int month);

// The three selected item texts of the date lists, e.g. "2024", "3", "7";
// empty when a list has no selection.
struct DateTexts {
  std::string year;
  std::string month;
  std::string day;
};

// The year, month and day drop-down lists and the rules that keep them
// consistent. Changes made here raise no picking events.
class DateLists {
 public:
  using Clock = std::function<QDate()>;
  using AdvancedSource = std::function<bool()>;

  // The clock gives today's local date; advancedSource tells whether the
  // older years of the advanced data source are offered.
  DateLists(QComboBox& years, QComboBox& months, QComboBox& days, Clock clock,
            AdvancedSource advancedSource);

  // Fills the lists with today's date selected.
  void startUp();

  // Lists the years from the first offered one to this year. Selects the first
  // year starting with the digits of `year`, or this year when `year` is 0.
  void fillYearList(int year);

  // Lists the days of the selected month, keeping the selected day or lowering
  // it to the month's last day.
  void fillDayList();

  // Greys the lists out in realtime mode, keeping their selections.
  void applyRealtimeMode(bool realtimeTicked);

  DateTexts selectedDateTexts() const;
  // Today's date by the lists' clock.
  QDate today() const { return clock_(); }

  // The selected year as a number, 0 when none is selected.
  int selectedYear() const;

  // The selected date; invalid when a list has no selection.
  QDate selectedDate() const;
  // Moves the lists by `days` (1 or -1) from the selected date, as a user
  // picking the year, the month and the day would, the day list refilled
  // for the month. Never before the first year listed nor after today:
  // false, and nothing moves, when the step would leave them.
  bool stepDate(int days);

 private:
  void addDays(int count);
  // The first day the year list offers.
  QDate firstListedDate() const;

  QComboBox& years_;
  QComboBox& months_;
  QComboBox& days_;
  Clock clock_;
  AdvancedSource advancedSource_;
};

}  // namespace skyrill
