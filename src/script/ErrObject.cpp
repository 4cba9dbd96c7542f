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
        return Variant::FromString(m_helpFile);
    if (EqualsNoCase(name, "HelpContext"))
        return Variant::FromLong(m_helpContext);
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
    else if (EqualsNoCase(name, "HelpFile"))
        m_helpFile = ToString(value);
    else if (EqualsNoCase(name, "HelpContext"))
        m_helpContext = ToLong(value);
    else
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

namespace {

// Errors travel as HRESULTs: a number from 1 to 65535 is one of the control facility
// (0x800A....), and such an HRESULT raised directly reads back as its low word, as Windows
// reports it. A positive number past 65535 is no error number at all: Windows raises 5 in its
// place, as for 0. Other negative numbers are HRESULTs of other facilities and stay whole.
int32_t ReportedNumber(int32_t number)
{
    const auto bits = static_cast<uint32_t>(number);
    if ((bits & 0xFFFF0000u) == 0x800A0000u)
        return static_cast<int32_t>(bits & 0xFFFFu);
    if (number > 0xFFFF)
        return 0;
    return number;
}

bool IsGiven(const std::vector<Variant>& args, size_t index)
{
    return args.size() > index && !args[index].IsEmpty();
}

} // namespace

void ErrObject::Raise(std::vector<Variant>& args)
{
    if (args.empty() || args.size() > 5)
        vortalux::script::Raise(errc::WrongArgumentCount);
    if (args[0].IsEmpty())
        vortalux::script::Raise(errc::ArgumentNotOptional);
    const int32_t number = ReportedNumber(ToLong(args[0]));
    if (number == 0)
        vortalux::script::Raise(errc::InvalidProcedureCall);
    // What is left out keeps what Err holds, until Err.Clear empties it.
    std::string source = IsGiven(args, 1) ? ToString(args[1]) : m_source;
    std::string description = IsGiven(args, 2) ? ToString(args[2]) : m_description;
    std::string helpFile = IsGiven(args, 3) ? ToString(args[3]) : m_helpFile;
    const int32_t helpContext = IsGiven(args, 4) ? ToLong(args[4]) : m_helpContext;
    ScriptError error(number, std::move(description), std::move(source));
    error.SetHelp(std::move(helpFile), helpContext);
    throw error;
}

void ErrObject::Set(const ScriptError& error)
{
    m_number = error.Number();
    m_description = error.Description();
    m_source = error.Source();
    m_helpFile = error.HelpFile();
    m_helpContext = error.HelpContext();
}

void ErrObject::Clear()
{
    m_number = 0;
    m_description.clear();
    m_source.clear();
    m_helpFile.clear();
    m_helpContext = 0;
}

} // namespace vortalux::script
