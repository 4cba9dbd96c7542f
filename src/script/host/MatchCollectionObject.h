#pragma once

#include "MatchData.h"
#include "ScriptObject.h"

namespace vortalux::script {

// The Matches collection RegExp.Execute answers: Count, Item(i) (the default member, 0-based) and
// For Each, each a Match object. An index out of range raises 5. Match objects are made when they
// are reached, For Each included, so a loop over many matches holds one at a time.
class MatchCollectionObject final : public ScriptObject {
public:
    explicit MatchCollectionObject(MatchDataRef data);

    std::string TypeName() const override { return "IMatchCollection2"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    bool Enumerate(std::vector<Variant>& items) override;
    std::unique_ptr<ScriptEnumerator> Enumerator() override;

private:
    MatchDataRef m_data;
};

} // namespace vortalux::script
