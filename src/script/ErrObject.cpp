#include "ErrObject.h"

#include "AsciiText.h"
#include "Coercion.h"
#include "ScriptError.h"

namespace vortalux::script {

Variant ErrObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (!args.empty())
        vortalux::script::Raise(errc::WrongArgumentCount);
    if (name.empty() || EqualsNoCase(name, "Number"))
        return Variant::FromLong(m_number);
    if (EqualsNoCase(name, "Description"))
        return Variant::FromString(m_description);
    if (EqualsNoCase(name, "Source"))
        return Variant::FromString(m_source);
    if (EqualsNoCase(name, "HelpFile"))
        return Variant::FromString("");
    if (EqualsNoCase(name, "HelpContext"))
        return Variant::FromLong(0);
    return CallMethod(name, args);
}

void ErrObject::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    if (!args.empty())
        vortalux::script::Raise(errc::WrongArgumentCount);
    if (name.empty() || EqualsNoCase(name, "Number"))
        m_number = ToLong(value);
    else if (EqualsNoCase(name, "Description"))
        m_description = ToString(value);
    else if (EqualsNoCase(name, "Source"))
        m_source = ToString(value);
    else if (!EqualsNoCase(name, "HelpFile") && !EqualsNoCase(name, "HelpContext"))
        vortalux::script::Raise(errc::NoSuchMember);
}

Variant ErrObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Clear")) {
        if (!args.empty())
            vortalux::script::Raise(errc::WrongArgumentCount);
        Clear();
        return {};
    }
    if (EqualsNoCase(name, "Raise"))
        Raise(args);
    vortalux::script::Raise(errc::NoSuchMember);
}

void ErrObject::Raise(std::vector<Variant>& args)
{
    if (args.empty() || args.size() > 5)
        vortalux::script::Raise(errc::WrongArgumentCount);
    if (args[0].IsEmpty())
        vortalux::script::Raise(errc::ArgumentNotOptional);
    const int32_t number = ToLong(args[0]);
    if (number == 0)
        vortalux::script::Raise(errc::InvalidProcedureCall);
    std::string source = args.size() > 1 && !args[1].IsEmpty() ? ToString(args[1]) : std::string();
    std::string description = args.size() > 2 && !args[2].IsEmpty() ? ToString(args[2]) : std::string();
    throw ScriptError(number, std::move(description), std::move(source));
}

void ErrObject::Set(const ScriptError& error)
{
    m_number = error.Number();
    m_description = error.Description();
    m_source = error.Source();
}

void ErrObject::Clear()
{
    m_number = 0;
    m_description.clear();
    m_source.clear();
}

} // namespace vortalux::script
