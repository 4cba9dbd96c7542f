#include "FailureReport.h"

#include "ProfileFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

// A folder full of reports is not expected; stop looking for a free number somewhere.
constexpr int MaxReportNumber = 1'000'000;

std::optional<fs::path> ReserveReportFile(const fs::path& programDirectory)
{
    for (int n = 1; n <= MaxReportNumber; ++n) {
        fs::path candidate = programDirectory / (std::to_string(n) + ".vtr");
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

std::string Numbered(std::string_view base, size_t index)
{
    return std::string(base) + std::to_string(index);
}

} // namespace

std::optional<fs::path> WriteFailureReport(
    const fs::path& programDirectory, std::string_view sourceLink, const Rule& rule)
{
    std::optional<fs::path> path = ReserveReportFile(programDirectory);
    if (!path)
        return std::nullopt;

    ProfileFile report(*path);
    report.Write("Main", "URL", sourceLink);
    report.Write("Rule", "Name", rule.name);
    report.Write("Rule", "ver", rule.version);
    report.Write("Rule", "Ident", rule.ident);
    report.Write("Rule", "Type", std::to_string(rule.type));
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
    report.Write("Rule", "Referer", std::to_string(rule.refererMode));
    report.Write("Referer", "RegExp", rule.refererPattern);
    report.Write("Referer", "Result", rule.refererTemplate);
    if (!report.Save()) {
        ::unlink(path->c_str());
        return std::nullopt;
    }
    return path;
}

} // namespace vortalux
