#include "Operators.h"

#include "Coercion.h"
#include "ScriptError.h"
#include "ScriptObject.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vortalux::script::ops {

namespace {

// The numeric subtypes arithmetic works in. Byte to Long are whole numbers, Currency a whole
// number of ten-thousandths.
enum class Rank { Byte, Integer, Long, Single, Double, Currency, Date };

struct Number {
    Rank rank;
    int64_t whole; // Byte, Integer, Long and Currency (ten-thousandths)
    double real; // Single, Double and Date
};

bool IsWhole(Rank rank) { return rank <= Rank::Long; }

Number ToNumber(const Variant& v)
{
    switch (v.Type()) {
    case VarType::Empty:
        return {Rank::Integer, 0, 0.0};
    case VarType::Boolean:
        return {Rank::Integer, v.AsBool() ? -1 : 0, 0.0};
    case VarType::Byte:
        return {Rank::Byte, v.AsByte(), 0.0};
    case VarType::Integer:
        return {Rank::Integer, v.AsInteger(), 0.0};
    case VarType::Long:
        return {Rank::Long, v.AsLong(), 0.0};
    case VarType::Single:
        return {Rank::Single, 0, v.AsSingle()};
    case VarType::Currency:
        return {Rank::Currency, v.AsCurrency(), 0.0};
    case VarType::Double:
        return {Rank::Double, 0, v.AsDouble()};
    case VarType::Date:
        return {Rank::Date, 0, v.AsDouble()};
    case VarType::String:
        return {Rank::Double, 0, ToDouble(v)};
    case VarType::Object:
        return ToNumber(DefaultValue(v));
    default:
        Raise(errc::TypeMismatch);
    }
}

double AsReal(const Number& n)
{
    if (n.rank == Rank::Currency)
        return static_cast<double>(n.whole) / 10000.0;
    return IsWhole(n.rank) ? static_cast<double>(n.whole) : n.real;
}

int64_t AsCurrency(const Number& n)
{
    if (n.rank == Rank::Currency)
        return n.whole;
    if (IsWhole(n.rank))
        return n.whole * 10000;
    return CurrencyFromDouble(n.real);
}

// A whole result in the narrowest subtype from `rank` up that holds it: Byte overflows to
// Integer, Integer to Long, Long to Double.
Variant FromWhole(int64_t value, Rank rank)
{
    if (rank == Rank::Byte && value >= 0 && value <= 255)
        return Variant::FromByte(static_cast<uint8_t>(value));
    if (rank <= Rank::Integer && value >= -32768 && value <= 32767)
        return Variant::FromInteger(static_cast<int16_t>(value));
    if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max())
        return Variant::FromLong(static_cast<int32_t>(value));
    return Variant::FromDouble(static_cast<double>(value));
}

// Dates run from 1 January 100 to 31 December 9999.
constexpr double FirstDate = -657434.0;
constexpr double LastDate = 2958466.0;

Variant FromReal(double value, Rank rank)
{
    if (!std::isfinite(value))
        Raise(errc::Overflow);
    switch (rank) {
    case Rank::Date:
        if (!(value > FirstDate - 1.0 && value < LastDate))
            Raise(errc::Overflow);
        return Variant::FromDate(value);
    case Rank::Single:
        // A Single result too large for a Single becomes a Double.
        if (std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max()))
            return Variant::FromSingle(static_cast<float>(value));
        return Variant::FromDouble(value);
    default:
        return Variant::FromDouble(value);
    }
}

// A Single meets a Long: neither holds the other, so the result is a Double.
Rank SingleOrDouble(Rank x, Rank y)
{
    return x == Rank::Long || y == Rank::Long ? Rank::Double : Rank::Single;
}

// The result subtype of + and -: Date over Currency over Double over Single over the whole
// numbers.
Rank SumRank(Rank x, Rank y)
{
    const Rank rank = std::max(x, y);
    return rank == Rank::Single ? SingleOrDouble(x, y) : rank;
}

// The result subtype of *: a Date counts as a Double, and a Double wins over a Currency.
Rank ProductRank(Rank x, Rank y)
{
    x = x == Rank::Date ? Rank::Double : x;
    y = y == Rank::Date ? Rank::Double : y;
    if (x == Rank::Double || y == Rank::Double)
        return Rank::Double;
    return SumRank(x, y);
}

enum class Arith { Add, Subtract, Multiply };

