#pragma once

#include "Variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vortalux::script {

// VBScript's conversions between subtypes. Each raises the error VBScript raises: 94 for Null
// where a value is needed, 13 for text that is not a number, 6 past a subtype's range.

// Text as VBScript reads a number: blanks around, a sign, decimals with an "E" or "D"
// exponent and "." as the decimal mark, or "&H" hex and "&O" octal (16-bit or 32-bit two's
// complement). Nothing when the text is not a number. The process locale plays no part.
[[nodiscard]] std::optional<double> ParseNumber(std::string_view text);

// An object's default property; any other value as it is.
Variant DefaultValue(const Variant& value);

double ToDouble(const Variant& value);
// Rounded half to even, as VBScript rounds every conversion to a whole number.
int32_t ToLong(const Variant& value);
int16_t ToInteger(const Variant& value);
// 0 to 255, else 6.
uint8_t ToByte(const Variant& value);
// Rounded to the nearest Single; 6 beyond its range.
float ToSingle(const Variant& value);
// The amount times 10,000, rounded half to even at the fourth decimal; 6 beyond the range of
// -922,337,203,685,477.5808 to 922,337,203,685,477.5807.
int64_t ToCurrency(const Variant& value);
[[nodiscard]] int64_t CurrencyFromDouble(double value);
bool ToBool(const Variant& value);
std::string ToString(const Variant& value);
// A date as an OLE date: text read as an English (United States) date (13 when it is none),
// numbers as they are (6 outside the dates VBScript holds).
double ToDate(const Variant& value);

// Half to even.
double RoundHalfEven(double value);
// 15 significant digits, exponent notation from 1E+15 up and below 1E-04 ("1E+20", "1.5E-05"),
// "." as the decimal mark whatever the process locale.
std::string FormatDouble(double value);
// 7 significant digits in the form of FormatDouble ("1.5", "1.234568E+07").
std::string FormatSingle(float value);
// Up to four decimals, never an exponent ("-12.5", "0.0001").
std::string FormatCurrency(int64_t tenThousandths);
// A Double result as VBScript keeps it: infinity and NaN are an overflow.
Variant CheckedDouble(double value);

} // namespace vortalux::script
