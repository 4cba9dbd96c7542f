#pragma once

#include <cstdint>
#include <memory>
#include <string>
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
    Double = 5,
    Date = 7,
    String = 8,
    Object = 9,
    Boolean = 11,
    Variant = 12,
    Array = 8192,
};

// The one value type of the language. Strings are byte strings; objects are shared (a null
// object is Nothing); arrays are values whose storage is shared until one copy is written
// (see Interpreter::MutableArray).
class Variant {
public:
    Variant() = default;

    static Variant Null();
    static Variant Nothing();
    static Variant FromBool(bool value);
    static Variant FromInteger(int16_t value);
    static Variant FromLong(int32_t value);
    static Variant FromDouble(double value);
    static Variant FromDate(double oleDate);
    static Variant FromString(std::string value);
    static Variant FromObject(ObjectRef object);
    static Variant FromArray(ArrayRef array);

    VarType Type() const;
    bool IsEmpty() const { return m_value.index() == kEmpty; }
    bool IsNull() const { return m_value.index() == kNull; }
    bool IsString() const { return m_value.index() == kString; }
    bool IsObject() const { return m_value.index() == kObject; }
    bool IsArray() const { return m_value.index() == kArray; }
    bool IsBool() const { return m_value.index() == kBool; }
    // Integer, Long, Double, Date or Boolean: the subtypes arithmetic takes as they are.
    bool IsNumber() const;

    bool AsBool() const { return std::get<kBool>(m_value); }
    int16_t AsInteger() const { return std::get<kInteger>(m_value); }
    int32_t AsLong() const { return std::get<kLong>(m_value); }
    // The number held by a Double or a Date.
    double AsDouble() const;
    const std::string& AsString() const { return std::get<kString>(m_value); }
    std::string& AsString() { return std::get<kString>(m_value); }
    const ObjectRef& AsObject() const { return std::get<kObject>(m_value); }
    const ArrayRef& AsArray() const { return std::get<kArray>(m_value); }
    ArrayRef& AsArray() { return std::get<kArray>(m_value); }

private:
    enum Index : size_t { kEmpty, kNull, kBool, kInteger, kLong, kDouble, kDate, kString, kObject, kArray };
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    struct DateTag {
        double value;
    };
    std::variant<std::monostate, NullTag, bool, int16_t, int32_t, double, DateTag, std::string, ObjectRef,
        ArrayRef>
        m_value;
};

} // namespace vortalux::script
