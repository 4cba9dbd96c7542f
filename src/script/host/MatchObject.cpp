#include "MatchObject.h"

#include "HostArguments.h"
#include "MemberName.h"
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
    if (IsMemberName(name, "submatches")) {
        // `m.SubMatches(i)`, the common reading, needs no collection object.
        if (args.size() == 1)
            return SubMatchesObject::Item(*m_data, m_index, args[0]);
        return ApplyToDefault(Variant::FromObject(std::make_shared<SubMatchesObject>(m_data, m_index)), args);
    }
    RequireArgumentCount(args, 0, 0);
    const MatchList& matches = m_data->matches;
    if (name.empty() || IsMemberName(name, "value"))
        return Variant::FromString(std::string(matches.Value(m_index)));
    if (IsMemberName(name, "firstindex"))
        return Variant::FromLong(static_cast<int32_t>(matches.FirstIndex(m_index)));
    if (IsMemberName(name, "length"))
        return Variant::FromLong(static_cast<int32_t>(matches.Length(m_index)));
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
