// The conversion and numeric built-ins.
#include "AsciiText.h"
#include "BuiltinFunctions.h"
#include "Coercion.h"
#include "Operators.h"
#include "ScriptError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <string_view>

namespace vortalux::script::builtins {

namespace {

// Applies `whole` to a number, keeping its subtype (whole numbers are returned as they are).
template<typename F> Variant KeepingType(const Variant& value, F whole)
{
    switch (value.Type()) {
    case VarType::Null:
        return Variant::Null();
    case VarType::Empty:
        return Variant::FromInteger(0);
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
        return value;
    case VarType::Boolean:
        return Variant::FromInteger(value.AsBool() ? -1 : 0);
    case VarType::Date:
        return Variant::FromDate(whole(value.AsDouble()));
    case VarType::Single:
        return Variant::FromSingle(static_cast<float>(whole(static_cast<double>(value.AsSingle()))));
    case VarType::Currency:
        return Variant::FromCurrency(CurrencyFromDouble(whole(ToDouble(value))));
    default:
        return CheckedDouble(whole(ToDouble(value)));
    }
}

// `x` rounded half to even at `places` decimals, deciding the half-way case on the decimal
// digits the user sees, not on binary noise.
double RoundedTo(double x, int32_t places)
{
    if (places > 15)
        return x;
    const double scale = std::pow(10.0, places);
    const double scaled = x * scale;
    // From 1E+15 on the 15 digits shown would drop digits the product still has.
    const std::optional<double> shown
        = std::fabs(scaled) < 1e15 ? ParseNumber(FormatDouble(scaled)) : std::nullopt;
    return RoundHalfEven(shown ? *shown : scaled) / scale;
}

std::string Radix(const Variant& value, int radix)
{
    char buffer[32];
    const bool narrow
        = value.Type() == VarType::Integer || value.Type() == VarType::Boolean || value.IsEmpty();
    const int32_t number = ToLong(value);
    const auto bits
        = narrow ? static_cast<uint32_t>(static_cast<uint16_t>(number)) : static_cast<uint32_t>(number);
    const auto end = std::to_chars(std::begin(buffer), std::end(buffer), bits, radix).ptr;
    return AsciiUpperCopy(std::string_view(buffer, static_cast<size_t>(end - buffer)));
}

} // namespace

Variant CStr(Interpreter&, Args& args) { return Variant::FromString(ToString(args[0])); }

Variant CInt(Interpreter&, Args& args) { return Variant::FromInteger(ToInteger(args[0])); }

Variant CLng(Interpreter&, Args& args) { return Variant::FromLong(ToLong(args[0])); }

Variant CDbl(Interpreter&, Args& args) { return CheckedDouble(ToDouble(args[0])); }

Variant CByte(Interpreter&, Args& args) { return Variant::FromByte(ToByte(args[0])); }

Variant CSng(Interpreter&, Args& args) { return Variant::FromSingle(ToSingle(args[0])); }

Variant CCur(Interpreter&, Args& args) { return Variant::FromCurrency(ToCurrency(args[0])); }

Variant CBool(Interpreter&, Args& args) { return Variant::FromBool(ToBool(args[0])); }

Variant Int(Interpreter&, Args& args)
{
    return KeepingType(args[0], [](double x) { return std::floor(x); });
}

Variant Fix(Interpreter&, Args& args)
{
    return KeepingType(args[0], [](double x) { return std::trunc(x); });
}

Variant Abs(Interpreter&, Args& args)
{
    const Variant& value = args[0];
    switch (value.Type()) {
    case VarType::Null:
        return Variant::Null();
    case VarType::Empty:
        return Variant::FromInteger(0);
    case VarType::Integer:
    case VarType::Long:
    case VarType::Boolean:
        return ToDouble(value) < 0 ? ops::Negate(value) : ops::Add(value, Variant());
    case VarType::Byte:
        return value;
    case VarType::Single:
        return Variant::FromSingle(std::fabs(value.AsSingle()));
    case VarType::Currency:
        return value.AsCurrency() < 0 ? ops::Negate(value) : value;
    default:
        return CheckedDouble(std::fabs(ToDouble(value)));
    }
}

Variant Sgn(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const double x = ToDouble(args[0]);
    return Variant::FromInteger(static_cast<int16_t>(x < 0 ? -1 : (x > 0 ? 1 : 0)));
}

Variant Sqr(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const double x = ToDouble(args[0]);
    if (x < 0)
        Raise(errc::InvalidProcedureCall);
    return Variant::FromDouble(std::sqrt(x));
}

Variant Round(Interpreter&, Args& args)
{
    const Variant& value = args[0];
    if (value.IsNull())
        return Variant::Null();
    const int32_t places = args.size() > 1 && !args[1].IsEmpty() ? ToLong(args[1]) : 0;
    if (places < 0)
        Raise(errc::InvalidProcedureCall);
    // The result keeps the subtype of the number; text rounds as a Double.
    switch (value.Type()) {
    case VarType::Empty:
        return Variant::FromInteger(0);
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
        return value;
    case VarType::Boolean:
        return Variant::FromInteger(value.AsBool() ? -1 : 0);
    case VarType::Single:
        return Variant::FromSingle(static_cast<float>(RoundedTo(value.AsSingle(), std::min(places, 7))));
    case VarType::Currency:
        return places >= 4 ? value
                           : Variant::FromCurrency(CurrencyFromDouble(RoundedTo(ToDouble(value), places)));
    default:
        return CheckedDouble(RoundedTo(ToDouble(value), places));
    }
}

namespace {

// A function of a Double: Null for Null, 5 where `defined` says no, 6 when the result overflows.
template<typename F, typename D> Variant RealFunction(const Variant& value, F function, D defined)
{
    if (value.IsNull())
        return Variant::Null();
    const double x = ToDouble(value);
    if (!defined(x))
        Raise(errc::InvalidProcedureCall);
    return CheckedDouble(function(x));
}

bool Everywhere(double) { return true; }

} // namespace

Variant Atn(Interpreter&, Args& args)
{
    return RealFunction(
        args[0], [](double x) { return std::atan(x); }, Everywhere);
}

Variant Cos(Interpreter&, Args& args)
{
    return RealFunction(
        args[0], [](double x) { return std::cos(x); }, Everywhere);
}

Variant Sin(Interpreter&, Args& args)
{
    return RealFunction(
        args[0], [](double x) { return std::sin(x); }, Everywhere);
}

Variant Tan(Interpreter&, Args& args)
{
    return RealFunction(
        args[0], [](double x) { return std::tan(x); }, Everywhere);
}

Variant Exp(Interpreter&, Args& args)
{
    return RealFunction(
        args[0], [](double x) { return std::exp(x); }, Everywhere);
}

Variant Log(Interpreter&, Args& args)
{
    return RealFunction(
        args[0], [](double x) { return std::log(x); }, [](double x) { return x > 0; });
}

Variant Hex(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    return Variant::FromString(Radix(args[0], 16));
}

Variant Oct(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    return Variant::FromString(Radix(args[0], 8));
}

} // namespace vortalux::script::builtins
