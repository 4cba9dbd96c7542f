#pragma once

#include "RunBudget.h"

#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vortalux::script {

class ScriptObject;
class ScriptArray;
using ObjectRef = std::shared_ptr<ScriptObject>;
using ArrayRef = std::shared_ptr<ScriptArray>;

// The subtypes a Variant can hold, numbered as VarType reports them.
enum class VarType : int32_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Boolean = 11,
    Variant = 12,
    Byte = 17,
    Array = 8192,
};

// The one value type of the language. Strings are byte strings; objects are shared (a null
// object is Nothing); arrays are values whose storage is shared until one copy is written
// (see Interpreter::MutableArray).
//
// The text a string holds outside the string object itself counts against the running script's
// memory limit (RunBudget): making or copying one past the limit raises 7 "Out of memory".
class Variant {
public:
    Variant() noexcept { m_storage.bits = 0; }
    Variant(const Variant& other)
    {
        if (IsScalar(other.m_tag)) {
            m_tag = other.m_tag;
            m_storage.bits = other.m_storage.bits;
        } else {
            CopyHeavy(other);
        }
    }
    // The buffer moves with the string and stays counted; a string moved from keeps no buffer
    // (libstdc++ and libc++ leave it empty in its inline storage).
    Variant(Variant&& other) noexcept
    {
        if (IsScalar(other.m_tag)) {
            m_tag = other.m_tag;
            m_storage.bits = other.m_storage.bits;
        } else {
            MoveHeavy(std::move(other));
        }
    }
    Variant& operator=(const Variant& other)
    {
        if (IsScalar(m_tag) && IsScalar(other.m_tag)) {
            m_tag = other.m_tag;
            m_storage.bits = other.m_storage.bits;
        } else if (this != &other) {
            *this = Variant(other);
        }
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept
    {
        if (IsScalar(m_tag) && IsScalar(other.m_tag)) {
            m_tag = other.m_tag;
            m_storage.bits = other.m_storage.bits;
        } else if (this != &other) {
            MoveAssignHeavy(std::move(other));
        }
        return *this;
    }
    ~Variant()
    {
        if (!IsScalar(m_tag))
            DestroyHeavy();
    }

    static Variant Null() { return Variant(Tag::Null); }
    static Variant Nothing();
    static Variant FromBool(bool value)
    {
        Variant v(Tag::Bool);
        v.m_storage.bits = value ? 1 : 0;
        return v;
    }
    static Variant FromInteger(int16_t value)
    {
        Variant v(Tag::Integer);
        v.m_storage.bits = static_cast<uint16_t>(value);
        return v;
    }
    static Variant FromLong(int32_t value)
    {
        Variant v(Tag::Long);
        v.m_storage.bits = static_cast<uint32_t>(value);
        return v;
    }
    static Variant FromByte(uint8_t value)
    {
        Variant v(Tag::Byte);
        v.m_storage.bits = value;
        return v;
    }
    static Variant FromSingle(float value)
    {
        Variant v(Tag::Single);
        v.m_storage.bits = std::bit_cast<uint32_t>(value);
        return v;
    }
    static Variant FromDouble(double value)
    {
        Variant v(Tag::Double);
        v.m_storage.bits = std::bit_cast<uint64_t>(value);
        return v;
    }
    // `tenThousandths` is the amount times 10,000, the way the Currency subtype keeps it.
    static Variant FromCurrency(int64_t tenThousandths)
    {
        Variant v(Tag::Currency);
        v.m_storage.bits = static_cast<uint64_t>(tenThousandths);
        return v;
    }
    static Variant FromDate(double oleDate)
    {
        Variant v(Tag::Date);
        v.m_storage.bits = std::bit_cast<uint64_t>(oleDate);
        return v;
    }
    static Variant FromString(std::string value);
    static Variant FromObject(ObjectRef object);
    static Variant FromArray(ArrayRef array);

    VarType Type() const
    {
        static constexpr VarType Types[] = {VarType::Empty, VarType::Null, VarType::Boolean, VarType::Integer,
            VarType::Long, VarType::Double, VarType::Date, VarType::String, VarType::Object, VarType::Array,
            VarType::Byte, VarType::Single, VarType::Currency};
        return Types[static_cast<size_t>(m_tag)];
    }
    bool IsEmpty() const { return m_tag == Tag::Empty; }
    bool IsNull() const { return m_tag == Tag::Null; }
    bool IsString() const { return m_tag == Tag::String; }
    bool IsObject() const { return m_tag == Tag::Object; }
    bool IsArray() const { return m_tag == Tag::Array; }
    bool IsBool() const { return m_tag == Tag::Bool; }
    bool IsInteger() const { return m_tag == Tag::Integer; }
    bool IsLong() const { return m_tag == Tag::Long; }
    bool IsDouble() const { return m_tag == Tag::Double; }
    // Byte, Integer, Long, Single, Double, Currency, Date or Boolean: the subtypes arithmetic
    // takes as they are.
    bool IsNumber() const { return m_tag != Tag::Empty && m_tag != Tag::Null && IsScalar(m_tag); }

    bool AsBool() const { return Checked(Tag::Bool) != 0; }
    int16_t AsInteger() const { return static_cast<int16_t>(Checked(Tag::Integer)); }
    int32_t AsLong() const { return static_cast<int32_t>(Checked(Tag::Long)); }
    uint8_t AsByte() const { return static_cast<uint8_t>(Checked(Tag::Byte)); }
    float AsSingle() const { return std::bit_cast<float>(static_cast<uint32_t>(Checked(Tag::Single))); }
    // The amount of a Currency times 10,000.
    int64_t AsCurrency() const { return static_cast<int64_t>(Checked(Tag::Currency)); }
    // The number held by a Double or a Date.
    double AsDouble() const
    {
        if (m_tag != Tag::Double && m_tag != Tag::Date)
            ThrowWrongType();
        return std::bit_cast<double>(m_storage.bits);
    }
    const std::string& AsString() const
    {
        if (m_tag != Tag::String)
            ThrowWrongType();
        return m_storage.text;
    }
    // Appends to the string this holds (the fast path of `s = s & x`). Raises 7 when the text
    // would grow past the memory limit; the string is then as it was.
    void AppendString(std::string_view text);
    const ObjectRef& AsObject() const
    {
        if (m_tag != Tag::Object)
            ThrowWrongType();
        return m_storage.object;
    }
    const ArrayRef& AsArray() const
    {
        if (m_tag != Tag::Array)
            ThrowWrongType();
        return m_storage.array;
    }
    ArrayRef& AsArray()
    {
        if (m_tag != Tag::Array)
            ThrowWrongType();
        return m_storage.array;
    }

    // Bytes of this value counted against the memory limit: the buffer of a string that does
    // not fit in the string object. Arrays count their storage themselves.
    size_t HeldBytes() const noexcept { return m_tag == Tag::String ? StringBytes(m_storage.text) : 0; }

private:
    // The subtype held; the order is that of the tables in Type().
    enum class Tag : uint8_t {
        Empty,
        Null,
        Bool,
        Integer,
        Long,
        Double,
        Date,
        String,
        Object,
        Array,
        Byte,
        Single,
        Currency
    };
    // The subtypes kept in `Storage::bits`: copied as plain bits, nothing to free.
    static bool IsScalar(Tag tag) noexcept
    {
        return tag != Tag::String && tag != Tag::Object && tag != Tag::Array;
    }

    // Every scalar subtype is kept as the 64 bits of one word, written whole: copying a scalar
    // copies that word, and never reads back wider than was last written (which would stall
    // the processor's store forwarding on every copy).
    union Storage {
        Storage() noexcept { }
        ~Storage() { }
        uint64_t bits;
        std::string text;
        ObjectRef object;
        ArrayRef array;
    };

    explicit Variant(Tag tag) noexcept
        : m_tag(tag)
    {
        m_storage.bits = 0;
    }
    uint64_t Checked(Tag tag) const
    {
        if (m_tag != tag)
            ThrowWrongType();
        return m_storage.bits;
    }
    // Reading a subtype the value does not hold is a fault of the caller, as std::get was.
    [[noreturn]] static void ThrowWrongType();
    void CopyHeavy(const Variant& other);
    void MoveHeavy(Variant&& other) noexcept;
    void MoveAssignHeavy(Variant&& other) noexcept;
    void DestroyHeavy() noexcept;

    static void Recount(size_t before, size_t after) noexcept
    {
        if (before != after)
            RunBudget::Adjust(static_cast<int64_t>(after) - static_cast<int64_t>(before));
    }
    // The bytes of a string's buffer, none while the text fits in the string object itself.
    static size_t StringBytes(const std::string& text) noexcept
    {
        const auto* object = reinterpret_cast<const char*>(&text);
        const bool inside
            = std::greater_equal<>()(text.data(), object) && std::less<>()(text.data(), object + sizeof text);
        return inside ? 0 : text.capacity() + 1;
    }

    Tag m_tag = Tag::Empty;
    Storage m_storage;
};

} // namespace vortalux::script
