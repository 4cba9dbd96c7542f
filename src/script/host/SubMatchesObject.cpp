#include "SubMatchesObject.h"

#include "AsciiText.h"
#include "HostArguments.h"

#include <utility>

namespace vortalux::script {

SubMatchesObject::SubMatchesObject(MatchDataRef data, size_t index)
    : m_data(std::move(data))
    , m_index(index)
{
}

Variant SubMatchesObject::GroupAt(size_t group) const
{
    // The list numbers groups from 1; group 0 is the whole match.
    if (!m_data->matches.Participated(m_index, group + 1))
        return {};
    return Variant::FromString(std::string(m_data->matches.SubMatch(m_index, group + 1)));
}

Variant SubMatchesObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Count")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(static_cast<int32_t>(m_data->matches.GroupCount()));
    }
    if (name.empty() || EqualsNoCase(name, "Item")) {
        RequireArgumentCount(args, 1, 1);
        const int32_t index = ToLong(args[0]);
        if (index < 0 || static_cast<size_t>(index) >= m_data->matches.GroupCount())
            Raise(errc::InvalidProcedureCall);
        return GroupAt(static_cast<size_t>(index));
    }
    Raise(errc::NoSuchMember);
}

bool SubMatchesObject::Enumerate(std::vector<Variant>& items)
{
    for (size_t group = 0; group < m_data->matches.GroupCount(); ++group)
        items.push_back(GroupAt(group));
    return true;
}

} // namespace vortalux::script
