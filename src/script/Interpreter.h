#pragma once

#include "Ast.h"
#include "ErrObject.h"
#include "MessageBox.h"
#include "RandomSequence.h"
#include "RunBudget.h"
#include "ScriptError.h"
#include "Variant.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace vortalux::script {

using ObjectFactory = std::function<ObjectRef()>;
// Keyed by the lower-case ProgID.
using ObjectFactoryMap = std::unordered_map<std::string, ObjectFactory>;

// How long the time limit lasts.
enum class TimeLimitScope {
    // Every run (the global statements of AddCode, a Run) gets the whole limit.
    EachRun,
    // The runs between two Resets share it: a hand-off's global statements and its procedure
    // together.
    UntilReset,
};

// The limits of the runs of one interpreter.
struct RunLimits {
    std::chrono::milliseconds time {10000};
    TimeLimitScope timeScope = TimeLimitScope::EachRun;
    int maxCallDepth = 1000;
    // Bytes of strings and arrays all values together may hold (RunBudget).
    size_t memory = size_t {256} << 20;
};

// Where a run-time error happened.
struct RuntimeFailure {
    int32_t number = 0;
    std::string description;
    std::string source;
    int line = 0;
};

// Runs compiled modules: the global variables, the procedures of every module added, the
// frames of the procedures running, the `Err` object and the limits. One per host; Reset
// makes a new one.
class Interpreter {
public:
    Interpreter(const ObjectFactoryMap& factories, const RunLimits& limits);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    bool IsRunning() const { return m_running; }
    Interpreter& operator=(const Interpreter&) = delete;

    // Registers the module's procedures and globals, then runs its global statements.
    // Answers false with `failure` filled when they raise an error.
    bool Load(std::unique_ptr<Module> module, RuntimeFailure& failure);
    // Calls a procedure by name; `args` are bound by reference. Answers false with `failure`
    // filled on error (35 with line 0 for an unknown name).
    bool Run(std::string_view name, std::vector<Variant>& args, Variant& result, RuntimeFailure& failure);
    // A read-only global naming a host object (the script sees it under `name`).
    void AddObject(std::string_view name, ObjectRef object);
    // New limits; the time left under TimeLimitScope::UntilReset starts over.
    void SetLimits(const RunLimits& limits)
    {
        m_limits = limits;
        m_timeLeft = limits.time;
    }
    // True when a procedure of that name exists.
    bool HasProcedure(std::string_view name) const;

    // Services for the built-in functions.
    ObjectRef CreateObject(std::string_view progId);
    MessageAnswer ShowMessageBox(const MessageRequest& request);
    // Rnd and Randomize: one sequence per interpreter.
    RandomSequence& Random() { return m_random; }
    // The line of the statement running now (0 outside a run).
    int CurrentLine() const { return m_currentLine; }

private:
    struct Frame;
    struct GlobalVariable {
        std::string name;
        Variant value;
        bool isConst = false;
    };
    enum class Flow { Normal, ExitFor, ExitDo, ExitProcedure };
    class RunScope;

    // Statements.
    Flow ExecBlock(const Block& block);
    Flow Exec(const Stmt& statement);
    void ExecCall(const CallStmt& statement);
    void ExecAssign(const AssignStmt& statement);
    bool AppendInPlace(const IdentifierExpr& target, const Expr& value);
    void DeclareGlobals(const Module& module);
    Flow ExecIf(const IfStmt& statement);
    Flow ExecFor(const ForStmt& statement);
    Flow ExecForEach(const ForEachStmt& statement);
    Flow ExecDo(const DoStmt& statement);
    Flow ExecSelect(const SelectStmt& statement);
    Flow ExecWith(const WithStmt& statement);
    void ExecReDim(const ReDimStmt& statement);
    void ExecErase(const EraseStmt& statement);

    // Expressions.
    Variant Eval(const Expr& expr);
    Variant EvalIdentifier(const IdentifierExpr& id);
    Variant EvalCall(const CallExpr& call);
    Variant EvalBinary(const BinaryExpr& binary);
    Variant EvalMember(const MemberExpr& member);
    ObjectRef EvalObject(const Expr* objectExpr);
    std::vector<Variant> EvalArguments(std::span<const ExprPtr> args);
    bool EvalCondition(const Expr& condition);
    Variant IndexValue(const Variant& container, std::span<const ExprPtr> args);
    Variant& Element(Variant& arrayVariable, std::span<const ExprPtr> args);

    // Names.
    // Settles what a free name means now (cached in the node until the names change).
    void Resolve(const IdentifierExpr& id);
    // The variable `id` names; creates an implicit one where the language allows it.
    // Nullptr when the name is not a variable (a procedure, a built-in, a constant).
    Variant* Variable(const IdentifierExpr& id, bool declare = false);
    Variant& AssignableVariable(const IdentifierExpr& id, bool declare = false);
    // As Variable, but never creates one.
    Variant* ExistingVariable(const IdentifierExpr& id);
    bool IsExplicit() const;
    int AddGlobal(const std::string& key, GlobalVariable variable);

    // Calls.
    Variant Invoke(const Procedure& procedure, std::span<const ExprPtr> args);
    Variant InvokeWithValues(const Procedure& procedure, std::vector<Variant>& args);
    Variant RunFrame(const Procedure& procedure, Frame& frame);
    Variant CallBuiltin(int index, std::span<const ExprPtr> args);

    // Values.
    static void AssignTo(Variant& target, Variant value, bool isSet);
    static Variant SetValue(Variant value);
    static Variant LetValue(Variant value);
    static ScriptArray& MutableArray(Variant& arrayVariable);

    // Limits.
    void CountStep();
    void CheckClock();
    void CheckNativeStack() const;
    void FailAt(const ScriptError& error, RuntimeFailure& failure) const;

    const ObjectFactoryMap& m_factories;
    RunLimits m_limits;
    // What the runs until the next Reset may still use, under TimeLimitScope::UntilReset.
    std::chrono::steady_clock::duration m_timeLeft;

    std::vector<std::unique_ptr<Module>> m_modules;
    std::unordered_map<std::string, const Procedure*> m_procedures;
    std::deque<GlobalVariable> m_globals; // a deque: references stay valid as it grows
    std::unordered_map<std::string, int> m_globalIndex;
    uint64_t m_generation = 1;
    std::shared_ptr<ErrObject> m_err;

    Frame* m_frame = nullptr;
    int m_callDepth = 0;
    int m_currentLine = 0;
    uint32_t m_steps = 0;
    // The deadline and memory limit of the run going on, published for host objects.
    std::optional<RunBudget::Scope> m_budget;
    const char* m_stackLimit = nullptr;
    bool m_running = false;
    RandomSequence m_random;
};

} // namespace vortalux::script
