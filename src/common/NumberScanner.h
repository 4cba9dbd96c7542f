#pragma once

#include <optional>
#include <string_view>

namespace vortalux {

// The forms of number a reader takes beyond plain decimals. Every reader takes an optional sign,
// digits with an optional "." fraction and an "E" exponent ("1", "-2.5", ".5", "1e3").
enum class NumberForms : unsigned {
    Decimal = 0,
    // "&H1F": one to eight hexadecimal digits.
    Hexadecimal = 1u << 0,
    // "&O17": one to eleven octal digits, at most &O37777777777.
    Octal = 1u << 1,
    // "1D3": the old double-precision exponent letter, read as "1E3".
    DExponent = 1u << 2,
};

constexpr NumberForms operator|(NumberForms a, NumberForms b)
{
    return static_cast<NumberForms>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

constexpr bool Accepts(NumberForms accepted, NumberForms form)
{
    return (static_cast<unsigned>(accepted) & static_cast<unsigned>(form)) != 0;
}

struct ScannedNumber {
    double value = 0.0;
    // "&H" and "&O" text: `value` is the unsigned bit pattern (0 to 0xFFFFFFFF), which a reader
    // may take as a two's complement number.
    bool isBitPattern = false;
};

// Reads all of `text` as one number, blanks (IsAsciiBlank) around it allowed. Nothing when the
// text is no number of the accepted forms or too large for a double; a number too small for
// one reads as zero. The decimal mark is "." whatever the process locale says: the numbers of
// files, scripts and wire texts belong to their format, not to the user.
[[nodiscard]] std::optional<ScannedNumber> ScanNumber(std::string_view text, NumberForms accepted);

} // namespace vortalux
