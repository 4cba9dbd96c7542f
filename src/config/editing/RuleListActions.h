#pragma once

#include "MessageBox.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace vortalux {

// What the rules list does to a rule's file, shared by the rules panel and the command line.
// Errors are the system's (errno in the generic category: value() is the number, message() the
// system's description).

struct RuleActiveChange {
    // Empty when the file holds the asked state.
    std::error_code error;
    // The file was rewritten; false when it already held the state (or on failure).
    bool written = false;
};

// The check box: writes Main/"Active" = "1" or "0" into the file of rule `name` (found without
// regard to letter case), atomically, every other byte kept. Nothing is written when the file
// already holds that state ("Active" absent counts as 1). A file that is gone is not made anew
// (that would leave a file that is no rule): the change fails with "No such file or directory".
[[nodiscard]] RuleActiveChange SetRuleActive(
    const std::filesystem::path& programDirectory, std::string_view name, bool active);

struct RuleDeletion {
    // The file that was, or could not be, removed.
    std::filesystem::path file;
    // Empty when it was removed.
    std::error_code error;
};

// Removes the file of rule `name` (found without regard to letter case). A file that is gone
// fails with "No such file or directory", so the list is not told a deletion it did not see.
[[nodiscard]] RuleDeletion DeleteRule(const std::filesystem::path& programDirectory, std::string_view name);

// The critical message "Unable to delete the rule" for a failed deletion of rule `name`.
MessageRequest DeleteFailureMessage(std::string_view name, const RuleDeletion& deletion);

} // namespace vortalux
