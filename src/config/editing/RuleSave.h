#pragma once

#include "Rule.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vortalux {

// A rule as the editor holds it when the user presses Ok.
struct RuleDraft {
    // Name, identification, type, steps, referer mode and custom referer; the version and the
    // active flag are not the editor's to write and are ignored.
    Rule rule;
    // An option of the "Referer" frame is selected: Main/"Referer" is written (rule.refererMode).
    bool refererChosen = false;
    // The name of the rule being changed, as it was loaded; nothing for a new rule.
    std::optional<std::string> previousName;
};

// How a save ended. Every ending but Saved leaves the files as they were.
enum class RuleSaveOutcome {
    Saved, // the file is on disk, "Rule saved" was shown
    Refused, // a check failed (its message was shown) or the user answered No to a question
    Failed, // the system refused a write or a removal; its error was shown
};

// The editor's save: the name and identification checks, the replace question, the whole-file
// write (a new file, written atomically; the old name is removed only once the new file is on
// disk) and the closing message, every message and question through ShowMessage.
[[nodiscard]] RuleSaveOutcome SaveRule(const std::filesystem::path& programDirectory, const RuleDraft& draft);

} // namespace vortalux