Variant CurrencyArithmetic(Arith op, const Number& x, const Number& y)
{
    const int64_t p = AsCurrency(x);
    const int64_t q = AsCurrency(y);
    int64_t result = 0;
    switch (op) {
    case Arith::Add:
        if (__builtin_add_overflow(p, q, &result))
            Raise(errc::Overflow);
        break;
    case Arith::Subtract:
        if (__builtin_sub_overflow(p, q, &result))
            Raise(errc::Overflow);
        break;
    case Arith::Multiply:
        result = CurrencyFromDouble(AsReal(x) * AsReal(y));
        break;
    }
    return Variant::FromCurrency(result);
}

// Integer or Long, the operands of nearly all script arithmetic.
bool IsSmallWhole(VarType type) { return type == VarType::Integer || type == VarType::Long; }

int64_t SmallWhole(const Variant& v) { return v.Type() == VarType::Integer ? v.AsInteger() : v.AsLong(); }

Variant Arithmetic(Arith op, const Variant& a, const Variant& b)
{
    if (IsSmallWhole(a.Type()) && IsSmallWhole(b.Type())) {
        const Rank rank = a.Type() == VarType::Long || b.Type() == VarType::Long ? Rank::Long : Rank::Integer;
        const int64_t p = SmallWhole(a);
        const int64_t q = SmallWhole(b);
        // Both fit in 32 bits, so none of these overflows 64 bits.
        return FromWhole(op == Arith::Add ? p + q : (op == Arith::Subtract ? p - q : p * q), rank);
    }
    const Number x = ToNumber(a);
    const Number y = ToNumber(b);
    const Rank rank = op == Arith::Multiply ? ProductRank(x.rank, y.rank) : SumRank(x.rank, y.rank);
    if (IsWhole(rank)) {
        // Both fit in 32 bits, so none of these overflows 64 bits.
        switch (op) {
        case Arith::Add:
            return FromWhole(x.whole + y.whole, rank);
        case Arith::Subtract:
            return FromWhole(x.whole - y.whole, rank);
        case Arith::Multiply:
            return FromWhole(x.whole * y.whole, rank);
        }
    }
    if (rank == Rank::Currency)
        return CurrencyArithmetic(op, x, y);
    const double p = AsReal(x);
    const double q = AsReal(y);
    switch (op) {
    case Arith::Add:
        return FromReal(p + q, rank);
    case Arith::Subtract:
        // The difference of two dates is a number of days.
        return FromReal(p - q, x.rank == Rank::Date && y.rank == Rank::Date ? Rank::Double : rank);
    case Arith::Multiply:
        return FromReal(p * q, rank);
    }
    return {};
}

// Operand of \ and Mod: a whole number, rounded half to even.
Number WholeOperand(const Variant& v)
{
    Number n = ToNumber(v);
    if (!IsWhole(n.rank)) {
        const double rounded = RoundHalfEven(AsReal(n));
        if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
            Raise(errc::Overflow);
        return {Rank::Long, static_cast<int64_t>(rounded), 0.0};
    }
    return n;
}

// Operand of the logical operators: Boolean, or a whole number.
struct Logical {
    bool isBool;
    Rank rank;
    int64_t bits;
};

Logical ToLogical(const Variant& v)
{
    if (v.IsBool())
        return {true, Rank::Integer, v.AsBool() ? -1 : 0};
    const Number n = WholeOperand(v);
    return {false, n.rank, n.whole};
}

Variant LogicalResult(const Logical& x, const Logical& y, int64_t bits)
{
    if (x.isBool && y.isBool)
        return Variant::FromBool(bits != 0);
    const Rank rank = std::max(x.rank, y.rank);
    if (rank == Rank::Byte)
        return Variant::FromByte(static_cast<uint8_t>(bits));
    if (rank == Rank::Integer)
        return Variant::FromInteger(static_cast<int16_t>(bits));
    return Variant::FromLong(static_cast<int32_t>(bits));
}

enum class Kind { Empty, Number, String };

Kind KindOf(const Variant& v)
{
    if (v.IsEmpty())
        return Kind::Empty;
    if (v.IsString())
        return Kind::String;
    if (v.IsNumber())
        return Kind::Number;
    Raise(errc::TypeMismatch);
}

