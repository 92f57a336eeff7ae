#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// Calendar dates as the programs read and write them: YYYYMMDD as a number.
namespace skyrill {

// "YYYY-MM-DD", "YYYY-M-D" (either part with one or two digits) or
// "YYYYMMDD" of a date that exists, as YYYYMMDD; nothing otherwise, so
// 2024-02-30 and 2023-02-29 are refused.
std::optional<int> readDateNumber(std::string_view text);

// "MM-DD" (either part with one or two digits) of a day that some year has,
// 02-29 included, as MMDD; nothing otherwise.
std::optional<int> readMonthDay(std::string_view text);
// A date as people type it into a field: what readDateNumber takes, with
// "/" or "." between the parts as well as "-" ("2024/1/31"), blanks around
// it passed over.
std::optional<int> readTypedDate(std::string_view text);

// YYYYMMDD as "YYYY-MM-DD".
std::string dateText(int date);

// YYYYMMDD as a calendar date (check ok() when the number may be no date),
// and back.
std::chrono::year_month_day calendarDate(int date);
int dateNumber(std::chrono::year_month_day date);

}  // namespace skyrill
