#include "TestObject.h"

#include "AsciiText.h"
#include "Coercion.h"
#include "ScriptArray.h"
#include "ScriptError.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vortalux::script::test {

bool SameVariant(const Variant& a, const Variant& b)
{
    if (a.Type() != b.Type())
        return false;
    switch (a.Type()) {
    case VarType::Empty:
    case VarType::Null:
        return true;
    case VarType::Boolean:
        return a.AsBool() == b.AsBool();
    case VarType::Integer:
        return a.AsInteger() == b.AsInteger();
    case VarType::Long:
        return a.AsLong() == b.AsLong();
    case VarType::Byte:
        return a.AsByte() == b.AsByte();
    case VarType::Single:
        return a.AsSingle() == b.AsSingle();
    case VarType::Currency:
        return a.AsCurrency() == b.AsCurrency();
    case VarType::Double:
    case VarType::Date:
        return a.AsDouble() == b.AsDouble();
    case VarType::String:
        return a.AsString() == b.AsString();
    case VarType::Object:
        return a.AsObject() == b.AsObject();
    case VarType::Array: {
        const ScriptArray& x = *a.AsArray();
        const ScriptArray& y = *b.AsArray();
        if (x.DimensionCount() != y.DimensionCount() || x.Size() != y.Size())
            return false;
        for (size_t d = 0; d < x.DimensionCount(); ++d) {
            if (x.UpperBound(d) != y.UpperBound(d))
                return false;
        }
        for (size_t i = 0; i < x.Size(); ++i) {
            if (!SameVariant(x.Elements()[i], y.Elements()[i]))
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

bool EqualVariant(const Variant& a, const Variant& b)
{
    const auto isNumber
        = [](const Variant& v) { return v.IsNumber() && !v.IsBool() && v.Type() != VarType::Date; };
    if (isNumber(a) && isNumber(b))
        return ToDouble(a) == ToDouble(b);
    return SameVariant(a, b);
}

std::string Describe(const Variant& value)
{
    switch (value.Type()) {
    case VarType::Empty:
        return "Empty";
    case VarType::Null:
        return "Null";
    case VarType::Object:
        return value.AsObject() ? "Object" : "Nothing";
    case VarType::Array: {
        std::string text = "Array(";
        const ScriptArray& array = *value.AsArray();
        for (size_t i = 0; i < array.Size(); ++i)
            text += (i == 0 ? "" : ", ") + Describe(array.Elements()[i]);
        return text + ")";
    }
    case VarType::Integer:
        return "Integer " + ToString(value);
    case VarType::Long:
        return "Long " + ToString(value);
    case VarType::Double:
        return "Double " + ToString(value);
    case VarType::Boolean:
        return "Boolean " + ToString(value);
    case VarType::Byte:
        return "Byte " + ToString(value);
    case VarType::Single:
        return "Single " + ToString(value);
    case VarType::Currency:
        return "Currency " + ToString(value);
    case VarType::Date:
        return "Date " + ToString(value);
    case VarType::String:
        return "String \"" + value.AsString() + "\"";
    default:
        return ToString(value);
    }
}

TestObject::TestObject(const ScriptHost& host)
    : m_host(host)
{
}

void TestObject::Record(bool passed, const std::string& what)
{
    ++m_checks;
    if (!passed)
        m_failures.push_back("line " + std::to_string(m_host.CurrentLine()) + ": " + what);
}

void TestObject::PrepareSandbox(ScriptHost& sandbox) const
{
    RegisterTestObjects(sandbox);
    sandbox.SetTimeLimit(std::chrono::milliseconds(m_timeLimitMs));
    sandbox.SetMaxCallDepth(m_maxDepth);
    sandbox.SetMemoryLimit(m_memoryLimit);
}

void TestObject::Remember(const ScriptHost& sandbox) { m_lastError = sandbox.Error(); }

Variant TestObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Description"))
        return Variant::FromString(m_lastError.description);
    if (EqualsNoCase(name, "Source"))
        return Variant::FromString(m_lastError.source);
    if (EqualsNoCase(name, "Line"))
        return Variant::FromLong(m_lastError.line);
    if (EqualsNoCase(name, "Column"))
        return Variant::FromLong(m_lastError.column);
    if (EqualsNoCase(name, "Number"))
        return Variant::FromLong(m_lastError.number);
    return CallMethod(name, args);
}

void TestObject::SetProperty(std::string_view name, std::vector<Variant>&, const Variant& value)
{
    if (EqualsNoCase(name, "TimeLimit"))
        m_timeLimitMs = ToLong(value);
    else if (EqualsNoCase(name, "MaxDepth"))
        m_maxDepth = ToLong(value);
    else if (EqualsNoCase(name, "MemoryLimit"))
        m_memoryLimit = static_cast<size_t>(ToLong(value));
    else
        Raise(errc::NoSuchMember);
}

Variant TestObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Check")) {
        if (args.size() != 2)
            Raise(errc::WrongArgumentCount);
        Record(!args[0].IsNull() && ToBool(args[0]), ToString(args[1]));
        return {};
    }
    if (EqualsNoCase(name, "Equal") || EqualsNoCase(name, "Same")) {
        if (args.size() != 3)
            Raise(errc::WrongArgumentCount);
        const bool strict = EqualsNoCase(name, "Same");
        Record(strict ? SameVariant(args[0], args[1]) : EqualVariant(args[0], args[1]),
            ToString(args[2]) + ": got " + Describe(args[0]) + ", expected " + Describe(args[1]));
        return {};
    }
    if (EqualsNoCase(name, "Run")) {
        if (args.size() != 1)
            Raise(errc::WrongArgumentCount);
        ScriptHost sandbox;
        PrepareSandbox(sandbox);
        const bool ran = sandbox.AddCode(ToString(args[0]));
        Remember(sandbox);
        return Variant::FromLong(ran ? 0 : m_lastError.number);
    }
    if (EqualsNoCase(name, "Call")) {
        if (args.size() < 2)
            Raise(errc::WrongArgumentCount);
        ScriptHost sandbox;
        PrepareSandbox(sandbox);
        Variant result;
        if (sandbox.AddCode(ToString(args[0]))) {
            std::vector<Variant> callArgs(args.begin() + 2, args.end());
            if (!sandbox.Run(ToString(args[1]), callArgs, &result))
                result = Variant();
        }
        Remember(sandbox);
        return result;
    }
    Raise(errc::NoSuchMember);
}

Variant RecorderObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Value") || name.empty()) {
        if (!args.empty())
            return Variant::FromString("item " + ToString(args[0]));
        return m_value;
    }
    if (EqualsNoCase(name, "Log"))
        return Variant::FromString(m_log);
    return CallMethod(name, args);
}