int CompareStrings(const std::string& a, const std::string& b)
{
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareReals(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

} // namespace

void CheckStringLength(size_t length)
{
    if (length > MaxStringLength)
        Raise(errc::OutOfStringSpace);
}

Variant Add(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    if (a.IsString() && (b.IsString() || b.IsEmpty())) {
        std::string joined = a.AsString();
        if (b.IsString()) {
            CheckStringLength(joined.size() + b.AsString().size());
            joined += b.AsString();
        }
        return Variant::FromString(std::move(joined));
    }
    if (a.IsEmpty() && b.IsString())
        return b;
    return Arithmetic(Arith::Add, a, b);
}

Variant Subtract(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    return Arithmetic(Arith::Subtract, a, b);
}

Variant Multiply(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    return Arithmetic(Arith::Multiply, a, b);
}

Variant Divide(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    const Number x = ToNumber(a);
    const Number y = ToNumber(b);
    const double p = AsReal(x);
    const double q = AsReal(y);
    if (q == 0.0)
        Raise(p == 0.0 ? errc::Overflow : errc::DivisionByZero);
    // Whole numbers divide into a Double; a Single with nothing wider than an Integer stays one.
    const Rank rank
        = std::max(x.rank, y.rank) == Rank::Single ? SingleOrDouble(x.rank, y.rank) : Rank::Double;
    return FromReal(p / q, rank);
}

Variant IntegerDivide(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    const Number x = WholeOperand(a);
    const Number y = WholeOperand(b);
    if (y.whole == 0)
        Raise(errc::DivisionByZero);
    const int64_t quotient = x.whole / y.whole;
    const Rank rank = std::max(x.rank, y.rank);
    if (quotient > std::numeric_limits<int32_t>::max())
        Raise(errc::Overflow);
    return FromWhole(quotient, rank);
}

Variant Modulo(const Variant& a, const Variant& b)
{
    if (IsSmallWhole(a.Type()) && IsSmallWhole(b.Type())) {
        const int64_t q = SmallWhole(b);
        if (q == 0)
            Raise(errc::DivisionByZero);
        const Rank rank = a.Type() == VarType::Long || b.Type() == VarType::Long ? Rank::Long : Rank::Integer;
        return FromWhole(SmallWhole(a) % q, rank);
    }
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    const Number x = WholeOperand(a);
    const Number y = WholeOperand(b);
    if (y.whole == 0)
        Raise(errc::DivisionByZero);
    return FromWhole(x.whole % y.whole, std::max(x.rank, y.rank));
}

Variant Power(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    const double result = std::pow(AsReal(ToNumber(a)), AsReal(ToNumber(b)));
    if (std::isnan(result))
        Raise(errc::InvalidProcedureCall);
    return CheckedDouble(result);
}

void AppendText(std::string& a, const Variant& b)
{
    if (b.IsString()) {
        CheckStringLength(a.size() + b.AsString().size());
        a += b.AsString();
    } else if (!b.IsNull() && !b.IsEmpty()) {
        const std::string text = ToString(b);
        CheckStringLength(a.size() + text.size());
        a += text;
    }
}

void AppendText(Variant& a, const Variant& b)
{
    if (b.IsString()) {
        CheckStringLength(a.AsString().size() + b.AsString().size());
        a.AppendString(b.AsString());
    } else if (!b.IsNull() && !b.IsEmpty()) {
        const std::string text = ToString(b);
        CheckStringLength(a.AsString().size() + text.size());
        a.AppendString(text);
    }
}

Variant Concat(const Variant& a, const Variant& b)
{
    if (a.IsNull() && b.IsNull())
        return Variant::Null();
    std::string joined = a.IsNull() ? std::string() : ToString(a);
    AppendText(joined, b);
    return Variant::FromString(std::move(joined));
}

Variant Negate(const Variant& a)
{
    if (a.IsNull())
        return Variant::Null();
    const Number n = ToNumber(a);
    if (IsWhole(n.rank))
        return FromWhole(-n.whole, std::max(n.rank, Rank::Integer));
    if (n.rank == Rank::Currency) {
        if (n.whole == std::numeric_limits<int64_t>::min())
            Raise(errc::Overflow);
        return Variant::FromCurrency(-n.whole);
    }
    return FromReal(-n.real, n.rank);
}

Variant Not(const Variant& a)
{
    if (a.IsNull())
        return Variant::Null();
    const Logical x = ToLogical(a);
    return LogicalResult(x, x, ~x.bits);
}

Variant And(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull()) {
        // Null And False is False; anything else with Null is Null.
        const Variant& other = a.IsNull() ? b : a;
        if (!other.IsNull()) {
            const Logical x = ToLogical(other);
            if (x.bits == 0)
                return LogicalResult(x, x, 0);
        }
        return Variant::Null();
    }
    const Logical x = ToLogical(a);
    const Logical y = ToLogical(b);
    return LogicalResult(x, y, x.bits & y.bits);
}

