#include "ProcedureReference.h"

#include "Interpreter.h"
#include "ScriptError.h"

namespace vortalux::script {

Variant ProcedureReference::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    return CallMethod(name, args);
}

Variant ProcedureReference::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (!name.empty())
        Raise(errc::NoSuchMember);
    Interpreter* owner = m_link->interpreter;
    if (owner == nullptr)
        Raise(errc::ObjectRequired);
    return owner->CallFromHost(m_procedure, args);
}

} // namespace vortalux::script
