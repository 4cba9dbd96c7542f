#pragma once

#include "Ast.h"
#include "ErrObject.h"
#include "MessageBox.h"
#include "RandomSequence.h"
#include "RunBudget.h"
#include "ScriptError.h"
#include "Variant.h"

#include <array>
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
#include <unordered_set>
#include <vector>

namespace vortalux::script {

class ClassInstance;
struct InterpreterLink;

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
    // InputBox's question, its time not counted either.
    [[nodiscard]] std::optional<std::string> AskText(const TextRequest& request);
    // Rnd and Randomize: one sequence per interpreter.
    RandomSequence& Random() { return m_random; }
    // The line of the statement running now (0 outside a run).
    int CurrentLine() const { return m_currentLine; }

    // Eval, Execute, ExecuteGlobal and GetRef.
    Variant EvalText(std::string_view code);
    void ExecuteText(std::string_view code, bool global);
    ObjectRef ProcedureReferenceTo(std::string_view name);

    // Class instances and procedure references reached by host code (or by the script through
    // a default member): a member read or called (`value` null) or assigned.
    Variant MemberFromHost(
        ClassInstance& instance, std::string_view name, std::vector<Variant>& args, const Variant* value);
    Variant CallFromHost(const Procedure& procedure, std::vector<Variant>& args);
    // The instances alive, for freeing their cycles when the interpreter ends.
    void Track(ClassInstance* instance) { m_instances.insert(instance); }
    void Untrack(ClassInstance* instance) { m_instances.erase(instance); }
    // The last reference to `instance` went: its Class_Terminate runs at the next statement
    // boundary (right away when no script runs), then the instance is freed.
    void ScheduleTerminate(ClassInstance* instance);

private:
    struct Frame;
    // The variable buffers of a frame that ended, kept for the next call.
    struct FrameBuffers {
        std::vector<Variant> storage;
        std::vector<Variant*> bindings; // not "slots": Qt takes that word
    };
    static constexpr size_t MaxSpareFrames = 64;
    static constexpr size_t MaxSpareFrameSlots = 256;
    struct GlobalVariable {
        std::string name;
        Variant value;
        bool isConst = false;
    };
    enum class Flow { Normal, ExitFor, ExitDo, ExitProcedure };
    class RunScope;
    // Runs `body` as the host's call into the script: inside the run going on, or as a run of
    // its own with the limits.
    Variant FromHost(const std::function<Variant()>& body);

    // Statements.
    Flow ExecBlock(const Block& block);
    Flow Exec(const Stmt& statement);
    void ExecCall(const CallStmt& statement);
    void ExecAssign(const AssignStmt& statement);
    bool AppendInPlace(const IdentifierExpr& target, const Expr& value);
    void AssignDefaultMember(ObjectRef object, std::span<const ExprPtr> args, const AssignStmt& statement);
    void DeclareGlobals(const Module& module);
    Flow ExecIf(const IfStmt& statement);
    Flow ExecFor(const ForStmt& statement);
    Flow ExecForEach(const ForEachStmt& statement);
    Flow ExecDo(const DoStmt& statement);
    Flow ExecSelect(const SelectStmt& statement);
    Flow ExecWith(const WithStmt& statement);
    // Under On Error Resume Next a statement's header that fails goes on inside its block, as
    // Windows does: true (with Err set) when `header` failed so.
    bool HeaderFails(const std::function<void()>& header);
    Flow BodyOnce(const Block& body, Flow exit);
    void ExecReDim(const ReDimStmt& statement);
    void ExecErase(const EraseStmt& statement);

    // Expressions.
    Variant Eval(const Expr& expr);
    Variant EvalIdentifier(const IdentifierExpr& id);
    Variant EvalCall(const CallExpr& call);
    Variant EvalBinary(const BinaryExpr& binary);
    // The value of a literal, constant or variable without copying it; nullptr for any other
    // expression (or a name not yet resolved).
    const Variant* PeekValue(const Expr& expr) const;
    Variant EvalMember(const MemberExpr& member);
    ObjectRef EvalObject(const Expr* objectExpr);
    // A call's argument values, in a vector lent by the interpreter and given back cleared when
    // the call is over: calls of built-ins and host objects allocate nothing once warm.
    class ArgumentValues {
    public:
        ArgumentValues(Interpreter& owner, std::vector<Variant> values)
            : m_owner(owner)
            , m_values(std::move(values))
        {
        }
        ~ArgumentValues();
        ArgumentValues(const ArgumentValues&) = delete;
        ArgumentValues& operator=(const ArgumentValues&) = delete;
        operator std::vector<Variant>&() { return m_values; }

    private:
        Interpreter& m_owner;
        std::vector<Variant> m_values;
    };
    ArgumentValues EvalArguments(std::span<const ExprPtr> args);
    bool EvalCondition(const Expr& condition);
    Variant IndexValue(const Variant& container, std::span<const ExprPtr> args);
    // Subscripts of an element; 9 "Subscript out of range" beyond 64 of them.
    using Subscripts = std::array<int32_t, 64>;
    void EvalSubscripts(std::span<const ExprPtr> args, Subscripts& indices);
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

    // Calls. `self` is the instance a method runs on.
    Variant Invoke(
        const Procedure& procedure, std::span<const ExprPtr> args, const ObjectRef* self = nullptr);
    Variant InvokeWithValues(
        const Procedure& procedure, std::span<Variant> args, const ObjectRef* self = nullptr);
    Variant RunFrame(const Procedure& procedure, Frame& frame, const ObjectRef* self);
    Variant CallBuiltin(int index, std::span<const ExprPtr> args);

    // Classes.
    void RegisterModule(const Module& module);
    ObjectRef NewInstance(const NewExpr& expr);
    ClassInstance* OwnInstance(const ObjectRef& object) const;
    const ClassMember& FindMember(const ClassInstance& instance, std::string_view name) const;
    const ClassMember& FindMember(const ClassInstance& instance, const MemberExpr& member) const;
    // A member read or called; `inside` when named without an object within the class.
    Variant GetMember(
        const ObjectRef& object, const ClassMember& member, std::span<const ExprPtr> args, bool inside);
    void AssignMember(const ObjectRef& object, const ClassMember& member, std::vector<Variant>& args,
        Variant value, bool isSet, bool inside);
    const ClassMember& OwnMember(const IdentifierExpr& id) const;
    Variant* MemberField(const IdentifierExpr& id);
    void RunTerminates();
    void FinishAfterFailure();
    void EndInstances();
    // Compiles code for Eval and Execute; compilation errors become run-time errors.
    std::unique_ptr<Module> CompileFragment(std::string_view code, bool global, ExprPtr* expression);

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
    std::unordered_map<std::string, std::shared_ptr<const ClassDefinition>> m_classes;
    std::shared_ptr<InterpreterLink> m_link;
    std::unordered_set<ClassInstance*> m_instances;
    std::deque<ClassInstance*> m_terminating; // waiting for their Class_Terminate
    bool m_runningTerminates = false;
    std::deque<GlobalVariable> m_globals; // a deque: references stay valid as it grows
    std::unordered_map<std::string, int> m_globalIndex;
    uint64_t m_generation = 1;
    std::shared_ptr<ErrObject> m_err;

    std::vector<FrameBuffers> m_spareFrames; // room for MaxSpareFrames reserved
    std::vector<std::vector<Variant>> m_spareArguments; // room for MaxSpareFrames reserved
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
