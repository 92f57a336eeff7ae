#include "core/calendar_date.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace skyrill {

namespace {

// The number that `digits` spells, or nothing when it holds anything but
// digits or a count of them outside [fewest, most].
std::optional<int> digitsNumber(std::string_view digits, std::size_t fewest, std::size_t most) {
  if (digits.size() < fewest || digits.size() > most) return std::nullopt;
  int number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace

std::optional<int> readDateNumber(std::string_view text) {
  std::optional<int> year, month, day;
  const std::size_t first = text.find('-');
  if (first == std::string_view::npos) {
    if (text.size() != 8) return std::nullopt;
    year = digitsNumber(text.substr(0, 4), 4, 4);
    month = digitsNumber(text.substr(4, 2), 2, 2);
    day = digitsNumber(text.substr(6, 2), 2, 2);
  } else {
    const std::size_t second = text.find('-', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    year = digitsNumber(text.substr(0, first), 4, 4);
    month = digitsNumber(text.substr(first + 1, second - first - 1), 1, 2);
    day = digitsNumber(text.substr(second + 1), 1, 2);
  }
  if (!year || !month || !day || *year == 0) return std::nullopt;
  const int date = *year * 10000 + *month * 100 + *day;
  if (!calendarDate(date).ok()) return std::nullopt;
  return date;
}

std::optional<int> readMonthDay(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto month = digitsNumber(text.substr(0, dash), 1, 2);
  const auto day = digitsNumber(text.substr(dash + 1), 1, 2);
  if (!month || !day) return std::nullopt;
  const std::chrono::month_day monthDay{std::chrono::month(static_cast<unsigned>(*month)),
                                        std::chrono::day(static_cast<unsigned>(*day))};
  if (!monthDay.ok()) return std::nullopt;
  return *month * 100 + *day;
}

std::optional<int> readTypedDate(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  std::string dashed(text.substr(first, text.find_last_not_of(" \t") + 1 - first));
  for (char& c : dashed) {
    if (c == '/' || c == '.') c = '-';
  }
  return readDateNumber(dashed);
}

std::chrono::year_month_day calendarDate(int date) {
  return {std::chrono::year(date / 10000),
          std::chrono::month(static_cast<unsigned>(date / 100 % 100)),
          std::chrono::day(static_cast<unsigned>(date % 100))};
}

int dateNumber(std::chrono::year_month_day date) {
  return static_cast<int>(date.year()) * 10000 +
         static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
         static_cast<int>(static_cast<unsigned>(date.day()));
}

std::string dateText(int date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
  return text;
}

}  // namespace skyrill
