#include "RuleSave.h"

#include "AsciiText.h"
#include "MessageBox.h"
#include "ProfileFile.h"
#include "RuleFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

// The longest file name the usual Linux file systems take, in bytes.
constexpr size_t MaxFileNameBytes = 255;
constexpr std::string_view RuleExtension = ".vtl";

void ShowError(const std::string& text)
{
    ShowMessage({"Error", text, MessageIcon::Critical, MessageButtons::Ok, 0});
}

// The system's refusal as the editor shows it: its description, titled with its number.
void ShowSystemError(const std::error_code& error)
{
    ShowMessage({"Error " + std::to_string(error.value()), error.message(), MessageIcon::Critical,
        MessageButtons::Ok, 0});
}

// The editor's name check: the first forbidden character found, in the editor's order.
bool HasForbiddenCharacter(std::string_view name)
{
    for (const char forbidden : std::string_view("/\":\\<>*?|")) {
        if (name.find(forbidden) != std::string_view::npos)
            return true;
    }
    return false;
}

// Names the editor lets through but no file can carry: the user is told why instead of getting
// a system error about a path.
std::string UnusableNameMessage(std::string_view name)
{
    if (name.empty())
        return "Incorrect rule name -- Please give the rule a name";
    for (const char c : name) {
        if (IsAsciiControl(c))
            return "Incorrect rule name -- control characters cannot be part of a file name";
    }
    if (name.size() + RuleExtension.size() > MaxFileNameBytes)
        return "Incorrect rule name -- the name is too long (at most "
            + std::to_string(MaxFileNameBytes - RuleExtension.size()) + " bytes)";
    return {};
}

bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return a == b || fs::equivalent(a, b, ec);
}

bool AskToReplace(const fs::path& target)
{
    const MessageRequest question {"CONFIRMATION",
        "There is already a rule with that name, are you sure you want to replace it ?\r\n\r\n"
            + target.string(),
        MessageIcon::Question, MessageButtons::YesNo, 0};
    return ShowMessage(question) == MessageAnswer::Yes;
}

} // namespace

RuleSaveOutcome SaveRule(const fs::path& programDirectory, const RuleDraft& draft)
{
    const std::string& name = draft.rule.name;
    if (HasForbiddenCharacter(name)) {
        ShowError("Incorrect rule name -- Please use a valid filename -- forbidden: / \\ < > ? * \" |");
        return RuleSaveOutcome::Refused;
    }
    if (const std::string unusable = UnusableNameMessage(name); !unusable.empty()) {
        ShowError(unusable);
        return RuleSaveOutcome::Refused;
    }
    if (TrimBytes(draft.rule.ident, " ").empty()) {
        ShowError("Identification regexp needed !");
        return RuleSaveOutcome::Refused;
    }

    const fs::path folder = programDirectory / "Rules";
    const std::string fileName = name + std::string(RuleExtension);
    // The file the rule was loaded from, when it is still there.
    std::optional<fs::path> previous;
    if (draft.previousName) {
        const fs::path path = RuleFile::PathOf(programDirectory, *draft.previousName);
        if (FileExists(path))
            previous = path;
    }
    // A file that already answers to the name, in any letter case.
    const fs::path existing = RuleFile::PathOf(programDirectory, name);
    const bool exists = FileExists(existing);
    const bool existingIsPrevious = exists && previous && SameFile(existing, *previous);

    // The rule keeps the file it answers to (a rule loaded from x.VTL goes back to x.VTL), unless
    // the user changed only the letter case of its name: then the file takes the new spelling.
    fs::path target = folder / fileName;
    if (exists && !(existingIsPrevious && *draft.previousName != name))
        target = existing;

    // Another rule's file is replaced only when the user says so, for a new rule as for a rule
    // renamed onto an existing name.
    if (exists && !existingIsPrevious && !AskToReplace(existing))
        return RuleSaveOutcome::Refused;

    std::error_code error;
    fs::create_directories(folder, error);
    if (!error
        && !RuleFile::Write(target, draft.rule,
            draft.refererChosen ? RuleFile::RefererModeKey::Write : RuleFile::RefererModeKey::Omit, error)
        && !error)
        error = std::make_error_code(std::errc::io_error);
    if (error) {
        ShowSystemError(error);
        return RuleSaveOutcome::Failed;
    }

    // Only now that the new file is on disk does the old name go.
    if (previous && !SameFile(*previous, target) && ::unlink(previous->c_str()) != 0 && errno != ENOENT) {
        ShowSystemError(std::error_code(errno, std::generic_category()));
        return RuleSaveOutcome::Failed;
    }
    ShowMessage({"VTL", "Rule saved", MessageIcon::Information, MessageButtons::Ok, 0});
    return RuleSaveOutcome::Saved;
}

} // namespace vortalux