void RecorderObject::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    if (!EqualsNoCase(name, "Value") && !name.empty())
        Raise(errc::NoSuchMember);
    m_log += "set";
    for (const Variant& arg : args)
        m_log += " " + ToString(arg);
    m_log += ";";
    m_value = value;
}

Variant RecorderObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Add")) {
        m_log += "add";
        for (const Variant& arg : args)
            m_log += " " + (arg.IsEmpty() ? std::string("<missing>") : ToString(arg));
        m_log += ";";
        return Variant::FromLong(static_cast<int32_t>(args.size()));
    }
    if (EqualsNoCase(name, "Fail"))
        throw ScriptError(70);
    Raise(errc::NoSuchMember);
}

bool RecorderObject::Enumerate(std::vector<Variant>& items)
{
    items = {Variant::FromString("a"), Variant::FromString("b"), Variant::FromString("c")};
    return true;
}

void RegisterTestObjects(ScriptHost& host)
{
    host.RegisterObjectFactory("Test.Recorder", [] { return std::make_shared<RecorderObject>(); });
}

void RunScriptFile(ScriptHost& host, const std::string& fileName)
{
    const std::filesystem::path path = std::filesystem::path(VORTALUX_SCRIPT_TEST_DIR) / fileName;
    const std::string code = vortalux::test::ReadFileBytes(path);
    ASSERT_FALSE(code.empty()) << path;

    auto testObject = std::make_shared<TestObject>(host);
    host.AddObject("Test", testObject);
    // The limits under test are those of the hosts Test.Run makes; a run inside a run gets no
    // more time than the outer one has left, so the file itself may take long (a sanitizer
    // build runs several times slower).
    host.SetTimeLimit(std::chrono::minutes(5));
    const bool ran = host.AddCode(code);
    EXPECT_TRUE(ran) << fileName << ":" << host.Error().line << ":" << host.Error().column << ": error "
                     << host.Error().number << " " << host.Error().description;
    for (const std::string& failure : testObject->Failures())
        ADD_FAILURE() << fileName << " " << failure;
    EXPECT_GT(testObject->CheckCount(), 0) << "the script checked nothing";
}

} // namespace vortalux::script::test
