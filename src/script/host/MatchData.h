#pragma once

#include "MatchList.h"
#include "RunBudget.h"

#include <memory>
#include <string>

namespace vortalux::script {

// What one RegExp.Execute found: the text it searched and the offsets of its matches, shared by
// the Matches collection, its Match objects and their SubMatches. Both count against the
// script's memory limit for as long as any of them lives.
struct MatchData {
    std::string input;
    MatchList matches; // refers to `input`, so the struct is never moved once filled
    RunBudget::Reservation charge;
};

using MatchDataRef = std::shared_ptr<const MatchData>;

} // namespace vortalux::script
