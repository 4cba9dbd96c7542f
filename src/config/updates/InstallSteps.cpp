#include "InstallSteps.h"

#include "AsciiText.h"
#include "ProfileFile.h"
#include "ProgramDirectory.h"
#include "RuleFile.h"
#include "UpdateFileList.h"
#include "UpdateInstaller.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>

namespace fs = std::filesystem;

namespace vortalux {

std::optional<std::vector<std::string>> ReadProgramFileList(std::string_view afterOk)
{
    std::vector<std::string> names;
    for (;;) {
        const size_t colon = afterOk.find(':');
        const std::string_view name = afterOk.substr(0, colon);
        // Each name becomes a line of the update list: a list the updater would refuse is refused
        // here, before anything is fetched.
        if (!UpdateInstaller::IsInstallableName(name) || names.size() == UpdateFileList::MaxEntries)
            return std::nullopt;
        names.emplace_back(name);
        if (colon == std::string_view::npos)
            return names;
        afterOk.remove_prefix(colon + 1);
    }
}

std::vector<std::string> ProgramFilesToFetch(const std::vector<std::string>& names, int coreStatus)
{
    std::vector<std::string> fetched;
    for (const std::string& name : names) {
        if (coreStatus == 2 && EqualsNoCase(name, ProgramFileNames::Program))
            continue;
        if (coreStatus == 1 && EqualsNoCase(name, ProgramFileNames::Engine))
            continue;
        fetched.push_back(name);
    }
    return fetched;
}

float DownloadPercent(std::uint64_t received, std::int64_t contentLength)
{
    if (contentLength <= 0)
        return 0;
    return static_cast<float>(static_cast<double>(received) / static_cast<double>(contentLength) * 100.0);
}

std::string DownloadingText(std::string_view fileName, float percent, std::string_view decimalSeparator)
{
    char digits[32];
    const auto [end, error]
        = std::to_chars(digits, digits + sizeof digits, percent, std::chars_format::general, 7);
    std::string value = error == std::errc() ? std::string(digits, end) : std::string("0");
    if (const size_t point = value.find('.'); point != std::string::npos)
        value.replace(point, 1, decimalSeparator);
    return "Downloading " + std::string(fileName) + "...." + " (" + value + "%)";
}

std::string ItemFileName(UpdateList list, std::string_view name)
{
    return std::string(name) + (list == UpdateList::Managers ? ".vtm" : ".vtl");
}

std::string ItemRequestName(UpdateList list, std::string_view name)
{
    return (list == UpdateList::Managers ? "Managers/" : "Rules/") + ItemFileName(list, name);
}

fs::path ItemTarget(const fs::path& programDirectory, UpdateList list, std::string_view name)
{
    if (list == UpdateList::Rules)
        return RuleFile::PathOf(programDirectory, name);
    return ResolveCaseBlind(programDirectory / "Managers", ItemFileName(list, name));
}

bool SaveFetchedFile(const fs::path& target, std::string_view bytes, std::error_code& error)
{
    const fs::path folder = target.parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) {
        fs::create_directory(folder, error);
        if (error)
            return false;
    }
    // A read-only file is replaced like any other: the new one is written beside it and renamed
    // over it, and it takes the old one's permissions, so the old one is made writable first.
    struct stat old { };
    if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) && (old.st_mode & S_IWUSR) == 0
        && ::chmod(target.c_str(), (old.st_mode & 07777) | S_IWUSR) != 0) {
        error.assign(errno, std::generic_category());
        return false;
    }
    return WriteFileAtomically(target, bytes, error);
}

} // namespace vortalux
