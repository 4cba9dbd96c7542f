#include "Interpreter.h"

#include "NativeStack.h"

#include "AsciiText.h"
#include "Builtins.h"
#include "ClassInstance.h"
#include "Coercion.h"
#include "CompileError.h"
#include "Lexer.h"
#include "Operators.h"
#include "Parser.h"
#include "ProcedureReference.h"
#include "ScriptArray.h"
#include "ScriptObject.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <new>
#include <optional>
#include <typeinfo>

namespace vortalux::script {

struct Interpreter::Frame {
    Frame() = default;
    // A procedure's frame: `slotCount` variables, each slot its own until a ByRef argument
    // binds it to the caller's variable. The buffers come from the interpreter's spares.
    Frame(Interpreter& owner, size_t slotCount);
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    Interpreter* owner = nullptr;
    const Procedure* procedure = nullptr;
    const Module* module = nullptr;
    std::vector<Variant> storage;
    // Slot i is storage[i], or the caller's variable for a ByRef parameter.
    std::vector<Variant*> slots;
    std::vector<ObjectRef> withObjects;
    bool resumeNext = false;
    ObjectRef self; // the instance a method runs on
    ClassInstance* instance = nullptr;
};

Interpreter::Frame::Frame(Interpreter& interpreter, size_t slotCount)
    : owner(&interpreter)
{
    if (!interpreter.m_spareFrames.empty()) {
        FrameBuffers& spare = interpreter.m_spareFrames.back();
        storage = std::move(spare.storage);
        slots = std::move(spare.bindings);
        interpreter.m_spareFrames.pop_back();
    }
    storage.resize(slotCount);
    slots.resize(slotCount);
    for (size_t i = 0; i < slotCount; ++i)
        slots[i] = &storage[i];
}

Interpreter::Frame::~Frame()
{
    if (owner == nullptr)
        return;
    storage.clear();
    // The spares' room is reserved up front, so keeping one allocates nothing here.
    if (storage.capacity() <= MaxSpareFrameSlots && owner->m_spareFrames.size() < MaxSpareFrames)
        owner->m_spareFrames.push_back(FrameBuffers {std::move(storage), std::move(slots)});
}

namespace {

bool IsSmallWhole(const Variant& v) { return v.IsLong() || v.IsInteger(); }

// An Integer or Long in the narrowest of those (from Long up when `isLong`), else a Double: the
// subtype rules of whole-number arithmetic.
Variant WholeResult(int64_t value, bool isLong)
{
    if (!isLong && value >= -32768 && value <= 32767)
        return Variant::FromInteger(static_cast<int16_t>(value));
    if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max())
        return Variant::FromLong(static_cast<int32_t>(value));
    return Variant::FromDouble(static_cast<double>(value));
}

// Integer and Long operands, most of a script's arithmetic and comparisons, worked out without
// the general conversions; the results and subtypes are those of the operators. False when
// the operator is not one of these or the case is an error, which the general path raises.
bool WholeOperation(BinaryOp op, const Variant& a, const Variant& b, Variant& result)
{
    const bool isLong = a.IsLong() || b.IsLong();
    const int64_t p = a.IsLong() ? a.AsLong() : a.AsInteger();
    const int64_t q = b.IsLong() ? b.AsLong() : b.AsInteger();
    // Both fit in 32 bits, so none of these overflows 64 bits.
    switch (op) {
    case BinaryOp::Add:
        result = WholeResult(p + q, isLong);
        return true;
    case BinaryOp::Subtract:
        result = WholeResult(p - q, isLong);
        return true;
    case BinaryOp::Multiply:
        result = WholeResult(p * q, isLong);
        return true;
    // Divided in 32 bits, several times quicker than in 64; -1 apart, where the quotient of
    // the smallest Long would not fit.
    case BinaryOp::Modulo:
        if (q == 0)
            return false;
        result = WholeResult(q == -1 ? 0 : static_cast<int32_t>(p) % static_cast<int32_t>(q), isLong);
        return true;
    case BinaryOp::IntegerDivide:
        if (q == 0 || (q == -1 && p == std::numeric_limits<int32_t>::min()))
            return false;
        result = WholeResult(q == -1 ? -p : static_cast<int32_t>(p) / static_cast<int32_t>(q), isLong);
        return true;
    case BinaryOp::Equal:
        result = Variant::FromBool(p == q);
        return true;
    case BinaryOp::NotEqual:
        result = Variant::FromBool(p != q);
        return true;
    case BinaryOp::Less:
        result = Variant::FromBool(p < q);
        return true;
    case BinaryOp::Greater:
        result = Variant::FromBool(p > q);
        return true;
    case BinaryOp::LessEqual:
        result = Variant::FromBool(p <= q);
        return true;
    case BinaryOp::GreaterEqual:
        result = Variant::FromBool(p >= q);
        return true;
    default:
        return false;
    }
}

bool IsLiteral(const Expr& expr)
{
    if (expr.kind == ExprKind::Literal)
        return true;
    if (expr.kind == ExprKind::Unary) {
        const auto& unary = static_cast<const UnaryExpr&>(expr);
        return unary.op != UnaryOp::Not && unary.operand->kind == ExprKind::Literal;
    }
    if (expr.kind == ExprKind::Identifier)
        return static_cast<const IdentifierExpr&>(expr).binding == BindingKind::Constant;
    return false;
}

// A failure that is not the script's own: a host object or the allocator gave up.
ScriptError Translate(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr)
        return ScriptError(errc::OutOfMemory);
    return ScriptError(440, error.what());
}

bool SameVariable(const IdentifierExpr& a, const IdentifierExpr& b)
{
    if (a.binding != b.binding)
        return false;
    if (a.binding == BindingKind::Local || a.binding == BindingKind::Member)
        return a.slot == b.slot;
    return a.binding == BindingKind::Free && a.key == b.key;
}

CompareOp CompareOpOf(BinaryOp op)
{
    switch (op) {
    case BinaryOp::Equal:
        return CompareOp::Equal;
    case BinaryOp::NotEqual:
        return CompareOp::NotEqual;
    case BinaryOp::Less:
        return CompareOp::Less;
    case BinaryOp::Greater:
        return CompareOp::Greater;
    case BinaryOp::LessEqual:
        return CompareOp::LessEqual;
    default:
        return CompareOp::GreaterEqual;
    }
}

} // namespace

