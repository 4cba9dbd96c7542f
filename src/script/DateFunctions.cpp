// The date built-ins. Every text form is English (United States), whatever the process locale.
#include "AsciiText.h"
#include "BuiltinFunctions.h"
#include "Coercion.h"
#include "OleDate.h"
#include "ScriptError.h"

#include <cmath>

namespace vortalux::script::builtins {

namespace {

// A date's day and second, Null as nothing.
std::optional<DayAndSecond> PartsOf(const Variant& value)
{
    if (value.IsNull())
        return std::nullopt;
    return SplitDate(ToDate(value));
}

Variant DateResult(int64_t day, int64_t second)
{
    const double date = JoinDate(day, second);
    if (!IsDateInRange(date))
        Raise(errc::InvalidProcedureCall);
    return Variant::FromDate(date);
}

// vbUseSystemDayOfWeek (0) is Sunday here; anything past vbSaturday (7) is 5.
int FirstDayOfWeek(const Args& args, size_t index)
{
    if (args.size() <= index || args[index].IsEmpty())
        return 1;
    const int32_t day = ToLong(args[index]);
    if (day < 0 || day > 7)
        Raise(errc::InvalidProcedureCall);
    return day == 0 ? 1 : day;
}

// vbUseSystem (0) is vbFirstJan1 (1) here.
int FirstWeekOfYear(const Args& args, size_t index)
{
    if (args.size() <= index || args[index].IsEmpty())
        return 1;
    const int32_t rule = ToLong(args[index]);
    if (rule < 0 || rule > 3)
        Raise(errc::InvalidProcedureCall);
    return rule == 0 ? 1 : rule;
}

// 1 to 7 counted from `firstDay`.
int WeekdayFrom(int64_t day, int firstDay) { return (WeekdayOf(day) - firstDay + 7) % 7 + 1; }

// The first day of the week that holds `day`.
int64_t WeekStart(int64_t day, int firstDay) { return day - (WeekdayFrom(day, firstDay) - 1); }

// The first day of week 1 of `year` under a vbFirstJan1 / vbFirstFourDays / vbFirstFullWeek rule.
int64_t FirstWeekStart(int64_t year, int firstDay, int rule)
{
    const int64_t jan1 = DayFromCivil(year, 1, 1);
    const int offset = WeekdayFrom(jan1, firstDay) - 1;
    if (rule == 1 || offset == 0 || (rule == 2 && offset <= 3))
        return jan1 - offset;
    return jan1 - offset + 7;
}

int WeekOfYear(int64_t day, int firstDay, int rule)
{
    int64_t year = CivilFromDay(day).year;
    int64_t start = FirstWeekStart(year, firstDay, rule);
    // Days before week 1 belong to the last week of the year before.
    if (day < start)
        start = FirstWeekStart(--year, firstDay, rule);
    return static_cast<int>((day - start) / 7 + 1);
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval IntervalOf(const Variant& value)
{
    const std::string text = ToString(value);
    static constexpr std::pair<std::string_view, Interval> Names[]
        = {{"yyyy", Interval::Year}, {"q", Interval::Quarter}, {"m", Interval::Month},
            {"y", Interval::DayOfYear}, {"d", Interval::Day}, {"w", Interval::Weekday},
            {"ww", Interval::Week}, {"h", Interval::Hour}, {"n", Interval::Minute}, {"s", Interval::Second}};
    for (const auto& [name, interval] : Names) {
        if (EqualsNoCase(text, name))
            return interval;
    }
    Raise(errc::InvalidProcedureCall);
}

int64_t SecondsOf(const DayAndSecond& parts) { return parts.day * 86400 + parts.second; }

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }

Variant Whole(int64_t value) { return Variant::FromInteger(static_cast<int16_t>(value)); }

// Year, Month, ...: a part of a date, Null for Null.
template<typename F> Variant Part(const Args& args, F part)
{
    const std::optional<DayAndSecond> parts = PartsOf(args[0]);
    if (!parts)
        return Variant::Null();
    return Whole(part(*parts));
}

bool Abbreviated(const Args& args, size_t index)
{
    return args.size() > index && !args[index].IsEmpty() && ToBool(args[index]);
}

} // namespace

Variant Now(Interpreter&, Args&) { return Variant::FromDate(NowAsOleDate()); }

Variant Date(Interpreter&, Args&) { return Variant::FromDate(JoinDate(SplitDate(NowAsOleDate()).day, 0)); }

Variant Time(Interpreter&, Args&) { return Variant::FromDate(JoinDate(0, SplitDate(NowAsOleDate()).second)); }

Variant CDate(Interpreter&, Args& args) { return Variant::FromDate(ToDate(args[0])); }

Variant IsDate(Interpreter&, Args& args)
{
    const Variant& value = args[0];
    if (value.Type() == VarType::Date)
        return Variant::FromBool(true);
    if (!value.IsString())
        return Variant::FromBool(false);
    return Variant::FromBool(ParseDate(value.AsString(), CurrentYear()).has_value());
}

Variant DateSerial(Interpreter&, Args& args)
{
    int64_t year = ToLong(args[0]);
    const int64_t month = ToLong(args[1]);
    const int64_t day = ToLong(args[2]);
    // The reference: years 0 to 99 are 1900 to 1999.
    if (year >= 0 && year <= 99)
        year += 1900;
    return DateResult(DayFromCivil(year, month, day), 0);
}

Variant TimeSerial(Interpreter&, Args& args)
{
    const int64_t seconds
        = int64_t {ToLong(args[0])} * 3600 + int64_t {ToLong(args[1])} * 60 + int64_t {ToLong(args[2])};
    return DateResult(0, seconds);
}

Variant DateValue(Interpreter&, Args& args)
{
    const std::optional<DayAndSecond> parts = PartsOf(args[0]);
    if (!parts)
        return Variant::Null();
    return Variant::FromDate(JoinDate(parts->day, 0));
}

Variant TimeValue(Interpreter&, Args& args)
{
    const std::optional<DayAndSecond> parts = PartsOf(args[0]);
    if (!parts)
        return Variant::Null();
    return Variant::FromDate(JoinDate(0, parts->second));
}

Variant Year(Interpreter&, Args& args)
{
    return Part(args, [](const DayAndSecond& p) { return CivilFromDay(p.day).year; });
}

Variant Month(Interpreter&, Args& args)
{
    return Part(args, [](const DayAndSecond& p) { return int64_t {CivilFromDay(p.day).month}; });
}

Variant Day(Interpreter&, Args& args)
{
    return Part(args, [](const DayAndSecond& p) { return int64_t {CivilFromDay(p.day).day}; });
}

Variant Hour(Interpreter&, Args& args)
{
    return Part(args, [](const DayAndSecond& p) { return p.second / 3600; });
}

Variant Minute(Interpreter&, Args& args)
{
    return Part(args, [](const DayAndSecond& p) { return p.second / 60 % 60; });
}

Variant Second(Interpreter&, Args& args)
{
    return Part(args, [](const DayAndSecond& p) { return p.second % 60; });
}

Variant Weekday(Interpreter&, Args& args)
{
    const int firstDay = FirstDayOfWeek(args, 1);
    return Part(args, [&](const DayAndSecond& p) { return int64_t {WeekdayFrom(p.day, firstDay)}; });
}

Variant WeekdayName(Interpreter&, Args& args)
{
    const int32_t weekday = ToLong(args[0]);
    const int firstDay = FirstDayOfWeek(args, 2);
    if (weekday < 1 || weekday > 7)
        Raise(errc::InvalidProcedureCall);
    const int sundayBased = (weekday - 1 + firstDay - 1) % 7 + 1;
    return Variant::FromString(std::string(script::WeekdayName(sundayBased, Abbreviated(args, 1))));
}

Variant MonthName(Interpreter&, Args& args)
{
    const int32_t month = ToLong(args[0]);
    if (month < 1 || month > 12)
        Raise(errc::InvalidProcedureCall);
    return Variant::FromString(std::string(script::MonthName(month, Abbreviated(args, 1))));
}

Variant FormatDateTime(Interpreter&, Args& args)
{
    const double date = ToDate(args[0]);
    const int32_t format = args.size() > 1 && !args[1].IsEmpty() ? ToLong(args[1]) : 0;
    switch (format) {
    case 0:
        return Variant::FromString(FormatDate(date));
    case 1:
        return Variant::FromString(FormatLongDate(date));
    case 2:
        return Variant::FromString(FormatShortDate(date));
    case 3:
        return Variant::FromString(FormatLongTime(date));
    case 4:
        return Variant::FromString(FormatShortTime(date));
    default:
        Raise(errc::InvalidProcedureCall);
    }
}

Variant DateAdd(Interpreter&, Args& args)
{
    const Interval interval = IntervalOf(args[0]);
    const int64_t number = ToLong(args[1]);
    const std::optional<DayAndSecond> parts = PartsOf(args[2]);
    if (!parts)
        return Variant::Null();
    int64_t months = 0;
    switch (interval) {
    case Interval::Year:
        months = number * 12;
        break;
    case Interval::Quarter:
        months = number * 3;
        break;
    case Interval::Month:
        months = number;
        break;
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday:
        return DateResult(parts->day + number, parts->second);
    case Interval::Week:
        return DateResult(parts->day + number * 7, parts->second);
    case Interval::Hour:
        return DateResult(parts->day, parts->second + number * 3600);
    case Interval::Minute:
        return DateResult(parts->day, parts->second + number * 60);
    case Interval::Second:
        return DateResult(parts->day, parts->second + number);
    }
    // Whole months keep the day, or the month's last day when it is shorter ("31 January" plus
    // one month is 28 or 29 February).
    const CivilDate date = CivilFromDay(parts->day);
    const int64_t monthIndex = date.year * 12 + (date.month - 1) + months;
    const int64_t year = FloorDiv(monthIndex, 12);
    const int month = static_cast<int>(monthIndex - year * 12) + 1;
    if (year < 100 || year > 9999)
        Raise(errc::InvalidProcedureCall);
    const int day = std::min(date.day, DaysInMonth(year, month));
    return DateResult(DayFromCivil(year, month, day), parts->second);
}

Variant DateDiff(Interpreter&, Args& args)
{
    const Interval interval = IntervalOf(args[0]);
    const int firstDay = FirstDayOfWeek(args, 3);
    FirstWeekOfYear(args, 4);
    const std::optional<DayAndSecond> from = PartsOf(args[1]);
    const std::optional<DayAndSecond> to = PartsOf(args[2]);
    if (!from || !to)
        return Variant::Null();
    const CivilDate a = CivilFromDay(from->day);
    const CivilDate b = CivilFromDay(to->day);
    int64_t difference = 0;
    switch (interval) {
    case Interval::Year:
        difference = b.year - a.year;
        break;
    case Interval::Quarter:
        difference = (b.year * 4 + (b.month - 1) / 3) - (a.year * 4 + (a.month - 1) / 3);
        break;
    case Interval::Month:
        difference = (b.year * 12 + b.month) - (a.year * 12 + a.month);
        break;
    case Interval::DayOfYear:
    case Interval::Day:
        difference = to->day - from->day;
        break;
    case Interval::Weekday:
        // Whole weeks: how often the weekday of the first date comes round.
        difference = (to->day - from->day) / 7;
        break;
    case Interval::Week:
        // Week starts crossed: counts the second date's week but not the first's.
        difference = (WeekStart(to->day, firstDay) - WeekStart(from->day, firstDay)) / 7;
        break;
    case Interval::Hour:
        difference = FloorDiv(SecondsOf(*to), 3600) - FloorDiv(SecondsOf(*from), 3600);
        break;
    case Interval::Minute:
        difference = FloorDiv(SecondsOf(*to), 60) - FloorDiv(SecondsOf(*from), 60);
        break;
    case Interval::Second:
        difference = SecondsOf(*to) - SecondsOf(*from);
        break;
    }
    return Variant::FromLong(static_cast<int32_t>(difference));
}

Variant DatePart(Interpreter&, Args& args)
{
    const Interval interval = IntervalOf(args[0]);
    const int firstDay = FirstDayOfWeek(args, 2);
    const int rule = FirstWeekOfYear(args, 3);
    const std::optional<DayAndSecond> parts = PartsOf(args[1]);
    if (!parts)
        return Variant::Null();
    const CivilDate date = CivilFromDay(parts->day);
    switch (interval) {
    case Interval::Year:
        return Whole(date.year);
    case Interval::Quarter:
        return Whole((date.month - 1) / 3 + 1);
    case Interval::Month:
        return Whole(date.month);
    case Interval::DayOfYear:
        return Whole(parts->day - DayFromCivil(date.year, 1, 1) + 1);
    case Interval::Day:
        return Whole(date.day);
    case Interval::Weekday:
        return Whole(WeekdayFrom(parts->day, firstDay));
    case Interval::Week:
        return Whole(WeekOfYear(parts->day, firstDay, rule));
    case Interval::Hour:
        return Whole(parts->second / 3600);
    case Interval::Minute:
        return Whole(parts->second / 60 % 60);
    case Interval::Second:
        return Whole(parts->second % 60);
    }
    return {};
}

} // namespace vortalux::script::builtins
