#pragma once

#include "ManagerStore.h"
#include "RuleStore.h"

#include <filesystem>

namespace vortalux {

constexpr const char* NoManagerMessage
    = "There are no download managers supported at the moment. Please check your installation of VTL.\r\n"
      "\r\nTip: You can start VTL and check for an update to get new download managers definitions.";
constexpr const char* NoActiveRuleMessage
    = "There are no active rules !\r\nPlease run VTL and selected the rules (or Image Hosting Service) you "
      "that VTL should look for.";

// The checks every call of the engine makes before it shows a window: both stores are reloaded
// from `programDirectory`; without any download manager the user is told and the call ends
// (false); without a default one the first is used for this call only; without an active rule
// the user is told and the call goes on.
bool RunIntake(const std::filesystem::path& programDirectory, RuleStore& rules, ManagerStore& managers);

} // namespace vortalux
