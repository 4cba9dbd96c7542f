#include "MatchObject.h"

#include "AsciiText.h"
#include "HostArguments.h"
#include "SubMatchesObject.h"

#include <utility>

namespace vortalux::script {

MatchObject::MatchObject(MatchDataRef data, size_t index)
    : m_data(std::move(data))
    , m_index(index)
{
    m_charge.Reserve(ChargedBytes);
}

Variant MatchObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "SubMatches"))
        return ApplyToDefault(Variant::FromObject(std::make_shared<SubMatchesObject>(m_data, m_index)), args);
    RequireArgumentCount(args, 0, 0);
    const MatchList& matches = m_data->matches;
    if (name.empty() || EqualsNoCase(name, "Value"))
        return Variant::FromString(std::string(matches.Value(m_index)));
    if (EqualsNoCase(name, "FirstIndex"))
        return Variant::FromLong(static_cast<int32_t>(matches.FirstIndex(m_index)));
    if (EqualsNoCase(name, "Length"))
        return Variant::FromLong(static_cast<int32_t>(matches.Length(m_index)));
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
