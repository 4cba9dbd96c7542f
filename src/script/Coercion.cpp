#include "Coercion.h"

#include "AsciiText.h"
#include "NumberScanner.h"
#include "ScriptArray.h"
#include "ScriptError.h"
#include "ScriptObject.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <limits>
#include <system_error>
#include <vector>

namespace vortalux::script {

std::optional<double> ParseNumber(std::string_view text)
{
    const std::optional<ScannedNumber> number
        = ScanNumber(text, NumberForms::Hexadecimal | NumberForms::Octal | NumberForms::DExponent);
    if (!number)
        return std::nullopt;
    if (!number->isBitPattern)
        return number->value;
    // "&H" and "&O" text is a 16-bit or 32-bit two's complement pattern, as in a literal.
    const auto bits = static_cast<uint32_t>(number->value);
    if (bits <= 0xFFFF)
        return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(bits)));
    return static_cast<double>(static_cast<int32_t>(bits));
}

Variant DefaultValue(const Variant& value)
{
    if (!value.IsObject())
        return value;
    if (!value.AsObject())
        Raise(errc::ObjectNotSet);
    std::vector<Variant> noArgs;
    Variant result = value.AsObject()->GetProperty("", noArgs);
    if (result.IsObject())
        Raise(errc::NoSuchMember);
    return result;
}

double ToDouble(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Empty:
        return 0.0;
    case VarType::Null:
        Raise(errc::InvalidUseOfNull);
    case VarType::Boolean:
        return value.AsBool() ? -1.0 : 0.0;
    case VarType::Integer:
        return value.AsInteger();
    case VarType::Long:
        return value.AsLong();
    case VarType::Byte:
        return value.AsByte();
    case VarType::Single:
        return value.AsSingle();
    case VarType::Currency:
        return static_cast<double>(value.AsCurrency()) / 10000.0;
    case VarType::Double:
    case VarType::Date:
        return value.AsDouble();
    case VarType::String: {
        const std::optional<double> parsed = ParseNumber(value.AsString());
        if (!parsed)
            Raise(errc::TypeMismatch);
        return *parsed;
    }
    case VarType::Object:
        return ToDouble(DefaultValue(value));
    default:
        Raise(errc::TypeMismatch);
    }
}

double RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5)
        return floor + 1.0;
    if (diff < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

int32_t ToLong(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Integer:
        return value.AsInteger();
    case VarType::Long:
        return value.AsLong();
    case VarType::Byte:
        return value.AsByte();
    case VarType::Boolean:
        return value.AsBool() ? -1 : 0;
    case VarType::Empty:
        return 0;
    case VarType::Currency: {
        // Exact, without the detour through a double that would blur the half-way cases.
        const int64_t raw = value.AsCurrency();
        int64_t whole = raw / 10000;
        const int64_t rest = raw % 10000;
        if (rest > 5000 || (rest == 5000 && whole % 2 != 0))
            ++whole;
        else if (rest < -5000 || (rest == -5000 && whole % 2 != 0))
            --whole;
        if (whole < INT32_MIN || whole > INT32_MAX)
            Raise(errc::Overflow);
        return static_cast<int32_t>(whole);
    }
    default:
        break;
    }
    const double rounded = RoundHalfEven(ToDouble(value));
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        Raise(errc::Overflow);
    return static_cast<int32_t>(rounded);
}

int16_t ToInteger(const Variant& value)
{
    const int32_t wide = ToLong(value);
    if (wide < -32768 || wide > 32767)
        Raise(errc::Overflow);
    return static_cast<int16_t>(wide);
}

uint8_t ToByte(const Variant& value)
{
    const int32_t wide = ToLong(value);
    if (wide < 0 || wide > 255)
        Raise(errc::Overflow);
    return static_cast<uint8_t>(wide);
}

float ToSingle(const Variant& value)
{
    const double wide = ToDouble(value);
    if (!(std::fabs(wide) <= static_cast<double>(std::numeric_limits<float>::max())))
        Raise(errc::Overflow);
    return static_cast<float>(wide);
}

