#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vortalux::script {

// Dates as VBScript keeps them: a double counting days since 30 December 1899, the time of day
// as the fraction. Before that day the whole part counts back but the fraction still runs
// forward from midnight (-1.25 is 29 December 1899, 6:00 AM). Every text form is that of
// English (United States) whatever the process locale: month/day/year, 12-hour times with
// AM/PM, English names, Sunday as the first day of the week.

// A date split into the calendar day (days since 30 December 1899) and the second of that day.
struct DayAndSecond {
    int64_t day = 0;
    int64_t second = 0; // 0 to 86399
};

struct CivilDate {
    int64_t year = 0;
    int month = 0; // 1 to 12
    int day = 0; // 1 to 31
};

// Dates run from 1 January 100 to 31 December 9999.
inline constexpr int64_t FirstDay = -657434;
inline constexpr int64_t LastDay = 2958465;

// Rounded to the nearest second, as VBScript reads a date's parts.
DayAndSecond SplitDate(double oleDate);
// The inverse of SplitDate; `second` may be any count, it carries into the days.
double JoinDate(int64_t day, int64_t second);
// Whether a date lies in the range VBScript holds.
bool IsDateInRange(double oleDate);

CivilDate CivilFromDay(int64_t day);
// Days since 30 December 1899 of a calendar date; months outside 1 to 12 carry into the year,
// days outside the month into the months (DateSerial's roll-over).
int64_t DayFromCivil(int64_t year, int64_t month, int64_t day);
int DaysInMonth(int64_t year, int month);
// 1 (Sunday) to 7 (Saturday).
int WeekdayOf(int64_t day);

// "M/D/YYYY h:mm:ss AM": the date alone when the time is midnight, the time alone on
// 30 December 1899 (day zero). Raises 6 outside the date range.
std::string FormatDate(double oleDate);
std::string FormatShortDate(double oleDate); // "1/5/2020"
std::string FormatLongDate(double oleDate); // "Sunday, January 5, 2020"
std::string FormatLongTime(double oleDate); // "1:05:09 PM"
std::string FormatShortTime(double oleDate); // "13:05"

std::string_view MonthName(int month, bool abbreviated);
// `weekday` 1 is Sunday.
std::string_view WeekdayName(int weekday, bool abbreviated);

// Reads a date, a time or both in the forms VBScript takes under English (United States):
// "1/5/2020", "2020-01-05", "January 5, 2020", "5 Jan 2020", "13:05", "1:05:09 PM", "1 PM".
// Two-digit years are 1930 to 2029; a month and day without a year are in `currentYear`.
// Nothing when the text is not such a date.
[[nodiscard]] std::optional<double> ParseDate(std::string_view text, int64_t currentYear);

// The current local time.
double NowAsOleDate();
// The year of the current local time: that of a date written without one.
int64_t CurrentYear();

} // namespace vortalux::script