Variant Or(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull()) {
        // Null Or True is True; anything else with Null is Null.
        const Variant& other = a.IsNull() ? b : a;
        if (!other.IsNull()) {
            const Logical x = ToLogical(other);
            if (x.bits == -1)
                return LogicalResult(x, x, -1);
        }
        return Variant::Null();
    }
    const Logical x = ToLogical(a);
    const Logical y = ToLogical(b);
    return LogicalResult(x, y, x.bits | y.bits);
}

Variant Xor(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    const Logical x = ToLogical(a);
    const Logical y = ToLogical(b);
    return LogicalResult(x, y, x.bits ^ y.bits);
}

Variant Eqv(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    const Logical x = ToLogical(a);
    const Logical y = ToLogical(b);
    return LogicalResult(x, y, ~(x.bits ^ y.bits));
}

Variant Imp(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull()) {
        // False Imp anything and anything Imp True are True.
        if (!a.IsNull() && ToLogical(a).bits == 0)
            return LogicalResult(ToLogical(a), ToLogical(a), -1);
        if (!b.IsNull() && ToLogical(b).bits == -1)
            return LogicalResult(ToLogical(b), ToLogical(b), -1);
        return Variant::Null();
    }
    const Logical x = ToLogical(a);
    const Logical y = ToLogical(b);
    return LogicalResult(x, y, ~x.bits | y.bits);
}

int CompareValues(const Variant& a, bool aLiteral, const Variant& b, bool bLiteral)
{
    if (a.IsObject())
        return CompareValues(DefaultValue(a), aLiteral, b, bLiteral);
    if (b.IsObject())
        return CompareValues(a, aLiteral, DefaultValue(b), bLiteral);
    const Kind ka = KindOf(a);
    const Kind kb = KindOf(b);
    static const std::string emptyText;
    if (ka == Kind::String && kb != Kind::Number)
        return CompareStrings(a.AsString(), kb == Kind::String ? b.AsString() : emptyText);
    if (kb == Kind::String && ka != Kind::Number)
        return CompareStrings(emptyText, b.AsString());
    if (ka != Kind::String && kb != Kind::String) {
        // Two Currency amounts compare exactly: beyond 15 digits doubles would blur them.
        if (a.Type() == VarType::Currency && b.Type() == VarType::Currency)
            return a.AsCurrency() < b.AsCurrency() ? -1 : (a.AsCurrency() > b.AsCurrency() ? 1 : 0);
        return CompareReals(ToDouble(a), ToDouble(b));
    }
    // A number meets a string. A literal number reads numeric text as a number; text that is not
    // a number sorts after every number, as between two variables.
    const bool numberFirst = ka == Kind::Number;
    const Variant& number = numberFirst ? a : b;
    const Variant& text = numberFirst ? b : a;
    const bool numberLiteral = numberFirst ? aLiteral : bLiteral;
    const bool textLiteral = numberFirst ? bLiteral : aLiteral;
    int result = 0;
    const std::optional<double> textNumber = numberLiteral ? ParseNumber(text.AsString()) : std::nullopt;
    if (textNumber)
        result = CompareReals(ToDouble(number), *textNumber);
    else if (textLiteral)
        result = CompareStrings(ToString(number), text.AsString());
    else
        result = -1;
    return numberFirst ? result : -result;
}

Variant Compare(CompareOp op, const Variant& a, bool aLiteral, const Variant& b, bool bLiteral)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    const int c = CompareValues(a, aLiteral, b, bLiteral);
    switch (op) {
    case CompareOp::Equal:
        return Variant::FromBool(c == 0);
    case CompareOp::NotEqual:
        return Variant::FromBool(c != 0);
    case CompareOp::Less:
        return Variant::FromBool(c < 0);
    case CompareOp::Greater:
        return Variant::FromBool(c > 0);
    case CompareOp::LessEqual:
        return Variant::FromBool(c <= 0);
    case CompareOp::GreaterEqual:
        return Variant::FromBool(c >= 0);
    }
    return {};
}

bool Is(const Variant& a, const Variant& b)
{
    if (!a.IsObject() || !b.IsObject())
        Raise(errc::ObjectRequired);
    return a.AsObject() == b.AsObject();
}

} // namespace vortalux::script::ops
