#include "EnvironmentObject.h"

#include "AsciiText.h"
#include "HostArguments.h"
#include "ProcessContext.h"

namespace vortalux::script {

Variant EnvironmentObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (name.empty() || EqualsNoCase(name, "Item")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromString(ProcessContext::Variable(ToString(args[0])).value_or(std::string()));
    }
    if (EqualsNoCase(name, "Count") || EqualsNoCase(name, "length")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(static_cast<int32_t>(ProcessContext::Variables().size()));
    }
    return CallMethod(name, args);
}

void EnvironmentObject::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    if (!name.empty() && !EqualsNoCase(name, "Item"))
        Raise(errc::NoSuchMember);
    RequireArgumentCount(args, 1, 1);
    ProcessContext::SetVariable(ToString(args[0]), ToString(value));
}

Variant EnvironmentObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Remove")) {
        RequireArgumentCount(args, 1, 1);
        ProcessContext::RemoveVariable(ToString(args[0]));
        return {};
    }
    if (name.empty() || EqualsNoCase(name, "Item") || EqualsNoCase(name, "Count"))
        return GetProperty(name, args);
    Raise(errc::NoSuchMember);
}

bool EnvironmentObject::Enumerate(std::vector<Variant>& items)
{
    for (std::string& variable : ProcessContext::Variables())
        items.push_back(Variant::FromString(std::move(variable)));
    return true;
}

} // namespace vortalux::script
