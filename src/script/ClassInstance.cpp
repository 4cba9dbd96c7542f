#include "ClassInstance.h"

#include "Interpreter.h"
#include "ScriptError.h"

namespace vortalux::script {

ClassInstance::ClassInstance(
    std::shared_ptr<const ClassDefinition> definition, std::shared_ptr<InterpreterLink> link)
    : m_definition(std::move(definition))
    , m_link(std::move(link))
    , m_fields(m_definition->fields.size())
{
    if (Interpreter* owner = Owner())
        owner->Track(this);
}

ClassInstance::~ClassInstance()
{
    if (Interpreter* owner = Owner())
        owner->Untrack(this);
}

Variant ClassInstance::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    Interpreter* owner = Owner();
    if (owner == nullptr)
        Raise(errc::ObjectRequired);
    return owner->MemberFromHost(*this, name, args, nullptr);
}

void ClassInstance::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    Interpreter* owner = Owner();
    if (owner == nullptr)
        Raise(errc::ObjectRequired);
    owner->MemberFromHost(*this, name, args, &value);
}

Variant ClassInstance::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    return GetProperty(name, args);
}

void ClassInstance::Release(ScriptObject* object)
{
    auto* instance = static_cast<ClassInstance*>(object);
    Interpreter* owner = instance->Owner();
    if (owner != nullptr && instance->m_terminateDue && instance->m_definition->terminate != nullptr) {
        instance->m_terminateDue = false;
        owner->ScheduleTerminate(instance);
        return;
    }
    delete instance;
}

} // namespace vortalux::script
