#pragma once

#include "MatchData.h"
#include "RunBudget.h"
#include "ScriptObject.h"

namespace vortalux::script {

// One match of RegExp.Execute: Value (the default member), FirstIndex (0-based), Length and
// SubMatches, a collection of its groups.
class MatchObject final : public ScriptObject {
public:
    MatchObject(MatchDataRef data, size_t index);

    std::string TypeName() const override { return "IMatch2"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    // Makes this the Match of another match of the same Execute: only for an object that nobody
    // else holds, which For Each hands out again instead of making a new one.
    void MoveTo(size_t index) { m_index = index; }

    // What each Match object is counted as against the memory limit: itself, its control block
    // and the Variant that holds it (a For Each over a million matches makes them all at once).
    static constexpr size_t ChargedBytes = 128;

private:
    MatchDataRef m_data;
    size_t m_index;
    RunBudget::Reservation m_charge;
};

} // namespace vortalux::script
