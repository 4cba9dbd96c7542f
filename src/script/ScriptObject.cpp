#include "ScriptObject.h"

#include "ScriptError.h"

namespace vortalux::script {

Variant ScriptObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    return CallMethod(name, args);
}

void ScriptObject::SetProperty(std::string_view, std::vector<Variant>&, const Variant&)
{
    Raise(errc::NoSuchMember);
}

Variant ScriptObject::CallMethod(std::string_view, std::vector<Variant>&) { Raise(errc::NoSuchMember); }

bool ScriptObject::Enumerate(std::vector<Variant>&) { return false; }

std::unique_ptr<ScriptEnumerator> ScriptObject::Enumerator() { return nullptr; }

} // namespace vortalux::script
