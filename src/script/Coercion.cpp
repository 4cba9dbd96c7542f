#include "Coercion.h"

#include "AsciiText.h"
#include "NumberScanner.h"
#include "OleDate.h"
#include "ScriptArray.h"
#include "ScriptError.h"
#include "ScriptObject.h"

#include <charconv>
#include <cmath>
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
    // From 1E+15 on the 15 digits shown would drop digits the product still has.
    const std::optional<double> shown
        = std::fabs(product) < 1e15 ? ParseNumber(FormatDouble(product)) : std::nullopt;
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

namespace {

// printf's "%.NG" in the C locale, whatever the process locale is.
template<typename Number> std::string FormatSignificantDigits(Number value, int digits)
{
    if (value == Number {0})
        return "0";
    char buffer[64];
    const auto [end, error]
        = std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::general, digits);
    if (error != std::errc())
        return "0";
    std::string text(std::begin(buffer), end);
    for (char& c : text) {
        if (c == 'e')
            c = 'E';
    }
    return text;
}

} // namespace

std::string FormatDouble(double value) { return FormatSignificantDigits(value, 15); }

std::string FormatSingle(float value) { return FormatSignificantDigits(value, 7); }

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

double ToDate(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Date:
        return value.AsDouble();
    case VarType::String: {
        const std::optional<double> date = ParseDate(value.AsString(), CurrentYear());
        if (!date)
            Raise(errc::TypeMismatch);
        return *date;
    }
    case VarType::Object:
        return ToDate(DefaultValue(value));
    default: {
        const double number = ToDouble(value);
        if (!IsDateInRange(number))
            Raise(errc::Overflow);
        return number;
    }
    }
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
