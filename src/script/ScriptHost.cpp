#include "ScriptHost.h"

#include "AsciiText.h"
#include "CompileError.h"
#include "Lexer.h"
#include "Parser.h"

#include <new>

namespace vortalux::script {

ScriptHost::ScriptHost()
    : m_interpreter(std::make_unique<Interpreter>(m_factories, m_limits))
{
}

ScriptHost::~ScriptHost() = default;

void ScriptHost::Reset()
{
    // A host object cannot pull the interpreter away from under the script that called it.
    if (m_interpreter->IsRunning())
        return;
    m_interpreter = std::make_unique<Interpreter>(m_factories, m_limits);
    ClearError();
}

bool ScriptHost::AddCode(std::string_view code)
{
    ClearError();
    std::unique_ptr<Module> module;
    try {
        Lexer lexer(code);
        Parser parser(lexer.Tokenize());
        module = parser.ParseModule();
    } catch (const CompileError& error) {
        m_error.number = error.Number();
        m_error.description = std::string(StandardErrorDescription(error.Number()));
        m_error.source = std::string(CompileErrorSource);
        m_error.line = error.Line();
        m_error.column = error.Column();
        return false;
    } catch (const std::bad_alloc&) {
        m_error.number = 7;
        m_error.description = std::string(StandardErrorDescription(7));
        m_error.source = std::string(CompileErrorSource);
        return false;
    }
    RuntimeFailure failure;
    if (!m_interpreter->Load(std::move(module), failure)) {
        SetRuntimeError(failure);
        return false;
    }
    return true;
}

bool ScriptHost::Run(std::string_view procedureName, std::vector<Variant>& args, Variant* result)
{
    ClearError();
    Variant value;
    RuntimeFailure failure;
    if (!m_interpreter->Run(procedureName, args, value, failure)) {
        SetRuntimeError(failure);
        return false;
    }
    if (result != nullptr)
        *result = std::move(value);
    return true;
}

void ScriptHost::SetRuntimeError(const RuntimeFailure& failure)
{
    m_error.number = failure.number;
    m_error.description = failure.description;
    m_error.source = failure.source;
    m_error.line = failure.line;
    m_error.column = 0;
}

void ScriptHost::AddObject(std::string_view name, ObjectRef object)
{
    m_interpreter->AddObject(name, std::move(object));
}

void ScriptHost::RegisterObjectFactory(std::string_view progId, ObjectFactory factory)
{
    m_factories[AsciiLowerCopy(progId)] = std::move(factory);
}

void ScriptHost::SetTimeLimit(std::chrono::milliseconds limit)
{
    m_limits.time = limit;
    m_interpreter->SetLimits(m_limits);
}

void ScriptHost::SetTimeLimitScope(TimeLimitScope scope)
{
    m_limits.timeScope = scope;
    m_interpreter->SetLimits(m_limits);
}

void ScriptHost::SetMaxCallDepth(int depth)
{
    m_limits.maxCallDepth = depth;
    m_interpreter->SetLimits(m_limits);
}

void ScriptHost::SetMemoryLimit(size_t bytes)
{
    m_limits.memory = bytes;
    m_interpreter->SetLimits(m_limits);
}

} // namespace vortalux::script
