#include "FailureReport.h"

#include "ProfileFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <memory>
#include <string>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

// A folder full of reports is not expected; stop looking for a free number somewhere.
constexpr int MaxReportNumber = 1'000'000;

// A report is written whole under a temporary name first, ".vtr-PID-XXXXXX": hidden, not ending
// in ".vtr" so no reader takes it for a report, and naming its writer so that a later writer can
// tell whether it was left behind by a process that is gone.
constexpr std::string_view TemporaryPrefix = ".vtr-";

std::string Numbered(std::string_view base, size_t index)
{
    return std::string(base) + std::to_string(index);
}

std::string ReportBytes(std::string_view sourceLink, const Rule& rule, std::string_view downloadError)
{
    ProfileFile report {fs::path()};
    report.Write("Main", "URL", sourceLink);
    if (!downloadError.empty())
        report.Write("Main", "Error", downloadError);
    report.Write("Rule", "Name", rule.name);
    report.Write("Rule", "ver", rule.version);
    report.Write("Rule", "Ident", rule.ident);
    report.Write("Rule", "Type", std::to_string(FileValue(rule.type)));
    report.Write("SR", "nb", std::to_string(rule.replaceSteps.size()));
    for (size_t i = 0; i < rule.replaceSteps.size(); ++i) {
        report.Write("SR", Numbered("sr1.", i + 1), rule.replaceSteps[i].pattern);
        report.Write("SR", Numbered("sr2.", i + 1), rule.replaceSteps[i].replaceTemplate);
    }
    report.Write("OS", "nb", std::to_string(rule.searchSteps.size()));
    for (size_t i = 0; i < rule.searchSteps.size(); ++i) {
        report.Write("OS", Numbered("regexp.", i + 1), rule.searchSteps[i].pattern);
        report.Write("OS", Numbered("result.", i + 1), rule.searchSteps[i].resultTemplate);
        report.Write("OS", Numbered("global.", i + 1), std::to_string(rule.searchSteps[i].global));
    }
    report.Write("Rule", "Referer", std::to_string(FileValue(rule.refererMode)));
    report.Write("Referer", "RegExp", rule.refererPattern);
    report.Write("Referer", "Result", rule.refererTemplate);
    return report.Bytes();
}

// The writer's process id in a temporary report name, or 0 when the name is not one.
pid_t TemporaryWriter(std::string_view name)
{
    if (!name.starts_with(TemporaryPrefix))
        return 0;
    name.remove_prefix(TemporaryPrefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || pid <= 0 || end == name.data() + name.size() || *end != '-')
        return 0;
    return pid;
}

// Removes the temporary reports of writers that were killed before they could number them.
void RemoveLeftTemporaries(const fs::path& programDirectory)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(programDirectory.c_str()), ::closedir);
    if (folder == nullptr)
        return;
    while (const dirent* entry = ::readdir(folder.get())) {
        const pid_t writer = TemporaryWriter(entry->d_name);
        // Only a process that no longer exists is known to be done with its file.
        if (writer != 0 && ::kill(writer, 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(folder.get()), entry->d_name, 0);
    }
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Writes the report under a temporary name in the program directory; its path, or nothing.
std::optional<fs::path> WriteTemporary(const fs::path& programDirectory, std::string_view bytes)
{
    std::string path
        = (programDirectory / (std::string(TemporaryPrefix) + std::to_string(::getpid()) + "-XXXXXX"))
              .string();
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // The usual permissions of a new file, not mkstemp's owner-only ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, 0666 & ~mask) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(path.c_str());
        return std::nullopt;
    }
    return fs::path(path);
}

// Gives the temporary file the smallest free number. A hard link never replaces anything, so a
// number taken meanwhile by another writer makes this one try the next.
std::optional<fs::path> Number(const fs::path& programDirectory, const fs::path& temporary)
{
    for (int n = 1; n <= MaxReportNumber; ++n) {
        fs::path candidate = programDirectory / (std::to_string(n) + ".vtr");
        if (::link(temporary.c_str(), candidate.c_str()) == 0)
            return candidate;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<fs::path> WriteFailureReport(const fs::path& programDirectory, std::string_view sourceLink,
    const Rule& rule, std::string_view downloadError)
{
    RemoveLeftTemporaries(programDirectory);
    const std::optional<fs::path> temporary
        = WriteTemporary(programDirectory, ReportBytes(sourceLink, rule, downloadError));
    if (!temporary)
        return std::nullopt;
    std::optional<fs::path> report = Number(programDirectory, *temporary);
    ::unlink(temporary->c_str());
    return report;
}

} // namespace vortalux