// Marks the interpreter busy for one host call: the deadline and the memory limit published for
// the run, the native stack limit, and the frame and line to restore afterwards.
class Interpreter::RunScope {
public:
    explicit RunScope(Interpreter& interpreter)
        : m_interpreter(interpreter)
    {
        const auto time = m_interpreter.m_limits.timeScope == TimeLimitScope::UntilReset
            ? m_interpreter.m_timeLeft
            : std::chrono::steady_clock::duration(m_interpreter.m_limits.time);
        m_interpreter.m_budget.emplace(
            std::chrono::steady_clock::now() + time, m_interpreter.m_limits.memory);
        m_interpreter.m_running = true;
        m_interpreter.m_stackLimit = NativeStack::Limit();
        m_interpreter.m_callDepth = 0;
        m_interpreter.m_steps = 0;
        m_interpreter.m_currentLine = 0;
    }
    ~RunScope()
    {
        if (m_interpreter.m_limits.timeScope == TimeLimitScope::UntilReset) {
            const auto left = RunBudget::Deadline() - std::chrono::steady_clock::now();
            m_interpreter.m_timeLeft = std::max(left, std::chrono::steady_clock::duration::zero());
        }
        m_interpreter.m_budget.reset();
        m_interpreter.m_running = false;
        m_interpreter.m_frame = nullptr;
        m_interpreter.m_callDepth = 0;
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    Interpreter& m_interpreter;
};

Interpreter::Interpreter(const ObjectFactoryMap& factories, const RunLimits& limits)
    : m_factories(factories)
    , m_limits(limits)
    , m_timeLeft(limits.time)
    , m_link(std::make_shared<InterpreterLink>(InterpreterLink {this}))
    , m_err(std::make_shared<ErrObject>())
{
    m_spareFrames.reserve(MaxSpareFrames);
    m_spareArguments.reserve(MaxSpareFrames);
    AddGlobal("err", GlobalVariable {"Err", Variant::FromObject(m_err), true});
}

Interpreter::~Interpreter() { EndInstances(); }

int Interpreter::AddGlobal(const std::string& key, GlobalVariable variable)
{
    const auto index = static_cast<int>(m_globals.size());
    m_globals.push_back(std::move(variable));
    m_globalIndex.emplace(key, index);
    ++m_generation;
    return index;
}

void Interpreter::AddObject(std::string_view name, ObjectRef object)
{
    const std::string key = AsciiLowerCopy(name);
    if (const auto it = m_globalIndex.find(key); it != m_globalIndex.end()) {
        // The old value goes only once the new one is in place: it may be an instance whose
        // Class_Terminate runs right away and reads the variable.
        Variant& value = m_globals[static_cast<size_t>(it->second)].value;
        const Variant old = std::move(value);
        value = Variant::FromObject(std::move(object));
        return;
    }
    AddGlobal(key, GlobalVariable {std::string(name), Variant::FromObject(std::move(object)), true});
}

bool Interpreter::HasProcedure(std::string_view name) const
{
    return m_procedures.count(AsciiLowerCopy(name)) != 0;
}

void Interpreter::FailAt(const ScriptError& error, RuntimeFailure& failure) const
{
    failure.number = error.Number();
    failure.description = error.Description();
    failure.source = error.Source();
    failure.line = m_currentLine;
}

bool Interpreter::Load(std::unique_ptr<Module> module, RuntimeFailure& failure)
{
    if (m_running) {
        FailAt(ScriptError(17), failure);
        return false;
    }
    Module& loaded = *module;
    m_modules.push_back(std::move(module));
    RegisterModule(loaded);

    RunScope scope(*this);
    Frame frame;
    frame.module = &loaded;
    m_frame = &frame;
    try {
        CheckClock();
        DeclareGlobals(loaded);
        ExecBlock(loaded.body);
        return true;
    } catch (const ScriptError& error) {
        FailAt(error, failure);
    } catch (const std::exception& error) {
        FailAt(Translate(error), failure);
    }
    FinishAfterFailure();
    return false;
}

void Interpreter::DeclareGlobals(const Module& module)
{
    for (const GlobalDeclaration& declaration : module.globals) {
        m_currentLine = declaration.line;
        Variant initial = declaration.constant;
        if (declaration.isArray) {
            auto array = std::make_shared<ScriptArray>(declaration.upperBounds);
            array->SetFixed(!declaration.upperBounds.empty());
            initial = Variant::FromArray(std::move(array));
        }
        if (const auto it = m_globalIndex.find(declaration.key); it != m_globalIndex.end()) {
            // Declared again by a later AddCode: the variable keeps its value. Constants, Err
            // and the host's named objects cannot be declared over.
            GlobalVariable& existing = m_globals[static_cast<size_t>(it->second)];
            if (existing.isConst)
                Raise(errc::NameRedefined);
            if (!declaration.isConst && !declaration.isArray)
                continue;
            existing = GlobalVariable {declaration.name, std::move(initial), declaration.isConst};
            continue;
        }
        AddGlobal(
            declaration.key, GlobalVariable {declaration.name, std::move(initial), declaration.isConst});
    }
    m_currentLine = 0;
}

bool Interpreter::Run(
    std::string_view name, std::vector<Variant>& args, Variant& result, RuntimeFailure& failure)
{
    if (m_running) {
        FailAt(ScriptError(17), failure);
        return false;
    }
    const auto it = m_procedures.find(AsciiLowerCopy(name));
    if (it == m_procedures.end()) {
        failure = RuntimeFailure {errc::SubNotDefined,
            std::string(StandardErrorDescription(errc::SubNotDefined)), std::string(RuntimeErrorSource), 0};
        return false;
    }
    RunScope scope(*this);
    try {
        CheckClock();
        result = InvokeWithValues(*it->second, args);
        RunTerminates();
        return true;
    } catch (const ScriptError& error) {
        FailAt(error, failure);
    } catch (const std::exception& error) {
        FailAt(Translate(error), failure);
    }
    FinishAfterFailure();
    return false;
}

void Interpreter::FinishAfterFailure()
{
    // The frames the error left released their instances: their Class_Terminate runs still.
    try {
        RunTerminates();
    } catch (const std::exception&) {
        // The failure already reported is the run's answer.
    }
}

// ---- Limits ----

void Interpreter::CountStep()
{
    if ((++m_steps & 0x3FF) == 0)
        CheckClock();
}

void Interpreter::CheckClock()
{
    if (std::chrono::steady_clock::now() > RunBudget::Deadline())
        RunBudget::RaiseTimedOut();
}

void Interpreter::CheckNativeStack() const
{
    if (NativeStack::Below(m_stackLimit))
        Raise(errc::OutOfStackSpace);
}

// ---- Services ----

ObjectRef Interpreter::CreateObject(std::string_view progId)
{
    const auto it = m_factories.find(AsciiLowerCopy(progId));
    if (it == m_factories.end() || !it->second)
        Raise(errc::CannotCreateObject);
    ObjectRef object = it->second();
    if (!object)
        Raise(errc::CannotCreateObject);
    return object;
}

MessageAnswer Interpreter::ShowMessageBox(const MessageRequest& request)
{
    // Time the user spends reading a box is not the script's running time.
    const auto shownAt = std::chrono::steady_clock::now();
    const MessageAnswer answer = ShowMessage(request);
    if (m_budget)
        m_budget->Postpone(std::chrono::steady_clock::now() - shownAt);
    return answer;
}

std::optional<std::string> Interpreter::AskText(const TextRequest& request)
{
    const auto shownAt = std::chrono::steady_clock::now();
    std::optional<std::string> answer = vortalux::AskText(request);
    if (m_budget)
        m_budget->Postpone(std::chrono::steady_clock::now() - shownAt);
    return answer;
}

// ---- Names ----

bool Interpreter::IsExplicit() const { return m_frame->module != nullptr && m_frame->module->optionExplicit; }

void Interpreter::Resolve(const IdentifierExpr& id)
{
    if (id.cacheGeneration == m_generation)
        return;
    id.cacheGeneration = m_generation;
    id.cacheProcedure = nullptr;
    id.cacheIndex = -1;
    if (const auto global = m_globalIndex.find(id.key); global != m_globalIndex.end()) {
        id.cacheKind = FreeKind::Global;
        id.cacheIndex = global->second;
    } else if (const auto procedure = m_procedures.find(id.key); procedure != m_procedures.end()) {
        id.cacheKind = FreeKind::Procedure;
        id.cacheProcedure = procedure->second;
    } else if (const int builtin = FindBuiltin(id.key); builtin >= 0) {
        id.cacheKind = FreeKind::Builtin;
        id.cacheIndex = builtin;
    } else if (const Variant* constant = FindBuiltinConstant(id.key); constant != nullptr) {
        id.cacheKind = FreeKind::BuiltinConstant;
        id.cacheConstant = constant;
    } else if (id.slot >= 0) {
        id.cacheKind = FreeKind::ImplicitLocal;
    } else {
        id.cacheKind = FreeKind::Unresolved;
    }
}

Variant* Interpreter::Variable(const IdentifierExpr& id, bool declare)
{
    switch (id.binding) {
    case BindingKind::Local:
        return m_frame->slots[static_cast<size_t>(id.slot)];
    case BindingKind::Constant:
        return nullptr;
    case BindingKind::Member:
        return MemberField(id);
    case BindingKind::Free:
        break;
    }
    Resolve(id);
    switch (id.cacheKind) {
    case FreeKind::Global: {
        GlobalVariable& global = m_globals[static_cast<size_t>(id.cacheIndex)];
        return global.isConst ? nullptr : &global.value;
    }
    case FreeKind::ImplicitLocal:
        if (IsExplicit() && !declare)
            Raise(errc::VariableUndefined);
        return m_frame->slots[static_cast<size_t>(id.slot)];
    case FreeKind::Unresolved: {
        if (IsExplicit() && !declare)
            Raise(errc::VariableUndefined);
        const int index = AddGlobal(id.key, GlobalVariable {id.name, Variant(), false});
        return &m_globals[static_cast<size_t>(index)].value;
    }
    default:
        return nullptr;
    }
}

Variant* Interpreter::ExistingVariable(const IdentifierExpr& id)
{
    if (id.binding == BindingKind::Free) {
        Resolve(id);
        if (id.cacheKind != FreeKind::Global && id.cacheKind != FreeKind::ImplicitLocal)
            return nullptr;
    }
    return Variable(id);
}

Variant& Interpreter::AssignableVariable(const IdentifierExpr& id, bool declare)
{
    Variant* variable = Variable(id, declare);
    if (variable == nullptr)
        Raise(errc::IllegalAssignment);
    return *variable;
}

// ---- Values ----

Variant Interpreter::SetValue(Variant value)
{
    if (!value.IsObject())
        Raise(errc::ObjectRequired);
    return value;
}

Variant Interpreter::LetValue(Variant value)
{
    if (value.IsObject())
        return DefaultValue(value);
    if (value.IsArray() && value.AsArray()->IsFixed()) {
        // A copy of a fixed array is an ordinary dynamic array.
        auto copy = std::make_shared<ScriptArray>(*value.AsArray());
        copy->SetFixed(false);
        return Variant::FromArray(std::move(copy));
    }
    return value;
}

void Interpreter::AssignTo(Variant& target, Variant value, bool isSet)
{
    target = isSet ? SetValue(std::move(value)) : LetValue(std::move(value));
}

ScriptArray& Interpreter::MutableArray(Variant& arrayVariable)
{
    ArrayRef& array = arrayVariable.AsArray();
    if (array.use_count() > 1) {
        const bool fixed = array->IsFixed();
        array = std::make_shared<ScriptArray>(*array);
        array->SetFixed(fixed);
    }
    return *array;
}

// ---- Statements ----

Interpreter::Flow Interpreter::ExecBlock(const Block& block)
{
    CheckNativeStack();
    for (const StmtPtr& statement : block) {
        m_currentLine = statement->line;
        CountStep();
        Flow flow = Flow::Normal;
        if (!m_frame->resumeNext) {
            flow = Exec(*statement);
        } else {
            try {
                flow = Exec(*statement);
            } catch (const ScriptError& error) {
                if (error.IsFatal() || !m_frame->resumeNext)
                    throw;
                m_err->Set(error);
                continue;
            } catch (const std::exception& error) {
                m_err->Set(Translate(error));
                continue;
            }
        }
        if (!m_terminating.empty())
            RunTerminates();
        if (flow != Flow::Normal)
            return flow;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::Exec(const Stmt& statement)
{
    switch (statement.kind) {
    case StmtKind::Call:
        ExecCall(static_cast<const CallStmt&>(statement));
        return Flow::Normal;
    case StmtKind::Assign:
        ExecAssign(static_cast<const AssignStmt&>(statement));
        return Flow::Normal;
    case StmtKind::ReDim:
        ExecReDim(static_cast<const ReDimStmt&>(statement));
        return Flow::Normal;
    case StmtKind::Erase:
        ExecErase(static_cast<const EraseStmt&>(statement));
        return Flow::Normal;
    case StmtKind::If:
        return ExecIf(static_cast<const IfStmt&>(statement));
    case StmtKind::For:
        return ExecFor(static_cast<const ForStmt&>(statement));
    case StmtKind::ForEach:
        return ExecForEach(static_cast<const ForEachStmt&>(statement));
    case StmtKind::Do:
        return ExecDo(static_cast<const DoStmt&>(statement));
    case StmtKind::Select:
        return ExecSelect(static_cast<const SelectStmt&>(statement));
    case StmtKind::With:
        return ExecWith(static_cast<const WithStmt&>(statement));
    case StmtKind::Exit:
        switch (static_cast<const ExitStmt&>(statement).exitKind) {
        case ExitKind::For:
            return Flow::ExitFor;
        case ExitKind::Do:
            return Flow::ExitDo;
        default:
            return Flow::ExitProcedure;
        }
    case StmtKind::OnError:
        m_frame->resumeNext = static_cast<const OnErrorStmt&>(statement).resumeNext;
        m_err->Clear();
        return Flow::Normal;
    }
    return Flow::Normal;
}

namespace {

// Windows refuses the conversion functions to `Call`: `Call CInt(1)` is 458.
bool IsConversionFunction(std::string_view key)
{
    static constexpr std::string_view Conversions[]
        = {"cbool", "cbyte", "ccur", "cdate", "cdbl", "cint", "clng", "csng", "cstr"};
    return std::find(std::begin(Conversions), std::end(Conversions), key) != std::end(Conversions);
}

} // namespace

void Interpreter::ExecCall(const CallStmt& statement)
{
    if (statement.callee->kind == ExprKind::Member) {
        const auto& member = static_cast<const MemberExpr&>(*statement.callee);
        ObjectRef object = EvalObject(member.object.get());
        if (const ClassInstance* instance = OwnInstance(object)) {
            GetMember(object, FindMember(*instance, member), statement.args, false);
            return;
        }
        ArgumentValues args = EvalArguments(statement.args);
        object->CallMethod(member.name, args);
        return;
    }
    const auto& id = static_cast<const IdentifierExpr&>(*statement.callee);
    if (id.binding == BindingKind::Member && MemberField(id) == nullptr) {
        GetMember(m_frame->self, OwnMember(id), statement.args, true);
        return;
    }
    if (id.binding == BindingKind::Free) {
        Resolve(id);
        switch (id.cacheKind) {
        case FreeKind::Procedure:
            Invoke(*id.cacheProcedure, statement.args);
            return;
        case FreeKind::Builtin:
            if (statement.withCallKeyword && IsConversionFunction(BuiltinAt(id.cacheIndex).name))
                Raise(errc::UnsupportedAutomationType);
            CallBuiltin(id.cacheIndex, statement.args);
            return;
        case FreeKind::Unresolved:
        case FreeKind::ImplicitLocal:
            Raise(IsExplicit() ? errc::VariableUndefined : errc::TypeMismatch);
        default:
            break;
        }
    }
    // A variable called as a statement: only an object's default method can answer.
    const Variant* variable = Variable(id);
    if (variable != nullptr && variable->IsObject()) {
        if (!variable->AsObject())
            Raise(errc::ObjectNotSet);
        ObjectRef object = variable->AsObject();
        ArgumentValues args = EvalArguments(statement.args);
        object->CallMethod("", args);
        return;
    }
    Raise(errc::TypeMismatch);
}

void Interpreter::ExecAssign(const AssignStmt& statement)
{
    const Expr& target = *statement.target;
    switch (target.kind) {
    case ExprKind::Identifier: {
        const auto& id = static_cast<const IdentifierExpr&>(target);
        if (id.binding == BindingKind::Member && MemberField(id) == nullptr) {
            Variant value = Eval(*statement.value);
            std::vector<Variant> noArgs;
            AssignMember(m_frame->self, OwnMember(id), noArgs, std::move(value), statement.isSet, true);
            return;
        }
        if (!statement.isSet && AppendInPlace(id, *statement.value))
            return;
        Variant value = Eval(*statement.value);
        AssignTo(AssignableVariable(id), std::move(value), statement.isSet);
        return;
    }
    case ExprKind::Member: {
        const auto& member = static_cast<const MemberExpr&>(target);
        ObjectRef object = EvalObject(member.object.get());
        Variant value = Eval(*statement.value);
        std::vector<Variant> noArgs;
        if (const ClassInstance* instance = OwnInstance(object)) {
            AssignMember(
                object, FindMember(*instance, member), noArgs, std::move(value), statement.isSet, false);
            return;
        }
        object->SetProperty(member.name, noArgs, statement.isSet ? SetValue(std::move(value)) : value);
        return;
    }
    case ExprKind::Call: {
        const auto& call = static_cast<const CallExpr&>(target);
        if (call.target->kind == ExprKind::Member) {
            const auto& member = static_cast<const MemberExpr&>(*call.target);
            ObjectRef object = EvalObject(member.object.get());
            ArgumentValues args = EvalArguments(call.args);
            Variant value = Eval(*statement.value);
            if (const ClassInstance* instance = OwnInstance(object)) {
                AssignMember(
                    object, FindMember(*instance, member), args, std::move(value), statement.isSet, false);
                return;
            }
            object->SetProperty(member.name, args, statement.isSet ? SetValue(std::move(value)) : value);
            return;
        }
        if (call.target->kind == ExprKind::Identifier) {
            const auto& id = static_cast<const IdentifierExpr&>(*call.target);
            if (id.binding == BindingKind::Member && MemberField(id) == nullptr) {
                ArgumentValues args = EvalArguments(call.args);
                Variant value = Eval(*statement.value);
                AssignMember(m_frame->self, OwnMember(id), args, std::move(value), statement.isSet, true);
                return;
            }
            Variant& variable = AssignableVariable(id);
            if (variable.IsObject()) {
                if (!variable.AsObject())
                    Raise(errc::ObjectNotSet);
                AssignDefaultMember(variable.AsObject(), call.args, statement);
                return;
            }
            if (!variable.IsArray())
                Raise(errc::TypeMismatch);
            // Evaluate the value first: it may resize the array.
            Variant value = Eval(*statement.value);
            value = statement.isSet ? SetValue(std::move(value)) : LetValue(std::move(value));
            Element(AssignableVariable(id), call.args) = std::move(value);
            return;
        }
        // `F(a)(b) = v`: the object the call gives takes the value through its default member.
        if (call.target->kind == ExprKind::Call) {
            const Variant object = Eval(*call.target);
            if (!object.IsObject())
                Raise(errc::IllegalAssignment);
            if (!object.AsObject())
                Raise(errc::ObjectNotSet);
            AssignDefaultMember(object.AsObject(), call.args, statement);
            return;
        }
        Raise(errc::IllegalAssignment);
    }
    default:
        Raise(errc::IllegalAssignment);
    }
}

void Interpreter::AssignDefaultMember(
    ObjectRef object, std::span<const ExprPtr> args, const AssignStmt& statement)
{
    ArgumentValues values = EvalArguments(args);
    Variant value = Eval(*statement.value);
    if (const ClassInstance* instance = OwnInstance(object)) {
        AssignMember(object, FindMember(*instance, ""), values, std::move(value), statement.isSet, false);
        return;
    }
    object->SetProperty("", values, statement.isSet ? SetValue(std::move(value)) : value);
}

bool Interpreter::AppendInPlace(const IdentifierExpr& target, const Expr& value)
{
    // s = s & a & b appends a and b to the variable's own text instead of copying it.
    const Expr* left = &value;
    const BinaryExpr* spine[16];
    size_t count = 0;
    while (left->kind == ExprKind::Binary && count < std::size(spine)) {
        const auto& binary = static_cast<const BinaryExpr&>(*left);
        if (binary.op != BinaryOp::Concat)
            return false;
        spine[count++] = &binary;
        left = binary.left.get();
    }
    if (count == 0 || left->kind != ExprKind::Identifier
        || !SameVariable(static_cast<const IdentifierExpr&>(*left), target))
        return false;
    Variant* variable = Variable(target);
    if (variable == nullptr || !variable->IsString())
        return false;
    for (size_t i = count; i-- > 0;) {
        const Variant right = Eval(*spine[i]->right);
        // The right operand may have changed the variable (a function with side effects).
        variable = &AssignableVariable(target);
        if (!variable->IsString())
            *variable = ops::Concat(LetValue(*variable), Variant::FromString(""));
        ops::AppendText(*variable, right);
    }
    return true;
}

bool Interpreter::EvalCondition(const Expr& condition)
{
    const Variant value = Eval(condition);
    if (value.IsBool())
        return value.AsBool();
    if (value.IsNull())
        return false;
    return ToBool(value);
}

Interpreter::Flow Interpreter::ExecIf(const IfStmt& statement)
{
    for (const IfStmt::Branch& branch : statement.branches) {
        bool taken = false;
        if (!m_frame->resumeNext) {
            taken = EvalCondition(*branch.condition);
        } else {
            // As VBScript does, a condition that fails under Resume Next enters its block.
            try {
                taken = EvalCondition(*branch.condition);
            } catch (const ScriptError& error) {
                if (error.IsFatal())
                    throw;
                m_err->Set(error);
                taken = true;
            }
        }
        if (taken)
            return ExecBlock(branch.body);
    }
    return ExecBlock(statement.elseBody);
}

bool Interpreter::HeaderFails(const std::function<void()>& header)
{
    if (!m_frame->resumeNext) {
        header();
        return false;
    }
    try {
        header();
        return false;
    } catch (const ScriptError& error) {
        if (error.IsFatal())
            throw;
        m_err->Set(error);
        return true;
    }
}

Interpreter::Flow Interpreter::BodyOnce(const Block& body, Flow exit)
{
    const Flow flow = ExecBlock(body);
    return flow == exit ? Flow::Normal : flow;
}

Interpreter::Flow Interpreter::ExecFor(const ForStmt& statement)
{
    Variant step;
    double end = 0;
    double increment = 0;
    Variant* counterVariable = nullptr;
    const bool failed = HeaderFails([&] {
        Variant from = Eval(*statement.from);
        const Variant to = Eval(*statement.to);
        step = statement.step ? Eval(*statement.step) : Variant::FromInteger(1);
        if (from.IsNull() || to.IsNull() || step.IsNull())
            Raise(errc::InvalidUseOfNull);
        if (!from.IsNumber())
            from = CheckedDouble(ToDouble(from));
        end = ToDouble(to);
        increment = ToDouble(step);
        counterVariable = &AssignableVariable(*statement.variable);
        *counterVariable = std::move(from);
    });
    if (failed)
        return BodyOnce(statement.body, Flow::ExitFor);
    Variant& counter = *counterVariable;
    while (true) {
        const double current = counter.IsLong() ? counter.AsLong() : ToDouble(counter);
        if (increment >= 0 ? current > end : current < end)
            return Flow::Normal;
        const Flow flow = ExecBlock(statement.body);
        if (flow == Flow::ExitFor)
            return Flow::Normal;
        if (flow != Flow::Normal)
            return flow;
        CountStep();
        m_currentLine = statement.line;
        if (IsSmallWhole(counter) && IsSmallWhole(step))
            WholeOperation(BinaryOp::Add, counter, step, counter);
        else
            counter = ops::Add(counter, step);
    }
}

Interpreter::Flow Interpreter::ExecForEach(const ForEachStmt& statement)
{
    std::vector<Variant> items;
    ArrayRef snapshot;
    std::unique_ptr<ScriptEnumerator> enumerator;
    const bool failed = HeaderFails([&] {
        const Variant collection = Eval(*statement.collection);
        if (collection.IsArray()) {
            // Iterates the array as it was: the body may change the variable that held it.
            snapshot = collection.AsArray();
        } else if (collection.IsObject() && collection.AsObject()) {
            enumerator = collection.AsObject()->Enumerator();
            if (!enumerator && !collection.AsObject()->Enumerate(items))
                Raise(errc::NotACollection);
        } else if (collection.IsObject()) {
            Raise(errc::ObjectNotSet);
        } else {
            Raise(errc::NotACollection);
        }
    });
    if (failed)
        return BodyOnce(statement.body, Flow::ExitFor);
    const size_t count = snapshot ? snapshot->Size()
        : enumerator              ? std::numeric_limits<size_t>::max()
                                  : items.size();
    for (size_t i = 0; i < count; ++i) {
        Variant next;
        if (enumerator && !enumerator->Next(next))
            break;
        Variant& variable = AssignableVariable(*statement.variable);
        if (enumerator)
            variable = std::move(next);
        else
            variable = snapshot ? snapshot->Elements()[i] : items[i];
        const Flow flow = ExecBlock(statement.body);
        if (flow == Flow::ExitFor)
            return Flow::Normal;
        if (flow != Flow::Normal)
            return flow;
        m_currentLine = statement.line;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::ExecDo(const DoStmt& statement)
{
    // Whether the loop goes on; a condition that fails under Resume Next goes on.
    const auto goesOn = [&](bool isWhile) {
        bool holds = true;
        if (HeaderFails([&] { holds = EvalCondition(*statement.condition); }))
            return true;
        return isWhile ? holds : !holds;
    };
    while (true) {
        if (statement.conditionKind == LoopCondition::WhileBefore && !goesOn(true))
            return Flow::Normal;
        if (statement.conditionKind == LoopCondition::UntilBefore && !goesOn(false))
            return Flow::Normal;
        const Flow flow = ExecBlock(statement.body);
        if (flow == Flow::ExitDo && !statement.isWhileWend)
            return Flow::Normal;
        if (flow != Flow::Normal)
            return flow;
        CountStep();
        m_currentLine = statement.line;
        if (statement.conditionKind == LoopCondition::WhileAfter && !goesOn(true))
            return Flow::Normal;
        if (statement.conditionKind == LoopCondition::UntilAfter && !goesOn(false))
            return Flow::Normal;
    }
}

Interpreter::Flow Interpreter::ExecSelect(const SelectStmt& statement)
{
    // Under Resume Next a test that fails enters the first Case, a Case value that fails its own.
    Variant test;
    if (HeaderFails([&] { test = Eval(*statement.test); }))
        return ExecBlock(statement.cases.empty() ? statement.elseBody : statement.cases.front().body);
    const bool testLiteral = IsLiteral(*statement.test);
    for (const SelectStmt::Case& branch : statement.cases) {
        for (const ExprPtr& valueExpr : branch.values) {
            Variant value;
            if (HeaderFails([&] { value = Eval(*valueExpr); }))
                return ExecBlock(branch.body);
            if (test.IsNull() || value.IsNull())
                continue;
            if (ops::CompareValues(test, testLiteral, value, IsLiteral(*valueExpr)) == 0)
                return ExecBlock(branch.body);
        }
    }
    return ExecBlock(statement.elseBody);
}

Interpreter::Flow Interpreter::ExecWith(const WithStmt& statement)
{
    // `With Nothing` is no error until a member is used.
    const Variant value = Eval(*statement.object);
    if (!value.IsObject())
        Raise(errc::ObjectRequired);
    ObjectRef object = value.AsObject();
    struct WithGuard {
        std::vector<ObjectRef>& stack;
        ~WithGuard() { stack.pop_back(); }
    };
    m_frame->withObjects.push_back(std::move(object));
    WithGuard guard {m_frame->withObjects};
    return ExecBlock(statement.body);
}

void Interpreter::ExecReDim(const ReDimStmt& statement)
{
    for (const ReDimStmt::Item& item : statement.items) {
        std::vector<int32_t> bounds;
        for (const ExprPtr& bound : item.bounds)
            bounds.push_back(ToLong(Eval(*bound)));
        Variant& variable = AssignableVariable(*item.target, true);
        if (variable.IsArray() && variable.AsArray()->IsFixed())
            Raise(errc::ArrayFixed);
        if (statement.preserve && variable.IsArray()) {
            MutableArray(variable).Redimension(bounds, true);
        } else {
            variable = Variant::FromArray(std::make_shared<ScriptArray>(bounds));
        }
    }
}

void Interpreter::ExecErase(const EraseStmt& statement)
{
    Variant& variable = AssignableVariable(*statement.target);
    if (!variable.IsArray())
        Raise(errc::TypeMismatch);
    if (variable.AsArray()->IsFixed())
        MutableArray(variable).Clear();
    else
        variable = Variant::FromArray(std::make_shared<ScriptArray>());
}

// ---- Expressions ----

Variant Interpreter::Eval(const Expr& expr)
{
    switch (expr.kind) {
    case ExprKind::Literal:
        return static_cast<const LiteralExpr&>(expr).value;
    case ExprKind::Identifier:
        return EvalIdentifier(static_cast<const IdentifierExpr&>(expr));
    case ExprKind::Member:
        return EvalMember(static_cast<const MemberExpr&>(expr));
    case ExprKind::Call:
        return EvalCall(static_cast<const CallExpr&>(expr));
    case ExprKind::Unary: {
        const auto& unary = static_cast<const UnaryExpr&>(expr);
        Variant operand = Eval(*unary.operand);
        switch (unary.op) {
        case UnaryOp::Negate:
            return ops::Negate(operand);
        case UnaryOp::Not:
            return ops::Not(operand);
        case UnaryOp::Plus:
            return operand;
        }
        return operand;
    }
    case ExprKind::Binary:
        return EvalBinary(static_cast<const BinaryExpr&>(expr));
    case ExprKind::Paren:
        return Eval(*static_cast<const ParenExpr&>(expr).inner);
    case ExprKind::New:
        return Variant::FromObject(NewInstance(static_cast<const NewExpr&>(expr)));
    case ExprKind::Me:
        if (m_frame->instance == nullptr)
            Raise(errc::ObjectRequired);
        return Variant::FromObject(m_frame->self);
    }
    return {};
}

const Variant* Interpreter::PeekValue(const Expr& expr) const
{
    if (expr.kind == ExprKind::Literal)
        return &static_cast<const LiteralExpr&>(expr).value;
    if (expr.kind != ExprKind::Identifier)
        return nullptr;
    const auto& id = static_cast<const IdentifierExpr&>(expr);
    switch (id.binding) {
    case BindingKind::Local:
        return m_frame->slots[static_cast<size_t>(id.slot)];
    case BindingKind::Constant:
        return &id.constant;
    case BindingKind::Free:
        if (id.cacheGeneration == m_generation && id.cacheKind == FreeKind::Global)
            return &m_globals[static_cast<size_t>(id.cacheIndex)].value;
        return nullptr;
    case BindingKind::Member:
        return nullptr;
    }
    return nullptr;
}

Variant Interpreter::EvalBinary(const BinaryExpr& binary)
{
    // A shallow subtree cannot go deep on its own; calls inside it check for themselves.
    if (binary.depth > 16)
        CheckNativeStack();
    // Operands that are plain variables or literals are read where they are. The left one only
    // when the right one cannot change it (a call may assign to it through ByRef); objects never,
    // since the operator calls their default member, which may assign to the variable and free
    // the object while it runs.
    Variant leftValue;
    Variant rightValue;
    const Variant* rightPeek = PeekValue(*binary.right);
    const Variant* leftPeek = rightPeek != nullptr ? PeekValue(*binary.left) : nullptr;
    if (leftPeek == nullptr || leftPeek->IsObject()) {
        leftValue = Eval(*binary.left);
        leftPeek = &leftValue;
    }
    if (rightPeek == nullptr || rightPeek->IsObject()) {
        rightValue = Eval(*binary.right);
        rightPeek = &rightValue;
    }
    const Variant& left = *leftPeek;
    const Variant& right = *rightPeek;
    if (IsSmallWhole(left) && IsSmallWhole(right)) {
        Variant result;
        if (WholeOperation(binary.op, left, right, result))
            return result;
    }
    switch (binary.op) {
    case BinaryOp::Imp:
        return ops::Imp(left, right);
    case BinaryOp::Eqv:
        return ops::Eqv(left, right);
    case BinaryOp::Xor:
        return ops::Xor(left, right);
    case BinaryOp::Or:
        return ops::Or(left, right);
    case BinaryOp::And:
        return ops::And(left, right);
    case BinaryOp::Is:
        return Variant::FromBool(ops::Is(left, right));
    case BinaryOp::Concat:
        return ops::Concat(left, right);
    case BinaryOp::Add:
        return ops::Add(left, right);
    case BinaryOp::Subtract:
        return ops::Subtract(left, right);
    case BinaryOp::Modulo:
        return ops::Modulo(left, right);
    case BinaryOp::IntegerDivide:
        return ops::IntegerDivide(left, right);
    case BinaryOp::Multiply:
        return ops::Multiply(left, right);
    case BinaryOp::Divide:
        return ops::Divide(left, right);
    case BinaryOp::Power:
        return ops::Power(left, right);
    default:
        return ops::Compare(
            CompareOpOf(binary.op), left, IsLiteral(*binary.left), right, IsLiteral(*binary.right));
    }
}

Variant Interpreter::EvalIdentifier(const IdentifierExpr& id)
{
    switch (id.binding) {
    case BindingKind::Local:
        return *m_frame->slots[static_cast<size_t>(id.slot)];
    case BindingKind::Constant:
        return id.constant;
    case BindingKind::Member:
        if (const Variant* field = MemberField(id))
            return *field;
        return GetMember(m_frame->self, OwnMember(id), {}, true);
    case BindingKind::Free:
        break;
    }
    Resolve(id);
    switch (id.cacheKind) {
    case FreeKind::Global:
        return m_globals[static_cast<size_t>(id.cacheIndex)].value;
    case FreeKind::Procedure:
        return Invoke(*id.cacheProcedure, {});
    case FreeKind::Builtin:
        return CallBuiltin(id.cacheIndex, {});
    case FreeKind::BuiltinConstant:
        return *id.cacheConstant;
    default:
        return *Variable(id);
    }
}

Variant& Interpreter::Element(Variant& arrayVariable, std::span<const ExprPtr> args)
{
    Subscripts indices;
    EvalSubscripts(args, indices);
    // The indices may have replaced the array (a function with side effects): look again.
    if (!arrayVariable.IsArray())
        Raise(errc::TypeMismatch);
    Variant* element = MutableArray(arrayVariable).At(indices.data(), args.size());
    if (element == nullptr)
        Raise(errc::SubscriptOutOfRange);
    return *element;
}

void Interpreter::EvalSubscripts(std::span<const ExprPtr> args, Subscripts& indices)
{
    if (args.size() > indices.size() || args.empty())
        Raise(errc::SubscriptOutOfRange);
    for (size_t i = 0; i < args.size(); ++i) {
        if (!args[i])
            Raise(errc::SubscriptOutOfRange);
        if (const Variant* value = PeekValue(*args[i]); value != nullptr && value->IsLong()) {
            indices[i] = value->AsLong();
            continue;
        }
        const Variant value = Eval(*args[i]);
        indices[i] = value.IsLong() ? value.AsLong() : ToLong(value);
    }
}

Variant Interpreter::IndexValue(const Variant& container, std::span<const ExprPtr> args)
{
    if (container.IsArray()) {
        // Held while the subscripts are worked out: they may replace the variable's array.
        const ArrayRef array = container.AsArray();
        Subscripts indices;
        EvalSubscripts(args, indices);
        const Variant* element = array->At(indices.data(), args.size());
        if (element == nullptr)
            Raise(errc::SubscriptOutOfRange);
        return *element;
    }
    if (container.IsObject()) {
        if (!container.AsObject())
            Raise(errc::ObjectNotSet);
        ObjectRef object = container.AsObject();
        ArgumentValues values = EvalArguments(args);
        return object->GetProperty("", values);
    }
    if (args.empty())
        return container;
    Raise(errc::TypeMismatch);
}

Variant Interpreter::EvalCall(const CallExpr& call)
{
    CheckNativeStack();
    if (call.target->kind == ExprKind::Member) {
        const auto& member = static_cast<const MemberExpr&>(*call.target);
        ObjectRef object = EvalObject(member.object.get());
        if (const ClassInstance* instance = OwnInstance(object))
            return GetMember(object, FindMember(*instance, member), call.args, false);
        ArgumentValues args = EvalArguments(call.args);
        return object->GetProperty(member.name, args);
    }
    if (call.target->kind != ExprKind::Identifier)
        return IndexValue(Eval(*call.target), call.args);

    const auto& id = static_cast<const IdentifierExpr&>(*call.target);
    if (id.binding == BindingKind::Member && MemberField(id) == nullptr)
        return GetMember(m_frame->self, OwnMember(id), call.args, true);
    if (id.binding == BindingKind::Free) {
        Resolve(id);
        switch (id.cacheKind) {
        case FreeKind::Procedure:
            return Invoke(*id.cacheProcedure, call.args);
        case FreeKind::Builtin:
            return CallBuiltin(id.cacheIndex, call.args);
        case FreeKind::Unresolved:
            Raise(IsExplicit() ? errc::VariableUndefined : errc::TypeMismatch);
        case FreeKind::ImplicitLocal:
            // An undeclared name called with arguments: no such function.
            Raise(IsExplicit() ? errc::VariableUndefined : errc::TypeMismatch);
        default:
            break;
        }
    }
    if (id.binding == BindingKind::Constant)
        return IndexValue(id.constant, call.args);
    const Variant* variable = Variable(id);
    if (variable == nullptr)
        return IndexValue(EvalIdentifier(id), call.args);
    if (variable->IsArray()) {
        // The subscripts first, then the element of the array the variable holds by then (they
        // may have replaced it), read in place.
        Subscripts indices;
        EvalSubscripts(call.args, indices);
        variable = Variable(id);
        if (variable == nullptr || !variable->IsArray())
            Raise(errc::TypeMismatch);
        const Variant* element = variable->AsArray()->At(indices.data(), call.args.size());
        if (element == nullptr)
            Raise(errc::SubscriptOutOfRange);
        return *element;
    }
    return IndexValue(*variable, call.args);
}

Variant Interpreter::EvalMember(const MemberExpr& member)
{
    ObjectRef object = EvalObject(member.object.get());
    if (const ClassInstance* instance = OwnInstance(object))
        return GetMember(object, FindMember(*instance, member), {}, false);
    std::vector<Variant> noArgs;
    return object->GetProperty(member.name, noArgs);
}

ObjectRef Interpreter::EvalObject(const Expr* objectExpr)
{
    if (objectExpr == nullptr) {
        if (m_frame->withObjects.empty())
            Raise(errc::ObjectRequired);
        if (!m_frame->withObjects.back())
            Raise(errc::ObjectNotSet);
        return m_frame->withObjects.back();
    }
    const Variant value = Eval(*objectExpr);
    if (!value.IsObject())
        Raise(errc::ObjectRequired);
    if (!value.AsObject())
        Raise(errc::ObjectNotSet);
    return value.AsObject();
}

Interpreter::ArgumentValues Interpreter::EvalArguments(std::span<const ExprPtr> args)
{
    std::vector<Variant> values;
    if (!m_spareArguments.empty()) {
        values = std::move(m_spareArguments.back());
        m_spareArguments.pop_back();
    }
    values.reserve(args.size());
    for (const ExprPtr& arg : args)
        values.push_back(arg ? Eval(*arg) : Variant());
    return ArgumentValues(*this, std::move(values));
}

Interpreter::ArgumentValues::~ArgumentValues()
{
    m_values.clear();
    // The spares' room is reserved up front, so keeping one allocates nothing here.
    if (m_values.capacity() <= 16 && m_values.capacity() > 0
        && m_owner.m_spareArguments.size() < MaxSpareFrames)
        m_owner.m_spareArguments.push_back(std::move(m_values));
}

// ---- Calls ----

Variant Interpreter::CallBuiltin(int index, std::span<const ExprPtr> args)
{
    const BuiltinFunction& builtin = BuiltinAt(index);
    if (static_cast<int>(args.size()) < builtin.minArgs || static_cast<int>(args.size()) > builtin.maxArgs)
        Raise(errc::WrongArgumentCount);
    ArgumentValues values = EvalArguments(args);
    return builtin.function(*this, values);
}

Variant Interpreter::Invoke(const Procedure& procedure, std::span<const ExprPtr> args, const ObjectRef* self)
{
    if (args.size() != procedure.parameters.size())
        Raise(errc::WrongArgumentCount);
    Frame frame(*this, static_cast<size_t>(procedure.slotCount));
    // An array element passed ByRef is copied in and, when the call returns, copied back.
    struct ElementWriteBack {
        Variant* arrayVariable;
        std::vector<int32_t> indices;
        size_t slot;
    };
    std::vector<ElementWriteBack> writeBacks;
    for (size_t i = 0; i < args.size(); ++i) {
        if (!args[i])
            Raise(errc::ArgumentNotOptional);
        const Expr& arg = *args[i];
        const size_t slot = i + 1;
        if (!procedure.parameters[i].byVal && arg.kind == ExprKind::Identifier) {
            // ByRef: the parameter is the caller's variable itself.
            if (Variant* variable = Variable(static_cast<const IdentifierExpr&>(arg)); variable != nullptr) {
                frame.slots[slot] = variable;
                continue;
            }
        }
        if (!procedure.parameters[i].byVal && arg.kind == ExprKind::Call) {
            const auto& call = static_cast<const CallExpr&>(arg);
            Variant* variable = call.target->kind == ExprKind::Identifier
                ? ExistingVariable(static_cast<const IdentifierExpr&>(*call.target))
                : nullptr;
            if (variable != nullptr && variable->IsArray()) {
                ElementWriteBack writeBack {variable, {}, slot};
                for (const ExprPtr& index : call.args) {
                    if (!index)
                        Raise(errc::SubscriptOutOfRange);
                    writeBack.indices.push_back(ToLong(Eval(*index)));
                }
                if (!variable->IsArray())
                    Raise(errc::TypeMismatch);
                const Variant* element
                    = variable->AsArray()->At(writeBack.indices.data(), writeBack.indices.size());
                if (element == nullptr)
                    Raise(errc::SubscriptOutOfRange);
                frame.storage[slot] = *element;
                writeBacks.push_back(std::move(writeBack));
                continue;
            }
        }
        frame.storage[slot] = Eval(arg);
    }
    Variant result = RunFrame(procedure, frame, self);
    for (const ElementWriteBack& writeBack : writeBacks) {
        if (!writeBack.arrayVariable->IsArray())
            continue;
        Variant* element
            = MutableArray(*writeBack.arrayVariable).At(writeBack.indices.data(), writeBack.indices.size());
        if (element != nullptr)
            *element = frame.storage[writeBack.slot];
    }
    // The locals go with the frame: instances they held last terminate now.
    frame.storage.clear();
    frame.self.reset();
    if (!m_terminating.empty())
        RunTerminates();
    return result;
}

Variant Interpreter::InvokeWithValues(
    const Procedure& procedure, std::span<Variant> args, const ObjectRef* self)
{
    if (args.size() != procedure.parameters.size())
        Raise(errc::WrongArgumentCount);
    Frame frame(*this, static_cast<size_t>(procedure.slotCount));
    for (size_t i = 0; i < args.size(); ++i) {
        if (procedure.parameters[i].byVal)
            frame.storage[i + 1] = args[i];
        else
            frame.slots[i + 1] = &args[i];
    }
    Variant result = RunFrame(procedure, frame, self);
    frame.storage.clear();
    frame.self.reset();
    if (!m_terminating.empty())
        RunTerminates();
    return result;
}

Variant Interpreter::RunFrame(const Procedure& procedure, Frame& frame, const ObjectRef* self)
{
    if (m_callDepth >= m_limits.maxCallDepth)
        Raise(errc::OutOfStackSpace);
    CheckNativeStack();
    frame.procedure = &procedure;
    frame.module = procedure.module;
    if (self != nullptr) {
        frame.self = *self;
        frame.instance = static_cast<ClassInstance*>(self->get());
    }
    for (const Procedure::ArrayDeclaration& declaration : procedure.arrays) {
        auto array = std::make_shared<ScriptArray>(declaration.upperBounds);
        array->SetFixed(!declaration.upperBounds.empty());
        frame.storage[static_cast<size_t>(declaration.slot)] = Variant::FromArray(std::move(array));
    }
    Frame* const caller = m_frame;
    const int callerLine = m_currentLine;
    m_frame = &frame;
    ++m_callDepth;
    struct Restore {
        Interpreter& interpreter;
        Frame* caller;
        ~Restore()
        {
            interpreter.m_frame = caller;
            --interpreter.m_callDepth;
        }
    } restore {*this, caller};
    ExecBlock(procedure.body);
    // Only a normal return restores the caller's line: an error keeps the line it happened on.
    m_currentLine = callerLine;
    return procedure.isFunction ? std::move(frame.storage[0]) : Variant();
}

// ---- Classes ----

void Interpreter::RegisterModule(const Module& module)
{
    // A name defined again by later code (ExecuteGlobal, another AddCode) means the new one.
    for (const std::unique_ptr<Procedure>& procedure : module.procedures)
        m_procedures[AsciiLowerCopy(procedure->name)] = procedure.get();
    for (const std::shared_ptr<ClassDefinition>& definition : module.classes)
        m_classes[definition->key] = definition;
    if (!module.procedures.empty() || !module.classes.empty())
        ++m_generation;
}

ObjectRef Interpreter::NewInstance(const NewExpr& expr)
{
    const auto it = m_classes.find(expr.key);
    if (it == m_classes.end()) {
        // VBScript's one built-in class; the host provides it.
        if (expr.key == "regexp")
            return CreateObject("VBScript.RegExp");
        Raise(506);
    }
    const ClassDefinition& definition = *it->second;
    ObjectRef object(new ClassInstance(it->second, m_link), ClassInstance::Release);
    auto& instance = static_cast<ClassInstance&>(*object);
    instance.SetSelf(object);
    for (size_t i = 0; i < definition.fields.size(); ++i) {
        const ClassField& field = definition.fields[i];
        if (!field.isArray)
            continue;
        auto array = std::make_shared<ScriptArray>(field.upperBounds);
        array->SetFixed(!field.upperBounds.empty());
        instance.Fields()[i] = Variant::FromArray(std::move(array));
    }
    if (definition.initialize != nullptr) {
        std::vector<Variant> none;
        InvokeWithValues(*definition.initialize, none, &object);
    }
    return object;
}

ClassInstance* Interpreter::OwnInstance(const ObjectRef& object) const
{
    // ClassInstance is final: comparing the type is exact, and much quicker than a cast that
    // searches the hierarchy on every member call.
    if (object == nullptr)
        return nullptr;
    const ScriptObject& target = *object;
    if (typeid(target) != typeid(ClassInstance))
        return nullptr;
    auto* instance = static_cast<ClassInstance*>(object.get());
    return instance->Owner() == this ? instance : nullptr;
}

const ClassMember& Interpreter::FindMember(const ClassInstance& instance, std::string_view name) const
{
    const ClassDefinition& definition = instance.Definition();
    const int index = name.empty() ? definition.defaultMember : definition.IndexOf(AsciiLowerCopy(name));
    if (index < 0)
        Raise(errc::NoSuchMember);
    return definition.members[static_cast<size_t>(index)];
}

const ClassMember& Interpreter::FindMember(const ClassInstance& instance, const MemberExpr& member) const
{
    const ClassDefinition& definition = instance.Definition();
    if (member.cacheClass != &definition) {
        member.cacheMember = definition.IndexOf(AsciiLowerCopy(member.name));
        member.cacheClass = &definition;
    }
    if (member.cacheMember < 0)
        Raise(errc::NoSuchMember);
    return definition.members[static_cast<size_t>(member.cacheMember)];
}

const ClassMember& Interpreter::OwnMember(const IdentifierExpr& id) const
{
    return m_frame->instance->Definition().members[static_cast<size_t>(id.slot)];
}

Variant* Interpreter::MemberField(const IdentifierExpr& id)
{
    const ClassMember& member = OwnMember(id);
    return member.field >= 0 ? &m_frame->instance->Field(member.field) : nullptr;
}

Variant Interpreter::GetMember(
    const ObjectRef& object, const ClassMember& member, std::span<const ExprPtr> args, bool inside)
{
    auto& instance = static_cast<ClassInstance&>(*object);
    if (member.field >= 0) {
        if (!member.isPublic && !inside)
            Raise(errc::NoSuchMember);
        // A copy: the arguments may change the field.
        const Variant field = instance.Field(member.field);
        return args.empty() ? field : IndexValue(field, args);
    }
    const Procedure* procedure = member.get != nullptr ? member.get : member.method;
    if (procedure == nullptr || (!procedure->isPublic && !inside))
        Raise(errc::NoSuchMember);
    return Invoke(*procedure, args, &object);
}

void Interpreter::AssignMember(const ObjectRef& object, const ClassMember& member, std::vector<Variant>& args,
    Variant value, bool isSet, bool inside)
{
    auto& instance = static_cast<ClassInstance&>(*object);
    if (member.field >= 0) {
        if (!member.isPublic && !inside)
            Raise(errc::NoSuchMember);
        value = isSet ? SetValue(std::move(value)) : LetValue(std::move(value));
        Variant& field = instance.Field(member.field);
        if (args.empty()) {
            field = std::move(value);
            return;
        }
        if (field.IsObject()) {
            if (!field.AsObject())
                Raise(errc::ObjectNotSet);
            ObjectRef target = field.AsObject();
            target->SetProperty("", args, value);
            return;
        }
        if (!field.IsArray())
            Raise(errc::TypeMismatch);
        int32_t indices[64];
        if (args.size() > 64)
            Raise(errc::SubscriptOutOfRange);
        for (size_t i = 0; i < args.size(); ++i)
            indices[i] = ToLong(args[i]);
        Variant* element = MutableArray(field).At(indices, args.size());
        if (element == nullptr)
            Raise(errc::SubscriptOutOfRange);
        *element = std::move(value);
        return;
    }
    // Set calls Property Set, Let calls Property Let; a member with neither cannot be assigned.
    const Procedure* procedure = isSet ? member.set : member.let;
    if (procedure == nullptr)
        Raise(member.get != nullptr || member.method != nullptr ? errc::WrongArgumentCount
                                                                : errc::NoSuchMember);
    if (!procedure->isPublic && !inside)
        Raise(errc::NoSuchMember);
    Variant assigned = isSet ? SetValue(std::move(value)) : LetValue(std::move(value));
    if (args.empty()) {
        // The usual `obj.Name = value`: no vector to grow for the one argument.
        InvokeWithValues(*procedure, std::span(&assigned, 1), &object);
        return;
    }
    args.push_back(std::move(assigned));
    InvokeWithValues(*procedure, args, &object);
}

Variant Interpreter::FromHost(const std::function<Variant()>& body)
{
    if (m_running)
        return body();
    RunScope scope(*this);
    Frame frame;
    m_frame = &frame;
    CheckClock();
    Variant result = body();
    RunTerminates();
    return result;
}

Variant Interpreter::MemberFromHost(
    ClassInstance& instance, std::string_view name, std::vector<Variant>& args, const Variant* value)
{
    const ObjectRef object = instance.Self();
    if (!object)
        Raise(errc::ObjectRequired);
    return FromHost([&] {
        const ClassMember& member = FindMember(instance, name);
        if (value == nullptr) {
            if (member.field >= 0) {
                if (!member.isPublic)
                    Raise(errc::NoSuchMember);
                const Variant field = instance.Field(member.field);
                if (args.empty())
                    return field;
                if (field.IsArray()) {
                    int32_t indices[64];
                    if (args.size() > 64)
                        Raise(errc::SubscriptOutOfRange);
                    for (size_t i = 0; i < args.size(); ++i)
                        indices[i] = ToLong(args[i]);
                    const Variant* element = field.AsArray()->At(indices, args.size());
                    if (element == nullptr)
                        Raise(errc::SubscriptOutOfRange);
                    return *element;
                }
                if (!field.IsObject())
                    Raise(errc::TypeMismatch);
                if (!field.AsObject())
                    Raise(errc::ObjectNotSet);
                return field.AsObject()->GetProperty("", args);
            }
            const Procedure* procedure = member.get != nullptr ? member.get : member.method;
            if (procedure == nullptr || !procedure->isPublic)
                Raise(errc::NoSuchMember);
            return InvokeWithValues(*procedure, args, &object);
        }
        // Host code cannot say Let or Set: an object goes to Property Set where there is one.
        const bool isSet = value->IsObject() && (member.field >= 0 || member.set != nullptr);
        AssignMember(object, member, args, *value, isSet, false);
        return Variant();
    });
}

Variant Interpreter::CallFromHost(const Procedure& procedure, std::vector<Variant>& args)
{
    return FromHost([&] { return InvokeWithValues(procedure, args); });
}

void Interpreter::ScheduleTerminate(ClassInstance* instance)
{
    m_terminating.push_back(instance);
    if (m_running)
        return;
    // The host let go of the last reference between runs.
    try {
        FromHost([this] {
            RunTerminates();
            return Variant();
        });
    } catch (const std::exception&) {
        // A Terminate has no caller to report to.
    }
}

void Interpreter::RunTerminates()
{
    // A Terminate that lets go of other instances queues them for the loop below.
    if (m_runningTerminates)
        return;
    m_runningTerminates = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done {m_runningTerminates};
    const int line = m_currentLine;
    while (!m_terminating.empty()) {
        ClassInstance* instance = m_terminating.front();
        m_terminating.pop_front();
        // A new first reference for `Me`; when it goes, the instance is freed (or lives on,
        // should Terminate have stored `Me` somewhere).
        const ObjectRef again(instance, ClassInstance::Release);
        instance->SetSelf(again);
        std::vector<Variant> none;
        try {
            InvokeWithValues(*instance->Definition().terminate, none, &again);
        } catch (const ScriptError& error) {
            // Errors stay inside Class_Terminate; the time limit does not.
            if (error.IsFatal())
                throw;
        } catch (const std::exception&) {
        }
    }
    m_currentLine = line;
}

void Interpreter::EndInstances()
{
    // The script ends: the globals let go of their objects in the order they were declared,
    // each Class_Terminate running as its instance goes, under the host's limits.
    try {
        RunScope scope(*this);
        Frame frame;
        m_frame = &frame;
        RunTerminates();
        // Err and the host's objects last: a Terminate may still use them.
        // A Terminate may add globals: indices, not iterators.
        for (const bool constants : {false, true}) {
            for (size_t i = 0; i < m_globals.size(); ++i) {
                if (m_globals[i].isConst != constants)
                    continue;
                {
                    const Variant released = std::move(m_globals[i].value);
                    m_globals[i].value = Variant();
                }
                RunTerminates();
            }
        }
    } catch (const std::exception&) {
        // Nothing is left to report to.
    }
    // From here on instances and references are orphans: no script code runs for them, and an
    // orphan freed no longer tells the interpreter.
    m_link->interpreter = nullptr;
    // Instances still alive are held by the host or by one another (a cycle, which VBScript
    // leaks): emptying their fields frees the cycles, and orphans answer no member anyway. The
    // fields of all of them are taken out before any is freed: freeing an instance that still
    // held others would free those too, leaving them in m_instances.
    std::vector<Variant> fields;
    for (ClassInstance* instance : m_instances) {
        for (Variant& field : instance->Fields())
            fields.push_back(std::move(field));
    }
    // Those whose Terminate never ran (a Terminate before them failed past its own handling).
    for (ClassInstance* instance : m_terminating) {
        m_instances.erase(instance);
        delete instance;
    }
    m_terminating.clear();
    m_instances.clear();
    fields.clear();
}

// ---- Eval, Execute, GetRef ----

std::unique_ptr<Module> Interpreter::CompileFragment(std::string_view code, bool global, ExprPtr* expression)
{
    try {
        Lexer lexer(code);
        Parser parser(lexer.Tokenize(), m_stackLimit);
        if (!global && m_frame != nullptr)
            parser.SetEnclosingProcedure(m_frame->procedure);
        if (expression != nullptr) {
            *expression = parser.ParseStandaloneExpression();
            return nullptr;
        }
        return parser.ParseModule();
    } catch (const CompileError& error) {
        throw ScriptError(error.Number(), {}, std::string(CompileErrorSource));
    }
}

Variant Interpreter::EvalText(std::string_view code)
{
    if (m_callDepth >= m_limits.maxCallDepth)
        Raise(errc::OutOfStackSpace);
    CheckNativeStack();
    ExprPtr expression;
    CompileFragment(code, false, &expression);
    const int line = m_currentLine;
    ++m_callDepth;
    struct Restore {
        int& depth;
        ~Restore() { --depth; }
    } restore {m_callDepth};
    Variant value = Eval(*expression);
    m_currentLine = line;
    return value;
}

void Interpreter::ExecuteText(std::string_view code, bool global)
{
    if (m_callDepth >= m_limits.maxCallDepth)
        Raise(errc::OutOfStackSpace);
    CheckNativeStack();
    const int line = m_currentLine;
    std::unique_ptr<Module> module = CompileFragment(code, global, nullptr);
    const Module& loaded = *module;
    // Code that defines procedures or classes is kept while the interpreter lives, as they may
    // be used later; the rest goes when it has run, so that Execute in a loop does not pile up.
    std::unique_ptr<Module> transient;
    if (loaded.procedures.empty() && loaded.classes.empty())
        transient = std::move(module);
    else
        m_modules.push_back(std::move(module));
    RegisterModule(loaded);
    DeclareGlobals(loaded);
    m_currentLine = line;

    Frame* const caller = m_frame;
    ++m_callDepth;
    struct Restore {
        Interpreter& interpreter;
        Frame* caller;
        int line;
        ~Restore()
        {
            interpreter.m_frame = caller;
            --interpreter.m_callDepth;
            interpreter.m_currentLine = line;
        }
    } restore {*this, caller, line};
    if (global || m_frame == nullptr) {
        // The global scope, whatever procedure called.
        Frame frame;
        frame.module = caller != nullptr ? caller->module : &loaded;
        m_frame = &frame;
        ExecBlock(loaded.body);
        return;
    }
    // The caller's own frame, with its On Error setting kept apart.
    const bool resumeNext = m_frame->resumeNext;
    m_frame->resumeNext = false;
    struct RestoreResume {
        Frame& frame;
        bool resumeNext;
        ~RestoreResume() { frame.resumeNext = resumeNext; }
    } restoreResume {*m_frame, resumeNext};
    ExecBlock(loaded.body);
}

ObjectRef Interpreter::ProcedureReferenceTo(std::string_view name)
{
    const auto it = m_procedures.find(AsciiLowerCopy(name));
    if (it == m_procedures.end())
        Raise(errc::InvalidProcedureCall);
    return std::make_shared<ProcedureReference>(*it->second, m_link);
}

} // namespace vortalux::script
