#include "MatchCollectionObject.h"

#include "HostArguments.h"
#include "MatchObject.h"
#include "MemberName.h"

#include <utility>

namespace vortalux::script {

namespace {

Variant MatchAt(const MatchDataRef& data, size_t index)
{
    return Variant::FromObject(std::make_shared<MatchObject>(data, index));
}

class MatchEnumerator final : public ScriptEnumerator {
public:
    explicit MatchEnumerator(MatchDataRef data)
        : m_data(std::move(data))
    {
    }

    bool Next(Variant& item) override
    {
        if (m_next >= m_data->matches.Count())
            return false;
        // The Match of the pass before last is, unless the script kept it, held by nothing but
        // this enumerator (the loop variable holds the last one): nobody can tell it from a new
        // Match, so it serves again and a loop makes two objects, not one per match.
        std::shared_ptr<MatchObject>& spare = m_spares[m_next % 2];
        if (spare && spare.use_count() == 1)
            spare->MoveTo(m_next);
        else
            spare = std::make_shared<MatchObject>(m_data, m_next);
        item = Variant::FromObject(spare);
        ++m_next;
        return true;
    }

private:
    MatchDataRef m_data;
    size_t m_next = 0;
    std::shared_ptr<MatchObject> m_spares[2];
};

} // namespace

MatchCollectionObject::MatchCollectionObject(MatchDataRef data)
    : m_data(std::move(data))
{
}

Variant MatchCollectionObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (IsMemberName(name, "count")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(static_cast<int32_t>(m_data->matches.Count()));
    }
    if (name.empty() || IsMemberName(name, "item")) {
        RequireArgumentCount(args, 1, 1);
        const int32_t index = ToLong(args[0]);
        if (index < 0 || static_cast<size_t>(index) >= m_data->matches.Count())
            Raise(errc::InvalidProcedureCall);
        return MatchAt(m_data, static_cast<size_t>(index));
    }
    Raise(errc::NoSuchMember);
}

bool MatchCollectionObject::Enumerate(std::vector<Variant>& items)
{
    items.reserve(items.size() + m_data->matches.Count());
    for (size_t i = 0; i < m_data->matches.Count(); ++i)
        items.push_back(MatchAt(m_data, i));
    return true;
}

std::unique_ptr<ScriptEnumerator> MatchCollectionObject::Enumerator()
{
    return std::make_unique<MatchEnumerator>(m_data);
}

} // namespace vortalux::script
