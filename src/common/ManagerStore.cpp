#include "ManagerStore.h"

#include "AsciiText.h"
#include "ProfileFile.h"
#include "ProfileNumber.h"
#include "ProgramDirectory.h"

#include <fstream>
#include <iterator>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t FindNoCase(std::string_view text, std::string_view what)
{
    if (what.size() > text.size())
        return std::string_view::npos;
    for (size_t i = 0; i + what.size() <= text.size(); ++i) {
        if (EqualsNoCase(text.substr(i, what.size()), what))
            return i;
    }
    return std::string_view::npos;
}

} // namespace

ManagerStore::ManagerStore()
    : m_definitions(1)
{
}

std::string ManagerStore::ScriptPart(std::string_view fileBytes)
{
    constexpr std::string_view Marker = "[SCRIPT]";
    size_t from = 0;
    while (true) {
        const size_t at = FindNoCase(fileBytes.substr(from), Marker);
        if (at == std::string_view::npos)
            return {};
        const size_t start = from + at;
        const std::string_view after = fileBytes.substr(start + Marker.size());
        if (after.substr(0, 2) == "\r\n") {
            // The script starts 12 characters after the marker: past its CR LF and the two
            // characters of the empty line writers put after it. Files rely on this offset.
            const size_t scriptStart = start + 12;
            return scriptStart < fileBytes.size() ? std::string(fileBytes.substr(scriptStart))
                                                  : std::string();
        }
        if (after.substr(0, 1) == "\n") {
            // A file saved with LF line ends: skip the marker line and the empty line after it.
            size_t scriptStart = start + Marker.size() + 1;
            if (fileBytes.substr(scriptStart, 1) == "\n")
                scriptStart += 1;
            else if (fileBytes.substr(scriptStart, 2) == "\r\n")
                scriptStart += 2;
            return std::string(fileBytes.substr(std::min(scriptStart, fileBytes.size())));
        }
        from = start + 1;
    }
}

fs::path ManagerStore::PathOf(const ManagerDefinition& definition) const
{
    return ResolveCaseBlind(m_programDirectory / "Managers", definition.Name + ".vtm");
}

void ManagerStore::LoadManagers(const fs::path& programDirectory)
{
    m_programDirectory = programDirectory;
    m_definitions.assign(1, ManagerDefinition {});
    m_defaultManager = -1;
    bool first = true;

    const fs::path folder = programDirectory / "Managers";
    for (const std::string& fileName : ListDirectory(folder, ".vtm")) {
        // One read serves the head and the script, so both come from the same version of the file.
        const std::string bytes = ReadAll(folder / fileName);
        const ProfileFile head = ProfileFile::FromBytes(folder / fileName, bytes);
        std::string version = head.Read("Main", "ver", "");
        if (version.empty())
            continue;
        if (!first)
            m_definitions.emplace_back();
        first = false;
        ManagerDefinition& definition = m_definitions.back();
        definition.Name = fileName.substr(0, fileName.size() - 4);
        definition.Ver = std::move(version);
        const auto mark = ParseProfileNumber(head.Read("Main", "Default", "0"));
        if (mark && *mark == 1.0)
            SetDefaultManager(static_cast<int>(m_definitions.size() - 1), MarkChosenFile::No);
        definition.ScriptText = ScriptPart(bytes);
    }
}

std::error_code ManagerStore::SetDefaultManager(int index, MarkChosenFile markChosenFile)
{
    std::error_code failure;
    if (m_defaultManager == index)
        return failure;
    // A mark that cannot be written (a read-only folder, a file that is gone) leaves the file as
    // it was; the choice holds for this store all the same.
    const auto mark = [&failure](const fs::path& path, std::string_view value) {
        std::error_code error;
        if (!FileExists(path)) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        } else {
            ProfileFile file = ProfileFile::Load(path);
            file.Write("Main", "Default", value);
            if (!file.Save(error) && !error)
                error = std::make_error_code(std::errc::io_error);
        }
        if (!failure)
            failure = error;
    };
    const auto count = static_cast<int>(m_definitions.size());
    if (m_defaultManager >= 0 && m_defaultManager < count)
        mark(PathOf(m_definitions[static_cast<size_t>(m_defaultManager)]), "0");
    if (markChosenFile == MarkChosenFile::Yes && index >= 0 && index < count)
        mark(PathOf(m_definitions[static_cast<size_t>(index)]), "1");
    m_defaultManager = index;
    return failure;
}

} // namespace vortalux
