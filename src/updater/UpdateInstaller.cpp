#include "UpdateInstaller.h"

#include "ProfileFile.h"
#include "ProgramLock.h"
#include "UpdateFileList.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <system_error>
#include <utility>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

constexpr size_t MaxJournalBytes = 64 * 1024;

bool Exists(const fs::path& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0;
}

bool IsRegularFile(const fs::path& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Reason(int error) { return std::strerror(error); }

// What a message shows of a listed path: the list holds no control byte, but may be long.
std::string Shown(std::string_view path)
{
    constexpr size_t MaxShown = 200;
    return path.size() <= MaxShown ? std::string(path) : std::string(path.substr(0, MaxShown)) + "...";
}

bool IsReservedName(std::string_view name)
{
    return name == UpdateFileList::FileName || name == ProgramLock::FileName
        || name == UpdateJournal::FileName || name.ends_with(UpdateInstaller::CopySuffix)
        || name.ends_with(UpdateInstaller::BackupSuffix);
}

// The data of a copy is on disk before its new name is.
bool SyncFile(const fs::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void SyncDirectory(const fs::path& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool UpdateInstaller::IsInstallableName(std::string_view name)
{
    return IsPlainProgramFileName(name) && !IsReservedName(name);
}

UpdateInstaller::UpdateInstaller(fs::path programDirectory)
    : m_directory(std::move(programDirectory))
{
    if (const char* text = std::getenv(KillAfterStepVariable)) {
        const std::string_view value(text);
        std::from_chars(value.data(), value.data() + value.size(), m_killAfterStep);
    }
}

fs::path UpdateInstaller::Copy(const UpdateJournal::Item& item) const
{
    return m_directory / (item.name + std::string(CopySuffix));
}

fs::path UpdateInstaller::Target(const UpdateJournal::Item& item) const { return m_directory / item.name; }

fs::path UpdateInstaller::Backup(const UpdateJournal::Item& item) const
{
    return m_directory / (item.name + std::string(BackupSuffix));
}

void UpdateInstaller::Step()
{
    ++m_steps;
    if (m_killAfterStep > 0 && m_steps == m_killAfterStep)
        ::raise(SIGKILL);
}

UpdateInstaller::Plan UpdateInstaller::MakePlan(
    const fs::path& programDirectory, const std::vector<std::string>& paths)
{
    Plan plan;
    std::set<std::string> names;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        const auto refuse = [&](std::string_view why) {
            plan.error = std::string(UpdateFileList::FileName) + " line " + std::to_string(i + 1) + " ("
                + Shown(path) + ") " + std::string(why);
            plan.journal.items.clear();
            return plan;
        };
        if (path.empty() || path.front() != '/')
            return refuse("is not a full path");
        if (path.find('\\') != std::string::npos)
            return refuse("holds a backslash");
        for (size_t start = 1; start <= path.size();) {
            const size_t end = std::min(path.find('/', start), path.size());
            const std::string_view part = std::string_view(path).substr(start, end - start);
            if (part.empty() || part == "." || part == "..")
                return refuse("holds an empty, \".\" or \"..\" part");
            start = end + 1;
        }
        const size_t slash = path.rfind('/');
        const std::string name = path.substr(slash + 1);
        if (!name.ends_with(UpdateInstaller::CopySuffix))
            return refuse("does not end in \".vtu\"");
        if (name == UpdateFileList::FileName)
            return refuse("names the list itself");
        const std::string target = name.substr(0, name.size() - CopySuffix.size());
        if (!IsInstallableName(target))
            return refuse("does not name a program file");
        std::error_code ec;
        const fs::path parent = slash == 0 ? fs::path("/") : fs::path(path.substr(0, slash));
        if (!fs::equivalent(parent, programDirectory, ec) || ec)
            return refuse("is outside the program directory");
        struct stat copy { };
        if (::lstat((programDirectory / name).c_str(), &copy) != 0)
            return refuse("is missing");
        if (!S_ISREG(copy.st_mode))
            return refuse("is not a regular file");
        if (!names.insert(target).second)
            return refuse("is listed twice");
        struct stat old { };
        UpdateJournal::Item item {target, UpdateJournal::Target::Replaced};
        if (::lstat((programDirectory / target).c_str(), &old) != 0) {
            if (errno != ENOENT)
                return refuse("names a program file that cannot be examined: " + Reason(errno));
            item.target = UpdateJournal::Target::Added;
        }
        plan.journal.items.push_back(std::move(item));
    }
    return plan;
}

bool UpdateInstaller::WriteJournal(std::string& error)
{
    std::error_code ec;
    if (!WriteFileAtomically(m_directory / std::string(UpdateJournal::FileName), m_journal.Format(), ec)) {
        error = "the journal cannot be written: " + ec.message();
        return false;
    }
    SyncDirectory(m_directory);
    Step();
    return true;
}

void UpdateInstaller::RemoveJournalLeftovers()
{
    // A run killed while it wrote its journal leaves the temporary file the write renames from.
    const std::string prefix = "." + std::string(UpdateJournal::FileName) + ".";
    std::error_code ec;
    for (fs::directory_iterator it(m_directory, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(prefix) && IsRegularFile(it->path()))
            ::unlink(it->path().c_str());
    }
}

void UpdateInstaller::RemoveIfPresent(const fs::path& path)
{
    if (::unlink(path.c_str()) == 0)
        Step();
}

UpdateResult UpdateInstaller::Run()
{
    RemoveJournalLeftovers();
    if (!UpdateJournal::ExistsIn(m_directory))
        return Install();

    const fs::path journalFile = m_directory / std::string(UpdateJournal::FileName);
    std::ifstream in(journalFile, std::ios::binary);
    std::string bytes(MaxJournalBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    std::string error;
    std::optional<UpdateJournal> journal;
    if (!in.bad() && bytes.size() <= MaxJournalBytes)
        journal = UpdateJournal::Parse(bytes, error);
    else
        error = "the journal cannot be read";
    if (!journal)
        return {UpdateOutcome::Unsettled, journalFile.string() + ": " + error + "; nothing was changed"};
    m_journal = std::move(*journal);
    return Settle({});
}

UpdateResult UpdateInstaller::Install()
{
    const fs::path listFile = m_directory / std::string(UpdateFileList::FileName);
    if (!Exists(listFile))
        return {
            UpdateOutcome::NothingToDo, "no update is waiting (" + listFile.string() + " does not exist)"};
    const UpdateFileList::ReadResult list = UpdateFileList::Read(listFile);
    if (!list.Ok())
        return {UpdateOutcome::Refused, listFile.string() + ": " + list.error + "; nothing was replaced"};
    Plan plan = MakePlan(m_directory, list.paths);
    if (!plan.error.empty())
        return {UpdateOutcome::Refused, plan.error + "; nothing was replaced"};
    m_journal = std::move(plan.journal);
    // A file left under a backup's name by something else must not pass for this run's backup.
    for (const UpdateJournal::Item& item : m_journal.items) {
        if (::unlink(Backup(item).c_str()) != 0 && errno != ENOENT)
            return {UpdateOutcome::Refused,
                Backup(item).string() + " is in the way: " + Reason(errno) + "; nothing was replaced"};
    }
    std::string error;
    if (!WriteJournal(error))
        return {UpdateOutcome::Refused, error + "; nothing was replaced"};
    return Settle({});
}

UpdateResult UpdateInstaller::Settle(std::string failure)
{
    if (m_journal.direction == UpdateJournal::Direction::Forward) {
        if (Forward(failure)) {
            for (const UpdateJournal::Item& item : m_journal.items)
                RemoveIfPresent(Backup(item));
            RemoveIfPresent(m_directory / std::string(UpdateFileList::FileName));
            RemoveIfPresent(m_directory / std::string(UpdateJournal::FileName));
            SyncDirectory(m_directory);
            return {UpdateOutcome::Installed, "the update is installed"};
        }
        m_journal.direction = UpdateJournal::Direction::Back;
        std::string journalError;
        if (!WriteJournal(journalError))
            return {UpdateOutcome::Unsettled, failure + "; " + journalError + "; the next run tries again"};
    }
    std::string backError;
    if (!Back(backError))
        return {UpdateOutcome::Unsettled,
            (failure.empty() ? "" : failure + "; ") + backError + "; the next run tries again"};
    RemoveIfPresent(m_directory / std::string(UpdateFileList::FileName));
    for (const UpdateJournal::Item& item : m_journal.items)
        RemoveIfPresent(Copy(item));
    RemoveIfPresent(m_directory / std::string(UpdateJournal::FileName));
    SyncDirectory(m_directory);
    return {UpdateOutcome::RolledBack,
        (failure.empty() ? "an interrupted update was undone" : failure)
            + "; the old program files are back"};
}

bool UpdateInstaller::Forward(std::string& error)
{
    for (const UpdateJournal::Item& item : m_journal.items) {
        const fs::path copy = Copy(item);
        const fs::path target = Target(item);
        if (!Exists(copy))
            continue; // already in place
        if (!IsRegularFile(copy)) {
            error = copy.string() + " is no longer a regular file";
            return false;
        }
        if (item.target == UpdateJournal::Target::Replaced) {
            const fs::path backup = Backup(item);
            if (!Exists(backup)) {
                // A second name, not a copy: the old file itself stays untouched for running programs.
                if (::link(target.c_str(), backup.c_str()) != 0) {
                    error = "cannot keep the old " + target.string() + ": " + Reason(errno);
                    return false;
                }
                Step();
            }
            struct stat old { };
            if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)
                && ::chmod(copy.c_str(), old.st_mode & 07777) != 0) {
                error = "cannot give " + copy.string() + " the old file's permissions: " + Reason(errno);
                return false;
            }
        }
        if (!SyncFile(copy)) {
            error = "cannot write " + copy.string() + " to disk: " + Reason(errno);
            return false;
        }
        if (::rename(copy.c_str(), target.c_str()) != 0) {
            error = "cannot replace " + target.string() + ": " + Reason(errno);
            return false;
        }
        Step();
    }
    SyncDirectory(m_directory);
    return true;
}

bool UpdateInstaller::Back(std::string& error)
{
    for (const UpdateJournal::Item& item : m_journal.items) {
        const fs::path target = Target(item);
        const fs::path backup = Backup(item);
        if (Exists(Copy(item))) {
            // Not replaced: the backup is only a second name of the file in place.
            if (item.target == UpdateJournal::Target::Replaced && Exists(backup)) {
                if (::unlink(backup.c_str()) != 0) {
                    error = "cannot remove " + backup.string() + ": " + Reason(errno);
                    return false;
                }
                Step();
            }
        } else if (item.target == UpdateJournal::Target::Replaced) {
            if (Exists(backup)) {
                if (::rename(backup.c_str(), target.c_str()) != 0) {
                    error = "cannot put back " + target.string() + ": " + Reason(errno);
                    return false;
                }
                Step();
            }
        } else if (Exists(target)) {
            if (::unlink(target.c_str()) != 0) {
                error = "cannot remove the added " + target.string() + ": " + Reason(errno);
                return false;
            }
            Step();
        }
    }
    SyncDirectory(m_directory);
    return true;
}

} // namespace vortalux
