#pragma once

#include "UpdateJournal.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

enum class UpdateOutcome {
    NothingToDo, // neither a list nor a journal
    Refused, // the list is unreadable or names something vtlupd must not touch: nothing changed
    Installed, // every new file is in place, also after finishing an interrupted run
    RolledBack, // a replacement failed (or an undo was interrupted): the old files are back
    Unsettled, // neither finished nor undone: the journal stays for the next run
};

struct UpdateResult {
    UpdateOutcome outcome = UpdateOutcome::NothingToDo;
    std::string message;
};

// Puts the ".vtu" copies named in FileList.vtu in place of the program files, all or none. For
// each file "name": the copy "name.vtu" is renamed over "name" (running programs keep the old
// file they opened; nothing is ever rewritten in place), after the old file got a second name,
// "name.vtold", to go back to. The journal says which way the run goes, so a run killed at any
// point is finished, or undone, by the next one. Call it while holding the program lock
// exclusively.
class UpdateInstaller {
public:
    static constexpr std::string_view CopySuffix = ".vtu";
    static constexpr std::string_view BackupSuffix = ".vtold";
    // Tests only: the process kills itself (SIGKILL) after this many changes to the directory, so
    // a test can stop it at every step.
    static constexpr const char* KillAfterStepVariable = "VORTALUX_UPDATER_KILL_AFTER_STEP";

    struct Plan {
        UpdateJournal journal; // direction Forward, one item per listed copy, in list order
        std::string error; // empty when every path may be installed
    };

    explicit UpdateInstaller(std::filesystem::path programDirectory);

    // Settles an interrupted run when a journal is there, else installs FileList.vtu.
    [[nodiscard]] UpdateResult Run();

    // Checks the paths of a list: each is a full path of a regular file (not a link) in the
    // program directory whose name ends in ".vtu", no part of it empty, "." or "..", and its
    // program file's name is one vtlupd may replace; no program file twice.
    static Plan MakePlan(
        const std::filesystem::path& programDirectory, const std::vector<std::string>& paths);

    // A program file name an update may bring: a plain name (IsPlainProgramFileName) that is
    // not one of the updater's own files (the list, the lock, the journal, copies, backups).
    static bool IsInstallableName(std::string_view name);

private:
    UpdateResult Install();
    UpdateResult Settle(std::string failure);
    [[nodiscard]] bool Forward(std::string& error);
    [[nodiscard]] bool Back(std::string& error);
    [[nodiscard]] bool WriteJournal(std::string& error);
    void RemoveJournalLeftovers();
    void RemoveIfPresent(const std::filesystem::path& path);
    void Step();

    std::filesystem::path Copy(const UpdateJournal::Item& item) const;
    std::filesystem::path Target(const UpdateJournal::Item& item) const;
    std::filesystem::path Backup(const UpdateJournal::Item& item) const;

    std::filesystem::path m_directory;
    UpdateJournal m_journal;
    long m_steps = 0;
    long m_killAfterStep = 0;
};

} // namespace vortalux
