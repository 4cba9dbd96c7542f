#include "MatchCollectionObject.h"

#include "AsciiText.h"
#include "HostArguments.h"
#include "MatchObject.h"

#include <utility>

namespace vortalux::script {

MatchCollectionObject::MatchCollectionObject(MatchDataRef data)
    : m_data(std::move(data))
{
}

Variant MatchCollectionObject::MatchAt(size_t index) const
{
    return Variant::FromObject(std::make_shared<MatchObject>(m_data, index));
}

Variant MatchCollectionObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Count")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(static_cast<int32_t>(m_data->matches.Count()));
    }
    if (name.empty() || EqualsNoCase(name, "Item")) {
        RequireArgumentCount(args, 1, 1);
        const int32_t index = ToLong(args[0]);
        if (index < 0 || static_cast<size_t>(index) >= m_data->matches.Count())
            Raise(errc::InvalidProcedureCall);
        return MatchAt(static_cast<size_t>(index));
    }
    Raise(errc::NoSuchMember);
}

bool MatchCollectionObject::Enumerate(std::vector<Variant>& items)
{
    items.reserve(items.size() + m_data->matches.Count());
    for (size_t i = 0; i < m_data->matches.Count(); ++i)
        items.push_back(MatchAt(i));
    return true;
}

} // namespace vortalux::script
