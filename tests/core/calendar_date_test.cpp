#include "core/calendar_date.h"

#include <gtest/gtest.h>

namespace skyrill {
namespace {

TEST(CalendarDate, readsTheThreeSpellingsOfDatesThatExist) {
  const struct {
    const char* text;
    int date;
  } good[] = {{"2024-02-29", 20240229}, {"2024-2-29", 20240229}, {"20240229", 20240229},
              {"2024-1-5", 20240105},   {"2024-01-5", 20240105}, {"1951-12-31", 19511231}};
  for (const auto& c : good) EXPECT_EQ(readDateNumber(c.text), c.date) << c.text;

  for (const char* bad :
       {"2024-02-30", "2023-02-29", "2024-13-01", "2024-0-10", "2024-1-0", "0000-01-01",
        "2024/02/09", "202402291", "2024229", "24-2-9", "2024-002-09", "2024-2-", "-2024-2-9",
        "2024-2-9-", "2024-+2-9", "２０２４-2-9", ""})
    EXPECT_FALSE(readDateNumber(bad)) << bad;
}

TEST(CalendarDate, readsADayOfTheYearThatSomeYearHas) {
  const struct {
    const char* text;
    int monthDay;
  } good[] = {{"02-29", 229}, {"2-29", 229}, {"12-31", 1231}, {"1-1", 101}, {"07-05", 705}};
  for (const auto& c : good) EXPECT_EQ(readMonthDay(c.text), c.monthDay) << c.text;

  for (const char* bad : {"02-30", "04-31", "13-01", "00-10", "01-00", "0229", "2-", "-29", "2-29-",
                          "002-09", "+2-9", "02/29", "2024-02-29", ""})
    EXPECT_FALSE(readMonthDay(bad)) << bad;
}

// A date field takes the same dates with other separators; a field's text
// mixing them is still one date, a text with anything else none.
TEST(CalendarDate, typedDatesTakeSlashesAndDotsToo) {
  const struct {
    const char* text;
    std::optional<int> date;
  } cases[] = {
      {"2024-01-31", 20240131},    {"2024/1/31", 20240131},    {"20240131", 20240131},
      {"2024.1.31", 20240131},     {" 2024/01/31 ", 20240131}, {"2024/1-31", 20240131},
      {"2024/2/30", std::nullopt}, {"2024//1", std::nullopt},  {"2024 1 31", std::nullopt},
      {"", std::nullopt},          {"  ", std::nullopt},       {"31/1/2024", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(readTypedDate(c.text), c.date) << c.text;
}

TEST(CalendarDate, writesTheDateWithDashes) {
  EXPECT_EQ(dateText(20240105), "2024-01-05");
}

}  // namespace
}  // namespace skyrill
