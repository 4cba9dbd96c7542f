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

// How a save ended. Refused and Failed leave the window open.
enum class RuleSaveOutcome {
    Saved, // the file is on disk, "Rule saved" was shown
    Refused, // a check failed (its message was shown) or the user answered No; nothing written
    // The system refused the write (nothing changed) or, after the new file was written, the
    // removal of the old name (both files are there); its error was shown.
    Failed,
};

// The editor's save, every message and question through ShowMessage:
//  1. the name check (/ " : \ < > * ? | in that order), then names no file can carry (empty,
//     control bytes, longer than 251 bytes), both titled "Error";
//  2. the identification check ("Identification regexp needed !");
//  3. a file that answers to the name in any letter case and is not the rule's own asks the
//     "CONFIRMATION" question, for a new rule as for a renamed one; No ends the save;
//  4. the whole-file write (RuleFile::Write) into the file that answers to the name (a rule
//     loaded from x.VTL goes back there), or a new file under the name as typed, also when only
//     its letter case changed; a refusal shows the system's text titled "Error " + errno;
//  5. only then the removal of the rule's previous file when the name changed;
//  6. "Rule saved", titled "VTL".
[[nodiscard]] RuleSaveOutcome SaveRule(const std::filesystem::path& programDirectory, const RuleDraft& draft);

} // namespace vortalux
