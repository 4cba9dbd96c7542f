#pragma once

#include "MatchData.h"
#include "ScriptObject.h"

namespace vortalux::script {

// The Matches collection RegExp.Execute answers: Count, Item(i) (the default member, 0-based) and
// For Each, each a Match object. An index out of range raises 5.
class MatchCollectionObject final : public ScriptObject {
public:
    explicit MatchCollectionObject(MatchDataRef data);

    std::string TypeName() const override { return "IMatchCollection2"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    bool Enumerate(std::vector<Variant>& items) override;

private:
    Variant MatchAt(size_t index) const;

    MatchDataRef m_data;
};

} // namespace vortalux::script
