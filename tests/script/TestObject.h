#pragma once

#include "ScriptHost.h"
#include "ScriptObject.h"

#include <string>
#include <vector>

namespace vortalux::script::test {

// The `Test` object the .vbs test files talk to:
//   Test.Check condition, "what"           a failed check is recorded with its line
//   Test.Equal actual, expected, "what"    same value (Integer, Long and Double compare by value)
//   Test.Same actual, expected, "what"     same subtype and same value
//   n = Test.Run(code)                     runs code in a fresh host; the error number, 0 if none
//   Test.Description / Line / Column / Source    of that error
//   Test.TimeLimit = ms, Test.MaxDepth = n,       limits for later Run calls
//   Test.MemoryLimit = bytes
//   x = Test.Call(code, "Proc", args...)   AddCode then Run "Proc"; its result (error as for Run)
class TestObject final : public ScriptObject {
public:
    explicit TestObject(const ScriptHost& host);

    std::string TypeName() const override { return "TestObject"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

    const std::vector<std::string>& Failures() const { return m_failures; }
    int CheckCount() const { return m_checks; }

private:
    void Record(bool passed, const std::string& what);
    void PrepareSandbox(ScriptHost& sandbox) const;
    void Remember(const ScriptHost& sandbox);

    const ScriptHost& m_host;
    std::vector<std::string> m_failures;
    int m_checks = 0;
    ScriptErrorInfo m_lastError;
    long m_timeLimitMs = 2000;
    int m_maxDepth = ScriptHost::DefaultMaxCallDepth;
    size_t m_memoryLimit = ScriptHost::DefaultMemoryLimit;
};

// A zero-argument host object whose members record calls, for CreateObject and With tests.
class RecorderObject final : public ScriptObject {
public:
    std::string TypeName() const override { return "Recorder"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;
    bool Enumerate(std::vector<Variant>& items) override;

private:
    Variant m_value;
    std::string m_log;
};

// Registers the test ProgIDs ("Test.Recorder") on a host.
void RegisterTestObjects(ScriptHost& host);

// Runs the test script `fileName` of tests/script/vbs on `host` with a `Test` object beside the
// objects the caller added; a script error, a failed check or a script that checked nothing fails
// the current test.
void RunScriptFile(ScriptHost& host, const std::string& fileName);

// Same subtype and same value (arrays element by element, objects by identity).
bool SameVariant(const Variant& a, const Variant& b);
// As SameVariant, but Integer, Long and Double compare by value.
bool EqualVariant(const Variant& a, const Variant& b);
// How a value reads in a failure message: its TypeName and its text.
std::string Describe(const Variant& value);

} // namespace vortalux::script::test
