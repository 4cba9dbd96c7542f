#include "SubMatchesObject.h"

#include "HostArguments.h"
#include "MemberName.h"

#include <utility>

namespace vortalux::script {

namespace {

Variant GroupAt(const MatchData& data, size_t index, size_t group)
{
    // The list numbers groups from 1; group 0 is the whole match.
    if (!data.matches.Participated(index, group + 1))
        return {};
    return Variant::FromString(std::string(data.matches.SubMatch(index, group + 1)));
}

} // namespace

SubMatchesObject::SubMatchesObject(MatchDataRef data, size_t index)
    : m_data(std::move(data))
    , m_index(index)
{
}

Variant SubMatchesObject::Item(const MatchData& data, size_t index, const Variant& which)
{
    const int32_t group = ToLong(which);
    if (group < 0 || static_cast<size_t>(group) >= data.matches.GroupCount())
        Raise(errc::InvalidProcedureCall);
    return GroupAt(data, index, static_cast<size_t>(group));
}

Variant SubMatchesObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (IsMemberName(name, "count")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(static_cast<int32_t>(m_data->matches.GroupCount()));
    }
    if (name.empty() || IsMemberName(name, "item")) {
        RequireArgumentCount(args, 1, 1);
        return Item(*m_data, m_index, args[0]);
    }
    Raise(errc::NoSuchMember);
}

bool SubMatchesObject::Enumerate(std::vector<Variant>& items)
{
    for (size_t group = 0; group < m_data->matches.GroupCount(); ++group)
        items.push_back(GroupAt(*m_data, m_index, group));
    return true;
}

} // namespace vortalux::script
