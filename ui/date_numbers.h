#pragma once

#include <QDate>

// Dates as the widgets hold them and as the rest of the program numbers them
// (YYYYMMDD).
namespace skyrill {

inline QDate qDateOf(int date) {
  return QDate(date / 10000, date / 100 % 100, date % 100);
}

// 0 for an invalid date.
inline int dateNumberOf(QDate date) {
  return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
}

}  // namespace skyrill
