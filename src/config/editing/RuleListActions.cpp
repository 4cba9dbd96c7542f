#include "RuleListActions.h"

#include "ProfileFile.h"
#include "ProfileNumber.h"
#include "RuleFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

std::error_code LastSystemError() { return {errno, std::generic_category()}; }

// The file's bytes; a file that cannot be opened is an error, not an empty profile.
std::error_code ReadWholeFile(const fs::path& path, std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return LastSystemError();
    std::error_code error;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = LastSystemError();
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return error;
}

} // namespace

RuleActiveChange SetRuleActive(const fs::path& programDirectory, std::string_view name, bool active)
{
    RuleActiveChange change;
    const fs::path path = RuleFile::PathOf(programDirectory, name);
    std::string bytes;
    change.error = ReadWholeFile(path, bytes);
    if (change.error)
        return change;
    ProfileFile file = ProfileFile::FromBytes(path, bytes);
    const auto stored = ParseProfileNumber(file.Read("Main", "Active", "1"));
    if ((stored && *stored == 1.0) == active)
        return change;
    file.Write("Main", "Active", active ? "1" : "0");
    change.written = file.Save(change.error);
    if (!change.written && !change.error)
        change.error = std::make_error_code(std::errc::io_error);
    return change;
}

RuleDeletion DeleteRule(const fs::path& programDirectory, std::string_view name)
{
    RuleDeletion deletion;
    deletion.file = RuleFile::PathOf(programDirectory, name);
    if (::unlink(deletion.file.c_str()) != 0)
        deletion.error = LastSystemError();
    return deletion;
}

MessageRequest DeleteFailureMessage(std::string_view name, const RuleDeletion& deletion)
{
    return {"Unable to delete the rule",
        "An error occured while trying to delete rule " + std::string(name)
            + " :\r\nFichier: " + deletion.file.string() + "\r\nErreur "
            + std::to_string(deletion.error.value()) + ": " + deletion.error.message(),
        MessageIcon::Critical, MessageButtons::Ok, 0};
}

} // namespace vortalux
