#pragma once

#include "Interpreter.h"
#include "ScriptObject.h"
#include "Variant.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::script {

// What went wrong last, as the Script Control's Error object tells it. Line is 1-based (0
// when the failure has no place in the script, such as an unknown procedure); Column is the
// 0-based position of the offending token for compilation errors and 0 at run time.
struct ScriptErrorInfo {
    int32_t number = 0;
    std::string description;
    std::string source;
    int line = 0;
    int column = 0;
};

// A VBScript host with the Script Control's interface: Reset, AddCode, Run and Error. Host
// objects reach scripts through CreateObject (registered factories) and AddObject.
class ScriptHost {
public:
    static constexpr std::chrono::milliseconds DefaultTimeLimit {10000};
    static constexpr int DefaultMaxCallDepth = 1000;
    static constexpr size_t DefaultMemoryLimit = size_t {256} << 20;

    ScriptHost();
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    // Discards all code, global variables and added objects. Factories and limits stay.
    void Reset();
    // Compiles `code`; on success runs its global statements. Answers false and sets Error()
    // when either fails (nothing of code that does not compile is kept).
    [[nodiscard]] bool AddCode(std::string_view code);
    // Calls the Sub or Function `procedureName` (any letter case). Parameters are bound to the
    // elements of `args` by reference unless declared ByVal, so the caller sees what the
    // procedure assigned to them. A Function's value goes to `result` when given.
    [[nodiscard]] bool Run(
        std::string_view procedureName, std::vector<Variant>& args, Variant* result = nullptr);
    const ScriptErrorInfo& Error() const { return m_error; }
    void ClearError() { m_error = ScriptErrorInfo {}; }

    // Makes `object` visible to scripts as the global `name` (until Reset).
    void AddObject(std::string_view name, ObjectRef object);
    // CreateObject(progId) calls `factory`; ProgIDs match without regard to case. Unknown
    // ProgIDs fail with 429 "ActiveX component can't create object".
    void RegisterObjectFactory(std::string_view progId, ObjectFactory factory);

    // A run (global statements of AddCode, or Run) longer than this stops with error 9000
    // "Script timed out", which On Error Resume Next cannot catch; so does a host object that
    // waits past it (RunBudget::Deadline).
    void SetTimeLimit(std::chrono::milliseconds limit);
    std::chrono::milliseconds TimeLimit() const { return m_limits.time; }
    // Whether every run gets the whole time limit (the default) or the runs between two Resets
    // share it.
    void SetTimeLimitScope(TimeLimitScope scope);
    // Calls nested deeper than this fail with 28 "Out of stack space".
    void SetMaxCallDepth(int depth);
    int MaxCallDepth() const { return m_limits.maxCallDepth; }
    // Making a string or an array that would take what all script values on this thread hold
    // past this many bytes fails with 7 "Out of memory" (while a script runs).
    void SetMemoryLimit(size_t bytes);
    size_t MemoryLimit() const { return m_limits.memory; }

    // The line of the statement running now; for host objects that report where they were
    // called from.
    int CurrentLine() const { return m_interpreter->CurrentLine(); }

private:
    void SetRuntimeError(const RuntimeFailure& failure);

    ObjectFactoryMap m_factories;
    RunLimits m_limits {DefaultTimeLimit, TimeLimitScope::EachRun, DefaultMaxCallDepth, DefaultMemoryLimit};
    std::unique_ptr<Interpreter> m_interpreter;
    ScriptErrorInfo m_error;
};

} // namespace vortalux::script
