#include "Variant.h"

#include <algorithm>

namespace vortalux::script {

Variant Variant::Null()
{
    Variant v;
    v.m_value.emplace<kNull>();
    return v;
}

Variant Variant::Nothing()
{
    Variant v;
    v.m_value.emplace<kObject>();
    return v;
}

Variant Variant::FromBool(bool value)
{
    Variant v;
    v.m_value.emplace<kBool>(value);
    return v;
}

Variant Variant::FromInteger(int16_t value)
{
    Variant v;
    v.m_value.emplace<kInteger>(value);
    return v;
}

Variant Variant::FromLong(int32_t value)
{
    Variant v;
    v.m_value.emplace<kLong>(value);
    return v;
}

Variant Variant::FromDouble(double value)
{
    Variant v;
    v.m_value.emplace<kDouble>(value);
    return v;
}

Variant Variant::FromDate(double oleDate)
{
    Variant v;
    v.m_value.emplace<kDate>(DateTag {oleDate});
    return v;
}

Variant Variant::FromString(std::string value)
{
    // Counted before it is kept: on failure `value` is freed by the caller's unwinding.
    if (const size_t bytes = StringBytes(value))
        RunBudget::Charge(bytes);
    Variant v;
    v.m_value.emplace<kString>(std::move(value));
    return v;
}

void Variant::AppendString(std::string_view text)
{
    std::string& value = std::get<kString>(m_value);
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
    v.m_value.emplace<kObject>(std::move(object));
    return v;
}

Variant Variant::FromArray(ArrayRef array)
{
    Variant v;
    v.m_value.emplace<kArray>(std::move(array));
    return v;
}

VarType Variant::Type() const
{
    static constexpr VarType kTypes[] = {VarType::Empty, VarType::Null, VarType::Boolean, VarType::Integer,
        VarType::Long, VarType::Double, VarType::Date, VarType::String, VarType::Object, VarType::Array};
    return kTypes[m_value.index()];
}

bool Variant::IsNumber() const
{
    const size_t i = m_value.index();
    return i == kBool || i == kInteger || i == kLong || i == kDouble || i == kDate;
}

double Variant::AsDouble() const
{
    if (m_value.index() == kDate)
        return std::get<kDate>(m_value).value;
    return std::get<kDouble>(m_value);
}

} // namespace vortalux::script
