#pragma once

#include "Variant.h"

namespace vortalux::script {

enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

// VBScript's operators on Variants: result subtypes, Null propagation, overflow promotion
// (Integer to Long to Double) and errors as VBScript has them.
namespace ops {

Variant Add(const Variant& a, const Variant& b);
Variant Subtract(const Variant& a, const Variant& b);
Variant Multiply(const Variant& a, const Variant& b);
Variant Divide(const Variant& a, const Variant& b);
Variant IntegerDivide(const Variant& a, const Variant& b);
Variant Modulo(const Variant& a, const Variant& b);
Variant Power(const Variant& a, const Variant& b);
Variant Concat(const Variant& a, const Variant& b);
// Appends `b` as text to `a`.
void AppendText(std::string& a, const Variant& b);
// Appends `b` as text to the string `a` holds, in place (the fast path of `s = s & x`).
void AppendText(Variant& a, const Variant& b);
Variant Negate(const Variant& a);

Variant Not(const Variant& a);
Variant And(const Variant& a, const Variant& b);
Variant Or(const Variant& a, const Variant& b);
Variant Xor(const Variant& a, const Variant& b);
Variant Eqv(const Variant& a, const Variant& b);
Variant Imp(const Variant& a, const Variant& b);

// `literal` says the operand was written as a constant in the script: VBScript then converts
// the other operand to its type when a number meets a string (a literal number reads numeric
// text as a number, a literal string reads the number as text); otherwise a number is always
// less than a string.
Variant Compare(CompareOp op, const Variant& a, bool aLiteral, const Variant& b, bool bLiteral);
// Negative, zero or positive; Null never reaches here (callers check).
int CompareValues(const Variant& a, bool aLiteral, const Variant& b, bool bLiteral);
bool Is(const Variant& a, const Variant& b);

// Strings longer than this fail with "Out of string space".
inline constexpr size_t MaxStringLength = size_t {64} << 20;
void CheckStringLength(size_t length);

} // namespace ops
} // namespace vortalux::script
