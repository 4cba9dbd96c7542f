#include "Variant.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace vortalux::script {

Variant Variant::Nothing() { return FromObject(nullptr); }

Variant Variant::FromString(std::string value)
{
    // Counted before it is kept: on failure `value` is freed by the caller's unwinding.
    if (const size_t bytes = StringBytes(value))
        RunBudget::Charge(bytes);
    Variant v;
    v.m_tag = Tag::String;
    new (&v.m_storage.text) std::string(std::move(value));
    return v;
}

Variant Variant::FromObject(ObjectRef object)
{
    Variant v;
    v.m_tag = Tag::Object;
    new (&v.m_storage.object) ObjectRef(std::move(object));
    return v;
}

Variant Variant::FromArray(ArrayRef array)
{
    Variant v;
    v.m_tag = Tag::Array;
    new (&v.m_storage.array) ArrayRef(std::move(array));
    return v;
}

void Variant::AppendString(std::string_view text)
{
    if (m_tag != Tag::String)
        ThrowWrongType();
    std::string& value = m_storage.text;
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

void Variant::ThrowWrongType() { throw std::logic_error("a Variant was read as a subtype it does not hold"); }

void Variant::CopyHeavy(const Variant& other)
{
    switch (other.m_tag) {
    case Tag::String:
        // Counted before it is kept; should the charge fail, nothing was made.
        if (const size_t bytes = other.HeldBytes()) {
            RunBudget::Charge(bytes);
            try {
                new (&m_storage.text) std::string(other.m_storage.text);
            } catch (...) {
                RunBudget::Release(bytes);
                throw;
            }
            // The copy's buffer may be smaller than the original's; count what it holds.
            Recount(bytes, StringBytes(m_storage.text));
        } else {
            new (&m_storage.text) std::string(other.m_storage.text);
        }
        break;
    case Tag::Object:
        new (&m_storage.object) ObjectRef(other.m_storage.object);
        break;
    case Tag::Array:
        new (&m_storage.array) ArrayRef(other.m_storage.array);
        break;
    default:
        break;
    }
    m_tag = other.m_tag;
}

void Variant::MoveHeavy(Variant&& other) noexcept
{
    switch (other.m_tag) {
    case Tag::String:
        new (&m_storage.text) std::string(std::move(other.m_storage.text));
        break;
    case Tag::Object:
        new (&m_storage.object) ObjectRef(std::move(other.m_storage.object));
        break;
    case Tag::Array:
        new (&m_storage.array) ArrayRef(std::move(other.m_storage.array));
        break;
    default:
        break;
    }
    m_tag = other.m_tag;
}

void Variant::MoveAssignHeavy(Variant&& other) noexcept
{
    // `other` may live inside what this value owns (an element of its array): take it out
    // before letting go of the old value.
    Variant taken(std::move(other));
    this->~Variant();
    new (this) Variant(std::move(taken));
}

void Variant::DestroyHeavy() noexcept
{
    switch (m_tag) {
    case Tag::String:
        if (const size_t bytes = HeldBytes())
            RunBudget::Release(bytes);
        m_storage.text.~basic_string();
        break;
    case Tag::Object:
        m_storage.object.~ObjectRef();
        break;
    case Tag::Array:
        m_storage.array.~ArrayRef();
        break;
    default:
        break;
    }
    m_tag = Tag::Empty;
    m_storage.bits = 0;
}

} // namespace vortalux::script
