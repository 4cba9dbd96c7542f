#include "OleDate.h"

#include "AsciiText.h"
#include "ScriptError.h"

#include <array>
#include <cmath>
#include <ctime>
#include <vector>

namespace vortalux::script {

namespace {

constexpr int64_t SecondsPerDay = 86400;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromEpoch1970(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// 30 December 1899, day zero, counted from 1970-01-01.
const int64_t OleEpoch = DaysFromEpoch1970(1899, 12, 30);

constexpr std::array<std::string_view, 12> MonthNames = {"January", "February", "March", "April", "May",
    "June", "July", "August", "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> WeekdayNames
    = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string TwoDigits(int64_t value)
{
    std::string text = std::to_string(value);
    return value < 10 ? "0" + text : text;
}

void CheckRange(double oleDate)
{
    if (!IsDateInRange(oleDate))
        Raise(errc::Overflow);
}

// "h:mm:ss AM" of a second of the day.
std::string TwelveHourTime(int64_t second)
{
    const int64_t hour = second / 3600;
    const int64_t hour12 = hour % 12 == 0 ? 12 : hour % 12;
    return std::to_string(hour12) + ":" + TwoDigits(second / 60 % 60) + ":" + TwoDigits(second % 60)
        + (hour < 12 ? " AM" : " PM");
}

std::string ShortDate(int64_t day)
{
    const CivilDate date = CivilFromDay(day);
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + std::to_string(date.year);
}

// ---- Reading ----

struct DateToken {
    enum Kind { Number, Month, Am, Pm, Colon, Separator } kind;
    int64_t value = 0; // a number, or the month 1 to 12
    size_t digits = 0;
};

std::optional<int> MonthFromWord(std::string_view word)
{
    if (word.size() < 3)
        return std::nullopt;
    for (size_t i = 0; i < MonthNames.size(); ++i) {
        const std::string_view name = MonthNames[i];
        if (word.size() <= name.size() && EqualsNoCase(name.substr(0, word.size()), word))
            return static_cast<int>(i + 1);
    }
    return std::nullopt;
}

bool IsWeekdayWord(std::string_view word)
{
    if (word.size() < 3)
        return false;
    for (const std::string_view name : WeekdayNames) {
        if (word.size() <= name.size() && EqualsNoCase(name.substr(0, word.size()), word))
            return true;
    }
    return false;
}

std::optional<std::vector<DateToken>> Tokenize(std::string_view text)
{
    std::vector<DateToken> tokens;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            DateToken token {DateToken::Number};
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                if (++token.digits > 9)
                    return std::nullopt;
                token.value = token.value * 10 + (text[i] - '0');
                ++i;
            }
            tokens.push_back(token);
        } else if (IsLetter(c)) {
            const size_t start = i;
            while (i < text.size() && IsLetter(text[i]))
                ++i;
            const std::string_view word = text.substr(start, i - start);
            if (EqualsNoCase(word, "am") || EqualsNoCase(word, "a"))
                tokens.push_back({DateToken::Am});
            else if (EqualsNoCase(word, "pm") || EqualsNoCase(word, "p"))
                tokens.push_back({DateToken::Pm});
            else if (const std::optional<int> month = MonthFromWord(word))
                tokens.push_back({DateToken::Month, *month});
            else if (!IsWeekdayWord(word))
                return std::nullopt;
        } else if (c == ':') {
            tokens.push_back({DateToken::Colon});
            ++i;
        } else if (c == '/' || c == '-' || c == ',' || IsAsciiBlank(c)) {
            if (tokens.empty() || tokens.back().kind != DateToken::Separator)
                tokens.push_back({DateToken::Separator});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

// A year as written: two digits are 1930 to 2029.
int64_t FullYear(const DateToken& token)
{
    if (token.digits <= 2)
        return token.value < 30 ? 2000 + token.value : 1900 + token.value;
    return token.value;
}

bool IsYearLike(const DateToken& token) { return token.digits >= 3 || token.value > 31; }

std::optional<int64_t> ResolveDay(const std::vector<DateToken>& numbers, int monthName, int64_t currentYear)
{
    int64_t year = currentYear;
    int64_t month = 0;
    int64_t day = 1;
    if (monthName != 0) {
        month = monthName;
        if (numbers.size() == 1) {
            if (IsYearLike(numbers[0]))
                year = FullYear(numbers[0]);
            else
                day = numbers[0].value;
        } else if (numbers.size() == 2) {
            const bool yearFirst = IsYearLike(numbers[0]);
            year = FullYear(numbers[yearFirst ? 0 : 1]);
            day = numbers[yearFirst ? 1 : 0].value;
        } else {
            return std::nullopt;
        }
    } else if (numbers.size() == 2) {
        month = numbers[0].value;
        if (IsYearLike(numbers[1]))
            year = FullYear(numbers[1]);
        else
            day = numbers[1].value;
    } else if (numbers.size() == 3) {
        const bool yearFirst = numbers[0].digits >= 3;
        year = FullYear(numbers[yearFirst ? 0 : 2]);
        month = numbers[yearFirst ? 1 : 0].value;
        day = numbers[yearFirst ? 2 : 1].value;
    } else {
        return std::nullopt;
    }
    // A month past 12 that can be a day swaps with the day, as Windows reads "13/1/2020".
    if (monthName == 0 && month > 12 && day <= 12)
        std::swap(month, day);
    if (month < 1 || month > 12 || year < 100 || year > 9999 || day < 1
        || day > DaysInMonth(year, static_cast<int>(month)))
        return std::nullopt;
    return DayFromCivil(year, month, day);
}

} // namespace

DayAndSecond SplitDate(double oleDate)
{
    const double wholeDays = std::trunc(oleDate);
    const double fraction = std::fabs(oleDate - wholeDays);
    auto second = static_cast<int64_t>(std::llround(fraction * static_cast<double>(SecondsPerDay)));
    auto day = static_cast<int64_t>(wholeDays);
    // A time that rounds to the next midnight belongs to the next calendar day, whichever side
    // of day zero the date lies.
    if (second >= SecondsPerDay) {
        second -= SecondsPerDay;
        ++day;
    }
    // -0.5 is noon of day zero too.
    return {day, second};
}

double JoinDate(int64_t day, int64_t second)
{
    day += FloorDiv(second, SecondsPerDay);
    second -= FloorDiv(second, SecondsPerDay) * SecondsPerDay;
    const double time = static_cast<double>(second) / static_cast<double>(SecondsPerDay);
    return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

bool IsDateInRange(double oleDate)
{
    return std::isfinite(oleDate) && oleDate > static_cast<double>(FirstDay - 1)
        && oleDate < static_cast<double>(LastDay + 1);
}

CivilDate CivilFromDay(int64_t day)
{
    int64_t z = day + OleEpoch + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.year = y + (date.month <= 2 ? 1 : 0);
    return date;
}

int64_t DayFromCivil(int64_t year, int64_t month, int64_t day)
{
    year += FloorDiv(month - 1, 12);
    month -= FloorDiv(month - 1, 12) * 12;
    return DaysFromEpoch1970(year, static_cast<unsigned>(month), 1) - OleEpoch + (day - 1);
}

int DaysInMonth(int64_t year, int month)
{
    static constexpr std::array<int, 12> Days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : Days[static_cast<size_t>(month - 1)];
}

int WeekdayOf(int64_t day)
{
    // Day zero was a Saturday.
    return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

std::string FormatDate(double oleDate)
{
    CheckRange(oleDate);
    const DayAndSecond parts = SplitDate(oleDate);
    if (parts.day == 0)
        return TwelveHourTime(parts.second);
    if (parts.second == 0)
        return ShortDate(parts.day);
    return ShortDate(parts.day) + " " + TwelveHourTime(parts.second);
}

std::string FormatShortDate(double oleDate)
{
    CheckRange(oleDate);
    return ShortDate(SplitDate(oleDate).day);
}

std::string FormatLongDate(double oleDate)
{
    CheckRange(oleDate);
    const int64_t day = SplitDate(oleDate).day;
    const CivilDate date = CivilFromDay(day);
    return std::string(WeekdayName(WeekdayOf(day), false)) + ", " + std::string(MonthName(date.month, false))
        + " " + std::to_string(date.day) + ", " + std::to_string(date.year);
}

std::string FormatLongTime(double oleDate)
{
    CheckRange(oleDate);
    return TwelveHourTime(SplitDate(oleDate).second);
}

std::string FormatShortTime(double oleDate)
{
    CheckRange(oleDate);
    const int64_t second = SplitDate(oleDate).second;
    return TwoDigits(second / 3600) + ":" + TwoDigits(second / 60 % 60);
}

std::string_view MonthName(int month, bool abbreviated)
{
    const std::string_view name = MonthNames[static_cast<size_t>(month - 1)];
    return abbreviated ? name.substr(0, 3) : name;
}

std::string_view WeekdayName(int weekday, bool abbreviated)
{
    const std::string_view name = WeekdayNames[static_cast<size_t>(weekday - 1)];
    return abbreviated ? name.substr(0, 3) : name;
}

std::optional<double> ParseDate(std::string_view text, int64_t currentYear)
{
    const std::optional<std::vector<DateToken>> scanned = Tokenize(TrimAsciiBlanks(text));
    if (!scanned)
        return std::nullopt;
    const std::vector<DateToken>& tokens = *scanned;
    std::vector<DateToken> numbers;
    int monthName = 0;
    std::vector<int64_t> time;
    int meridiem = 0; // 1 AM, 2 PM
    // The next token that is not a separator, from `i` on.
    const auto next = [&](size_t i) {
        while (i < tokens.size() && tokens[i].kind == DateToken::Separator)
            ++i;
        return i;
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const DateToken& token = tokens[i];
        switch (token.kind) {
        case DateToken::Separator:
            break;
        case DateToken::Number: {
            const bool timeGroup = i + 1 < tokens.size() && tokens[i + 1].kind == DateToken::Colon;
            const size_t after = next(i + 1);
            const bool hourAlone = after < tokens.size()
                && (tokens[after].kind == DateToken::Am || tokens[after].kind == DateToken::Pm);
            if (!timeGroup && !hourAlone) {
                numbers.push_back(token);
                break;
            }
            if (!time.empty())
                return std::nullopt;
            time.push_back(token.value);
            while (i + 2 < tokens.size() && tokens[i + 1].kind == DateToken::Colon
                && tokens[i + 2].kind == DateToken::Number) {
                if (time.size() == 3 || tokens[i + 2].digits > 2)
                    return std::nullopt;
                time.push_back(tokens[i + 2].value);
                i += 2;
            }
            if (i + 1 < tokens.size() && tokens[i + 1].kind == DateToken::Colon)
                return std::nullopt;
            const size_t marker = next(i + 1);
            if (marker < tokens.size()
                && (tokens[marker].kind == DateToken::Am || tokens[marker].kind == DateToken::Pm)) {
                meridiem = tokens[marker].kind == DateToken::Am ? 1 : 2;
                i = marker;
            }
            break;
        }
        case DateToken::Month:
            if (monthName != 0)
                return std::nullopt;
            monthName = static_cast<int>(token.value);
            break;
        default:
            return std::nullopt;
        }
    }
    int64_t day = 0;
    if (!numbers.empty() || monthName != 0) {
        const std::optional<int64_t> resolved = ResolveDay(numbers, monthName, currentYear);
        if (!resolved)
            return std::nullopt;
        day = *resolved;
    } else if (time.empty()) {
        return std::nullopt;
    }
    int64_t second = 0;
    if (!time.empty()) {
        time.resize(3, 0);
        int64_t hour = time[0];
        if (meridiem != 0) {
            if (hour > 12)
                return std::nullopt;
            hour = hour % 12 + (meridiem == 2 ? 12 : 0);
        }
        if (hour > 23 || time[1] > 59 || time[2] > 59)
            return std::nullopt;
        second = hour * 3600 + time[1] * 60 + time[2];
    }
    return JoinDate(day, second);
}

double NowAsOleDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    const int64_t day = DayFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return JoinDate(day, local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

int64_t CurrentYear() { return CivilFromDay(SplitDate(NowAsOleDate()).day).year; }

} // namespace vortalux::script
