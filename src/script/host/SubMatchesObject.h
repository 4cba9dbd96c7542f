#pragma once

#include "MatchData.h"
#include "ScriptObject.h"

namespace vortalux::script {

// The groups of one match: Count, Item(i) (the default member, 0-based) and For Each. A group
// that took no part in the match is Empty; an index out of range raises 5.
class SubMatchesObject final : public ScriptObject {
public:
    SubMatchesObject(MatchDataRef data, size_t index);

    std::string TypeName() const override { return "ISubMatches"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    bool Enumerate(std::vector<Variant>& items) override;

    // Item(`which`) of the groups of match `index`: what `m.SubMatches(i)` reads, answered
    // without making the collection.
    static Variant Item(const MatchData& data, size_t index, const Variant& which);

private:
    MatchDataRef m_data;
    size_t m_index;
};

} // namespace vortalux::script
