#include "NumberScanner.h"

#include "AsciiText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

namespace vortalux {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<ScannedNumber> ScanBitPattern(std::string_view digits, int radix)
{
    const size_t maxDigits = radix == 16 ? 8 : 11;
    if (digits.empty() || digits.size() > maxDigits)
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : digits) {
        const int digit = HexValue(c);
        if (digit < 0 || digit >= radix)
            return std::nullopt;
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
    }
    if (value > 0xFFFFFFFFu)
        return std::nullopt;
    return ScannedNumber {static_cast<double>(value), true};
}

// The decimal exponent of the first significant digit of a decimal number that from_chars found
// out of range: below zero the number is too small for a double, else too large.
int64_t LeadingExponent(std::string_view mantissa, int64_t exponent)
{
    int64_t position = 0; // digits before the point, counted from the first significant one
    bool seenPoint = false;
    bool significant = false;
    for (const char c : mantissa) {
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        if (!significant && c == '0') {
            if (seenPoint)
                --position;
            continue;
        }
        significant = true;
        if (!seenPoint)
            ++position;
    }
    if (!significant)
        return INT64_MIN;
    return position - 1 + exponent;
}

} // namespace

std::optional<ScannedNumber> ScanNumber(std::string_view text, NumberForms accepted)
{
    text = TrimAsciiBlanks(text);
    if (text.empty())
        return std::nullopt;
    if (text[0] == '&') {
        const char kind = text.size() > 1 ? AsciiLower(text[1]) : '\0';
        if (kind == 'h' && Accepts(accepted, NumberForms::Hexadecimal))
            return ScanBitPattern(text.substr(2), 16);
        if (kind == 'o' && Accepts(accepted, NumberForms::Octal))
            return ScanBitPattern(text.substr(2), 8);
        return std::nullopt;
    }

    // The shape first: from_chars alone would also take "inf", "nan" and "1e" as a prefix.
    size_t i = 0;
    const bool negative = text[0] == '-';
    if (text[0] == '+' || negative)
        ++i;
    const size_t mantissaStart = i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    const size_t mantissaEnd = i;
    int64_t exponent = 0;
    bool dExponent = false;
    if (i < text.size()) {
        const char letter = AsciiLower(text[i]);
        dExponent = letter == 'd' && Accepts(accepted, NumberForms::DExponent);
        if (letter != 'e' && !dExponent)
            return std::nullopt;
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (text[i] - '0');
            ++i, ++exponentDigits;
        }
        if (exponentDigits == 0 || i != text.size())
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }

    // from_chars takes "-" but not "+", and "E" but not "D".
    std::string_view number = text.substr(negative ? 0 : mantissaStart);
    std::string copy;
    if (dExponent) {
        copy.assign(number);
        copy[mantissaEnd - (negative ? 0 : mantissaStart)] = 'E';
        number = copy;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (LeadingExponent(text.substr(mantissaStart, mantissaEnd - mantissaStart), exponent) >= 0)
            return std::nullopt;
        value = negative ? -0.0 : 0.0;
    } else if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return ScannedNumber {value, false};
}

} // namespace vortalux