int64_t CurrencyFromDouble(double value)
{
    // The half-way case is decided on the decimal digits the user sees: 0.00015 is 1.5
    // ten-thousandths, not the 1.4999999999999998 of its binary product.
    const double product = value * 10000.0;
    const std::optional<double> shown
        = std::isfinite(product) ? ParseNumber(FormatDouble(product)) : std::nullopt;
    const double scaled = RoundHalfEven(shown ? *shown : product);
    // 2^63 is exactly representable; the largest Currency lies just below it.
    if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
        Raise(errc::Overflow);
    return static_cast<int64_t>(scaled);
}

namespace {

// Plain decimal text ("-12.34567") read exactly as ten-thousandths, so that amounts beyond the
// 15 digits of a double keep theirs. Nothing for other forms, which go through a double.
std::optional<int64_t> ExactCurrency(std::string_view text)
{
    text = TrimAsciiBlanks(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    uint64_t amount = 0;
    int decimals = -1;
    int roundingDigit = -1;
    bool sticky = false;
    bool anyDigit = false;
    for (const char c : text) {
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        anyDigit = true;
        if (decimals >= 4) {
            if (roundingDigit < 0)
                roundingDigit = c - '0';
            else
                sticky = sticky || c != '0';
            continue;
        }
        if (__builtin_mul_overflow(amount, uint64_t {10}, &amount)
            || __builtin_add_overflow(amount, static_cast<uint64_t>(c - '0'), &amount))
            Raise(errc::Overflow);
        if (decimals >= 0)
            ++decimals;
    }
    if (!anyDigit)
        return std::nullopt;
    for (int i = std::max(decimals, 0); i < 4; ++i) {
        if (__builtin_mul_overflow(amount, uint64_t {10}, &amount))
            Raise(errc::Overflow);
    }
    // The magnitude of the most negative amount is one more than that of the largest.
    const uint64_t limit = uint64_t {1} << 63;
    if (amount > limit)
        Raise(errc::Overflow);
    if (roundingDigit > 5 || (roundingDigit == 5 && (sticky || amount % 2 != 0)))
        ++amount;
    if (amount > (negative ? limit : limit - 1))
        Raise(errc::Overflow);
    return negative ? static_cast<int64_t>(uint64_t {0} - amount) : static_cast<int64_t>(amount);
}

} // namespace

int64_t ToCurrency(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Currency:
        return value.AsCurrency();
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::Boolean:
    case VarType::Empty:
        return int64_t {ToLong(value)} * 10000;
    case VarType::String:
        if (const std::optional<int64_t> exact = ExactCurrency(value.AsString()))
            return *exact;
        return CurrencyFromDouble(ToDouble(value));
    default:
        return CurrencyFromDouble(ToDouble(value));
    }
}

bool ToBool(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Boolean:
        return value.AsBool();
    case VarType::Empty:
        return false;
    case VarType::Null:
        Raise(errc::InvalidUseOfNull);
    case VarType::Integer:
        return value.AsInteger() != 0;
    case VarType::Long:
        return value.AsLong() != 0;
    case VarType::Byte:
        return value.AsByte() != 0;
    case VarType::Single:
        return value.AsSingle() != 0.0F;
    case VarType::Currency:
        return value.AsCurrency() != 0;
    case VarType::Double:
    case VarType::Date:
        return value.AsDouble() != 0.0;
    case VarType::String: {
        const std::string_view text = TrimAsciiBlanks(value.AsString());
        if (EqualsNoCase(text, "true"))
            return true;
        if (EqualsNoCase(text, "false"))
            return false;
        const std::optional<double> parsed = ParseNumber(text);
        if (!parsed)
            Raise(errc::TypeMismatch);
        return *parsed != 0.0;
    }
    case VarType::Object:
        return ToBool(DefaultValue(value));
    default:
        Raise(errc::TypeMismatch);
    }
}

