#include "ProfileNumber.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace vortalux {

std::optional<double> ParseProfileNumber(std::string_view text)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;

    if (text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) {
        if (text.size() > 10)
            return std::nullopt;
        uint64_t value = 0;
        for (char c : text.substr(2)) {
            int digit = 0;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return std::nullopt;
            value = value * 16 + static_cast<uint64_t>(digit);
        }
        return static_cast<double>(value);
    }

    // Check the shape first: strtod alone would also take "inf", "nan" and "0x1p3".
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t exponentDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    const std::string copy(text);
    const double value = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

int64_t ProfileInteger(std::string_view text, int64_t minimum, int64_t maximum, int64_t outOfRange)
{
    const std::optional<double> number = ParseProfileNumber(text);
    if (!number)
        return 0;
    const double rounded = std::nearbyint(*number); // the default mode rounds half to even
    if (rounded < static_cast<double>(minimum) || rounded > static_cast<double>(maximum))
        return outOfRange;
    return static_cast<int64_t>(rounded);
}

} // namespace vortalux
