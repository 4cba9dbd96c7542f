#pragma once

#include "RunBudget.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

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
    Variant() = default;
    Variant(const Variant& other)
        : m_value(other.m_value)
    {
        // Should the charge fail, the copy is freed with the member and never counted.
        if (const size_t bytes = HeldBytes())
            RunBudget::Charge(bytes);
    }
    // The buffer moves with the string and stays counted; a string moved from keeps no buffer
    // (libstdc++ and libc++ leave it empty in its inline storage).
    Variant(Variant&& other) noexcept = default;
    Variant& operator=(const Variant& other)
    {
        if (this != &other)
            *this = Variant(other);
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept
    {
        // A moved-from string may keep a buffer (libstdc++ hands it the target's old one), so
        // both sides are counted before and after.
        const size_t before = HeldBytes() + other.HeldBytes();
        m_value = std::move(other.m_value);
        Recount(before, HeldBytes() + other.HeldBytes());
        return *this;
    }
    ~Variant()
    {
        if (const size_t bytes = HeldBytes())
            RunBudget::Release(bytes);
    }

    static Variant Null();
    static Variant Nothing();
    static Variant FromBool(bool value);
    static Variant FromInteger(int16_t value);
    static Variant FromLong(int32_t value);
    static Variant FromByte(uint8_t value);
    static Variant FromSingle(float value);
    static Variant FromDouble(double value);
    // `tenThousandths` is the amount times 10,000, the way the Currency subtype keeps it.
    static Variant FromCurrency(int64_t tenThousandths);
    static Variant FromDate(double oleDate);
    static Variant FromString(std::string value);
    static Variant FromObject(ObjectRef object);
    static Variant FromArray(ArrayRef array);

    VarType Type() const;
    bool IsEmpty() const { return m_value.index() == EmptyIndex; }
    bool IsNull() const { return m_value.index() == NullIndex; }
    bool IsString() const { return m_value.index() == StringIndex; }
    bool IsObject() const { return m_value.index() == ObjectIndex; }
    bool IsArray() const { return m_value.index() == ArrayIndex; }
    bool IsBool() const { return m_value.index() == BoolIndex; }
    // Byte, Integer, Long, Single, Double, Currency, Date or Boolean: the subtypes arithmetic
    // takes as they are.
    bool IsNumber() const;

    bool AsBool() const { return std::get<BoolIndex>(m_value); }
    int16_t AsInteger() const { return std::get<IntegerIndex>(m_value); }
    int32_t AsLong() const { return std::get<LongIndex>(m_value); }
    uint8_t AsByte() const { return std::get<ByteIndex>(m_value); }
    float AsSingle() const { return std::get<SingleIndex>(m_value); }
    // The amount of a Currency times 10,000.
    int64_t AsCurrency() const { return std::get<CurrencyIndex>(m_value).tenThousandths; }
    // The number held by a Double or a Date.
    double AsDouble() const;
    const std::string& AsString() const { return std::get<StringIndex>(m_value); }
    // Appends to the string this holds (the fast path of `s = s & x`). Raises 7 when the text
    // would grow past the memory limit; the string is then as it was.
    void AppendString(std::string_view text);
    const ObjectRef& AsObject() const { return std::get<ObjectIndex>(m_value); }
    const ArrayRef& AsArray() const { return std::get<ArrayIndex>(m_value); }
    ArrayRef& AsArray() { return std::get<ArrayIndex>(m_value); }

    // Bytes of this value counted against the memory limit: the buffer of a string that does
    // not fit in the string object. Arrays count their storage themselves.
    size_t HeldBytes() const noexcept
    {
        if (m_value.index() != StringIndex)
            return 0;
        return StringBytes(std::get<StringIndex>(m_value));
    }

private:
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

    enum Index : size_t {
        EmptyIndex,
        NullIndex,
        BoolIndex,
        IntegerIndex,
        LongIndex,
        DoubleIndex,
        DateIndex,
        StringIndex,
        ObjectIndex,
        ArrayIndex,
        ByteIndex,
        SingleIndex,
        CurrencyIndex
    };
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    struct DateTag {
        double value;
    };
    struct CurrencyTag {
        int64_t tenThousandths;
    };
    std::variant<std::monostate, NullTag, bool, int16_t, int32_t, double, DateTag, std::string, ObjectRef,
        ArrayRef, uint8_t, float, CurrencyTag>
        m_value;
};

} // namespace vortalux::script
