#include "Variant.h"

#include <algorithm>

namespace vortalux::script {

Variant Variant::Null()
{
    Variant v;
    v.m_value.emplace<NullIndex>();
    return v;
}

Variant Variant::Nothing()
{
    Variant v;
    v.m_value.emplace<ObjectIndex>();
    return v;
}

Variant Variant::FromBool(bool value)
{
    Variant v;
    v.m_value.emplace<BoolIndex>(value);
    return v;
}

Variant Variant::FromInteger(int16_t value)
{
    Variant v;
    v.m_value.emplace<IntegerIndex>(value);
    return v;
}

Variant Variant::FromLong(int32_t value)
{
    Variant v;
    v.m_value.emplace<LongIndex>(value);
    return v;
}

Variant Variant::FromByte(uint8_t value)
{
    Variant v;
    v.m_value.emplace<ByteIndex>(value);
    return v;
}

Variant Variant::FromSingle(float value)
{
    Variant v;
    v.m_value.emplace<SingleIndex>(value);
    return v;
}

Variant Variant::FromCurrency(int64_t tenThousandths)
{
    Variant v;
    v.m_value.emplace<CurrencyIndex>(CurrencyTag {tenThousandths});
    return v;
}

Variant Variant::FromDouble(double value)
{
    Variant v;
    v.m_value.emplace<DoubleIndex>(value);
    return v;
}

Variant Variant::FromDate(double oleDate)
{
    Variant v;
    v.m_value.emplace<DateIndex>(DateTag {oleDate});
    return v;
}

Variant Variant::FromString(std::string value)
{
    // Counted before it is kept: on failure `value` is freed by the caller's unwinding.
    if (const size_t bytes = StringBytes(value))
        RunBudget::Charge(bytes);
    Variant v;
    v.m_value.emplace<StringIndex>(std::move(value));
    return v;
}

void Variant::AppendString(std::string_view text)
{
    std::string& value = std::get<StringIndex>(m_value);
    const size_t needed = value.size() + text.size();
    if (needed > value.capacity()) {
        // Grow as the string would (doubling), but count the growth before taking it. A
        // capacity beyond the present one is always a buffer of its own.
        const size_t before = HeldBytes();
        const size_t capacity = std::max(needed, 2 * value.capacity());
        const size_t planned = capacity + 1;
        RunBudget::Charge(planned - before);
        try {
            value.reserve(capacity);
        } catch (...) {
            RunBudget::Release(planned - before);
            throw;
        }
        Recount(planned, HeldBytes());
    }
    value.append(text);
}

Variant Variant::FromObject(ObjectRef object)
{
    Variant v;
    v.m_value.emplace<ObjectIndex>(std::move(object));
    return v;
}

Variant Variant::FromArray(ArrayRef array)
{
    Variant v;
    v.m_value.emplace<ArrayIndex>(std::move(array));
    return v;
}

VarType Variant::Type() const
{
    static constexpr VarType Types[] = {VarType::Empty, VarType::Null, VarType::Boolean, VarType::Integer,
        VarType::Long, VarType::Double, VarType::Date, VarType::String, VarType::Object, VarType::Array,
        VarType::Byte, VarType::Single, VarType::Currency};
    return Types[m_value.index()];
}

bool Variant::IsNumber() const
{
    const size_t i = m_value.index();
    return i == BoolIndex || i == IntegerIndex || i == LongIndex || i == DoubleIndex || i == DateIndex
        || i == ByteIndex || i == SingleIndex || i == CurrencyIndex;
}

double Variant::AsDouble() const
{
    if (m_value.index() == DateIndex)
        return std::get<DateIndex>(m_value).value;
    return std::get<DoubleIndex>(m_value);
}

} // namespace vortalux::script
