#pragma once

#include "MatchList.h"
#include "RunBudget.h"
#include "Variant.h"

#include <memory>
#include <string_view>

namespace vortalux::script {

// What one RegExp.Execute found: the text it searched and the offsets of its matches, shared by
// the Matches collection, its Match objects and their SubMatches, which make their values from it
// only when a script reads them. Both count against the script's memory limit for as long as any
// of them lives: the text as the String it is, the offsets through `charge`.
struct MatchData {
    Variant input; // always a String
    MatchList matches; // refers to the text of `input`, so the struct is never moved once filled
    RunBudget::Reservation charge;

    std::string_view Text() const { return input.AsString(); }
};

using MatchDataRef = std::shared_ptr<const MatchData>;

} // namespace vortalux::script
