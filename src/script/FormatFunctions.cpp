// FormatNumber, FormatCurrency and FormatPercent in the forms of English (United States):
// "." as the decimal mark, "," between groups of three digits, "$" before the amount, two
// decimals by default, and a negative amount in parentheses by default for currency only.
#include "BuiltinFunctions.h"
#include "Coercion.h"
#include "ScriptError.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

namespace vortalux::script::builtins {

namespace {

// The tristate arguments: vbTrue (-1), vbFalse (0), vbUseDefault (-2).
bool Tristate(const Args& args, size_t index, bool byDefault)
{
    if (args.size() <= index || args[index].IsEmpty())
        return byDefault;
    const int32_t value = ToLong(args[index]);
    if (value == -2)
        return byDefault;
    return value != 0;
}

struct Layout {
    int decimals = 2;
    bool leadingDigit = true;
    bool parentheses = false;
    bool groups = true;
};

Layout LayoutOf(const Args& args, bool parenthesesByDefault)
{
    Layout layout;
    if (args.size() > 1 && !args[1].IsEmpty()) {
        const int32_t decimals = ToLong(args[1]);
        if (decimals < -1 || decimals > 255)
            Raise(errc::InvalidProcedureCall);
        layout.decimals = decimals == -1 ? 2 : decimals;
    }
    layout.leadingDigit = Tristate(args, 2, true);
    layout.parentheses = Tristate(args, 3, parenthesesByDefault);
    layout.groups = Tristate(args, 4, true);
    return layout;
}

// The magnitude of `value` with `decimals` decimals, rounded half away from zero on its 15
// significant digits (what the user sees of a Double, not its binary tail).
std::string FixedDigits(double value, int decimals, bool& negative)
{
    negative = value < 0;
    char buffer[64];
    const auto end = std::to_chars(
        std::begin(buffer), std::end(buffer), value < 0 ? -value : value, std::chars_format::scientific, 14)
                         .ptr;
    const std::string text(std::begin(buffer), end);
    const size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    int exponent = 0;
    const char* exponentText = text.data() + e + 1;
    if (*exponentText == '+')
        ++exponentText;
    std::from_chars(exponentText, text.data() + text.size(), exponent);
    if (value == 0)
        exponent = 0;
    // digits[0] stands for 10^exponent; keep those down to 10^-decimals.
    const int keep = exponent + 1 + decimals;
    if (keep < 0) {
        digits = "0";
        exponent = 0;
    } else {
        if (keep < static_cast<int>(digits.size())) {
            const bool up = digits[static_cast<size_t>(keep)] >= '5';
            digits.resize(static_cast<size_t>(keep));
            if (up) {
                int i = keep - 1;
                while (i >= 0 && digits[static_cast<size_t>(i)] == '9')
                    digits[static_cast<size_t>(i--)] = '0';
                if (i < 0) {
                    digits.insert(digits.begin(), '1');
                    ++exponent;
                } else {
                    ++digits[static_cast<size_t>(i)];
                }
            }
        }
        if (digits.empty()) {
            digits = "0";
            exponent = -decimals;
        }
    }
    // Whole part and fraction as decimal text.
    std::string whole;
    std::string fraction;
    for (int position = std::max(exponent, 0); position >= -decimals; --position) {
        const int index = exponent - position;
        const char digit = index >= 0 && index < static_cast<int>(digits.size())
            ? digits[static_cast<size_t>(index)]
            : '0';
        (position >= 0 ? whole : fraction) += digit;
    }
    if (whole.find_first_not_of('0') == std::string::npos
        && fraction.find_first_not_of('0') == std::string::npos)
        negative = false;
    return whole + (decimals > 0 ? "." + fraction : "");
}

std::string Grouped(const std::string& whole)
{
    std::string result;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i != 0 && (whole.size() - i) % 3 == 0)
            result += ',';
        result += whole[i];
    }
    return result;
}

// `prefix` and `suffix` go around the digits, inside the sign or the parentheses.
Variant Formatted(
    const Args& args, double value, bool parenthesesByDefault, const char* prefix, const char* suffix)
{
    const Layout layout = LayoutOf(args, parenthesesByDefault);
    bool negative = false;
    const std::string fixed = FixedDigits(value, layout.decimals, negative);
    const size_t point = fixed.find('.');
    std::string whole = fixed.substr(0, point);
    const std::string fraction = point == std::string::npos ? std::string() : fixed.substr(point);
    whole = whole.find_first_not_of('0') == std::string::npos ? "0"
                                                              : whole.substr(whole.find_first_not_of('0'));
    if (whole == "0" && !layout.leadingDigit && !fraction.empty())
        whole.clear();
    std::string text = prefix + (layout.groups ? Grouped(whole) : whole) + fraction + suffix;
    if (negative)
        text = layout.parentheses ? "(" + text + ")" : "-" + text;
    return Variant::FromString(std::move(text));
}

double Amount(const Variant& value, double scale)
{
    if (value.IsNull())
        Raise(errc::InvalidUseOfNull);
    const double amount = ToDouble(value) * scale;
    if (!std::isfinite(amount))
        Raise(errc::Overflow);
    return amount;
}

} // namespace

Variant FormatNumber(Interpreter&, Args& args)
{
    return Formatted(args, Amount(args[0], 1.0), false, "", "");
}

Variant FormatCurrency(Interpreter&, Args& args)
{
    return Formatted(args, Amount(args[0], 1.0), true, "$", "");
}

Variant FormatPercent(Interpreter&, Args& args)
{
    return Formatted(args, Amount(args[0], 100.0), false, "", "%");
}

} // namespace vortalux::script::builtins
