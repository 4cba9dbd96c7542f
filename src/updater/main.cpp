// vtlupd, the updater: once every vtl has ended, puts the program files an install saved as ".vtu"
// copies (listed in FileList.vtu) in their place, then starts vtl again with "/UpdDone".
//   vtlupd [--wait SECONDS] [--no-restart]
// vtl starts it without arguments; --wait bounds how long it waits for the running vtl to end;
// --no-restart (the command line's install) leaves vtl unstarted afterwards.
#include "LaunchDetached.h"
#include "ProgramDirectory.h"
#include "ProgramLock.h"
#include "UpdateInstaller.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

using namespace vortalux;

constexpr long DefaultWaitSeconds = 300;
constexpr long MaxWaitSeconds = 24 * 3600;

// Exit statuses, for whoever runs it by hand or from a script.
constexpr int ExitInstalled = 0;
constexpr int ExitFailed = 1; // refused, undone, or left for the next run
constexpr int ExitUsage = 2;
constexpr int ExitStillRunning = 3;

void Say(const std::string& text) { std::fprintf(stderr, "vtlupd: %s\n", text.c_str()); }

void StartVtl(const std::filesystem::path& programDirectory, bool updateDone)
{
    std::string error;
    if (!LaunchDetached(programDirectory / "vtl",
            updateDone ? std::vector<std::string> {"/UpdDone"} : std::vector<std::string> {},
            programDirectory, error))
        Say("VTL could not be started again: " + error);
}

} // namespace

int main(int argc, char* argv[])
{
    long waitSeconds = DefaultWaitSeconds;
    bool restart = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--no-restart") {
            restart = false;
            continue;
        }
        if (argument == "--wait" && i + 1 < argc) {
            const std::string_view value(argv[++i]);
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), waitSeconds);
            if (error == std::errc() && end == value.data() + value.size() && waitSeconds >= 0
                && waitSeconds <= MaxWaitSeconds)
                continue;
        }
        std::fprintf(stderr, "usage: vtlupd [--wait SECONDS] [--no-restart]\n");
        return ExitUsage;
    }

    const std::filesystem::path programDirectory = ProgramDirectory();
    ProgramLock lock
        = ProgramLock::Acquire(programDirectory, LockMode::Exclusive, std::chrono::seconds(waitSeconds));
    if (lock.Status() == LockStatus::TimedOut) {
        Say("VTL is still running after " + std::to_string(waitSeconds)
            + " seconds. Close every VTL window and start vtlupd again; nothing was replaced.");
        return ExitStillRunning;
    }
    if (!lock.IsHeld()) {
        Say("the program directory cannot be locked (" + lock.Error() + "); nothing was replaced.");
        return ExitFailed;
    }

    UpdateInstaller installer(programDirectory);
    const UpdateResult result = installer.Run();
    lock.Release();
    Say(result.message + ".");
    switch (result.outcome) {
    case UpdateOutcome::Installed:
        if (restart)
            StartVtl(programDirectory, true);
        return ExitInstalled;
    case UpdateOutcome::NothingToDo:
        return ExitInstalled;
    case UpdateOutcome::Refused:
    case UpdateOutcome::RolledBack:
        // The old program is whole: give the user it back, without claiming an update.
        if (restart)
            StartVtl(programDirectory, false);
        return ExitFailed;
    case UpdateOutcome::Unsettled:
        // vtl would hand over to vtlupd again at once: leave it to the user.
        return ExitFailed;
    }
    return ExitFailed;
}