std::string FormatDouble(double value)
{
    if (value == 0.0)
        return "0";
    // printf's "%.15G" in the C locale, whatever the process locale is.
    char buffer[64];
    const auto [end, error]
        = std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::general, 15);
    if (error != std::errc())
        return "0";
    std::string text(std::begin(buffer), end);
    for (char& c : text) {
        if (c == 'e')
            c = 'E';
    }
    return text;
}

std::string FormatSingle(float value)
{
    if (value == 0.0F)
        return "0";
    char buffer[32];
    const auto [end, error]
        = std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::general, 7);
    if (error != std::errc())
        return "0";
    std::string text(std::begin(buffer), end);
    for (char& c : text) {
        if (c == 'e')
            c = 'E';
    }
    return text;
}

std::string FormatCurrency(int64_t tenThousandths)
{
    const bool negative = tenThousandths < 0;
    // Unsigned, so that the most negative amount has a magnitude too.
    const uint64_t magnitude = negative ? uint64_t {0} - static_cast<uint64_t>(tenThousandths)
                                        : static_cast<uint64_t>(tenThousandths);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        text += '.';
        text += digits;
    }
    return text;
}

namespace {

// Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm).
void CivilFromDays(int64_t z, int64_t& year, unsigned& month, unsigned& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = y + (month <= 2 ? 1 : 0);
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// 30 December 1899, day zero of OLE dates, counted from 1970-01-01.
const int64_t OleEpochDays = DaysFromCivil(1899, 12, 30);

} // namespace

std::string FormatDate(double oleDate)
{
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > 3e6)
        Raise(errc::Overflow);
    // Negative OLE dates count whole days back but the time forward, from the same midnight.
    const double wholeDays = std::trunc(oleDate);
    const double fraction = std::fabs(oleDate - wholeDays);
    auto seconds = static_cast<int64_t>(std::llround(fraction * 86400.0));
    int64_t days = static_cast<int64_t>(wholeDays);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += oleDate < 0 ? -1 : 1;
    }
    std::string text;
    char buffer[64];
    if (days != 0 || seconds == 0) {
        int64_t year = 0;
        unsigned month = 0;
        unsigned day = 0;
        CivilFromDays(days + OleEpochDays, year, month, day);
        std::snprintf(buffer, sizeof buffer, "%u/%u/%lld", month, day, static_cast<long long>(year));
        text = buffer;
    }
    if (seconds != 0) {
        const auto hour = static_cast<int>(seconds / 3600);
        const auto minute = static_cast<int>(seconds / 60 % 60);
        const auto second = static_cast<int>(seconds % 60);
        const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
        std::snprintf(
            buffer, sizeof buffer, "%d:%02d:%02d %s", hour12, minute, second, hour < 12 ? "AM" : "PM");
        if (!text.empty())
            text += ' ';
        text += buffer;
    }
    return text;
}

double NowAsOleDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    const int64_t days = DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                             static_cast<unsigned>(local.tm_mday))
        - OleEpochDays;
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return static_cast<double>(days) + seconds / 86400.0;
}

std::string ToString(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Empty:
        return {};
    case VarType::Null:
        Raise(errc::InvalidUseOfNull);
    case VarType::Boolean:
        return value.AsBool() ? "True" : "False";
    case VarType::Integer:
        return std::to_string(value.AsInteger());
    case VarType::Long:
        return std::to_string(value.AsLong());
    case VarType::Byte:
        return std::to_string(value.AsByte());
    case VarType::Single:
        return FormatSingle(value.AsSingle());
    case VarType::Currency:
        return FormatCurrency(value.AsCurrency());
    case VarType::Double:
        return FormatDouble(value.AsDouble());
    case VarType::Date:
        return FormatDate(value.AsDouble());
    case VarType::String:
        return value.AsString();
    case VarType::Object:
        return ToString(DefaultValue(value));
    default:
        Raise(errc::TypeMismatch);
    }
}

Variant CheckedDouble(double value)
{
    if (!std::isfinite(value))
        Raise(errc::Overflow);
    return Variant::FromDouble(value);
}

} // namespace vortalux::script
