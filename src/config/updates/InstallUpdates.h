#pragma once

#include "InstallSteps.h"
#include "UpdateCheck.h"

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

class ServerExchange;

// The Update panel's frame as the install changes it.
struct InstallView {
    std::array<std::string, 3> captions; // lblChecking(0 to 2)
    std::array<std::string, 3> results; // lblChkResult(0 to 2)
    int boldRow = -1; // the row being worked on, -1 for none
    std::string status; // lblUpd
    int progress = 0; // pbUpd, 0 to 100
};

struct InstallResult {
    enum class Outcome {
        Done, // everything offered and selected is installed, or saved for the updater
        Stopped, // an error ended it; what was installed before stays (see `failure`)
    };
    Outcome outcome = Outcome::Stopped;
    InstallView view; // the frame at the end
    // Why it stopped, in plain words, beside the status: the exchange's failure, or the file
    // that could not be written and why. Empty when done.
    std::string failure;
    // The ".vtu" copies saved and listed in FileList.vtu: when there are any, the updater must
    // run once the program has ended.
    std::vector<std::filesystem::path> programCopies;
    std::vector<std::string> installedManagers; // names, in install order
    std::vector<std::string> installedRules;

    bool IsDone() const { return outcome == Outcome::Done; }
    bool NeedsUpdater() const { return IsDone() && !programCopies.empty(); }
};

// Called whenever the frame changes, inside the exchange's waits, so a window repaints between
// calls and its Cancel works.
using InstallViewCallback = std::function<void(const InstallView&)>;

// "Do the updates...": fetches, with one "getfile" exchange each, the program files when
// `check.coreStatus` is not 0 (saved as "NAME.vtu" beside the program and listed in FileList.vtu
// for the updater), then the selected definitions, then the selected rules (each written in
// place at once, atomically). Starts from the frame the check left (its result texts) and stops
// at the first error, which leaves the files installed so far. The window then reloads its lists,
// and either says "Update done" or, with program copies, starts the updater and ends.
// `decimalSeparator` is the one the download percentages are shown with.
InstallResult InstallUpdates(ServerExchange& exchange, const std::filesystem::path& programDirectory,
    const UpdateCheckResult& check, const InstallViewCallback& onView = {},
    std::string_view decimalSeparator = ".");

} // namespace vortalux
