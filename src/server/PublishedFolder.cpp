#include "PublishedFolder.h"

#include "AsciiText.h"
#include "ProfileFile.h"
#include "ProgramDirectory.h"

#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace vortalux::server {

namespace {

constexpr std::string_view VersionsFile = "versions.ini";

// A name or version that can travel in the ":"-separated reply.
bool FitsReply(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ':' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

// Published items of one folder: "name:ver" pairs for the files ending exactly in `extension`.
std::vector<std::string> ItemPairs(const fs::path& folder, std::string_view extension)
{
    std::vector<std::string> pairs;
    for (const std::string& fileName : ListDirectory(folder, extension)) {
        if (!fileName.ends_with(extension) || fileName.size() == extension.size())
            continue;
        const std::string name = fileName.substr(0, fileName.size() - extension.size());
        const std::string version = ProfileFile::Load(folder / fileName).Read("Main", "ver", "");
        if (version.empty() || !FitsReply(name) || !FitsReply(version)
            || !PublishedFolder::IsPlainName(fileName))
            continue;
        pairs.push_back(name + ":" + version);
    }
    return pairs;
}

void AppendItems(std::string& reply, const std::vector<std::string>& pairs)
{
    reply += ':';
    reply += std::to_string(pairs.size());
    for (const std::string& pair : pairs) {
        reply += ':';
        reply += pair;
    }
}

std::optional<std::string> Resolved(const fs::path& path)
{
    std::error_code error;
    fs::path real = fs::canonical(path, error);
    if (error)
        return std::nullopt;
    return real.string();
}

} // namespace

PublishedFolder::PublishedFolder(fs::path root, std::chrono::milliseconds fullCheckInterval)
    : m_root(std::move(root))
    , m_fullCheckInterval(fullCheckInterval)
{
}

bool PublishedFolder::IsPlainName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

void PublishedFolder::SetPrivateFiles(std::vector<fs::path> paths)
{
    m_privateFiles.clear();
    for (const fs::path& path : paths) {
        // A file that does not exist yet is compared by the path of its resolved folder.
        const auto folder = Resolved(path.parent_path().empty() ? fs::path(".") : path.parent_path());
        m_privateFiles.push_back(folder ? (fs::path(*folder) / path.filename()).string() : path.string());
    }
}

std::vector<PublishedFolder::Stamp> PublishedFolder::QuickStamps() const
{
    std::vector<Stamp> stamps;
    for (const fs::path& path :
        {m_root, m_root / "core", m_root / "core" / VersionsFile, m_root / "Managers", m_root / "Rules"}) {
        Stamp& stamp = stamps.emplace_back();
        stamp.name = path.string();
        struct stat info { };
        if (::stat(path.c_str(), &info) != 0)
            continue;
        stamp.device = info.st_dev;
        stamp.inode = info.st_ino;
        stamp.modifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        stamp.size = info.st_size;
    }
    return stamps;
}

std::vector<PublishedFolder::Stamp> PublishedFolder::FullStamps() const
{
    std::vector<Stamp> stamps;
    for (const char* folderName : {"Managers", "Rules"}) {
        std::error_code error;
        for (fs::directory_iterator it(m_root / folderName, error), end; !error && it != end;
             it.increment(error)) {
            Stamp& stamp = stamps.emplace_back();
            stamp.name = it->path().string();
            struct stat info { };
            if (::stat(it->path().c_str(), &info) != 0)
                continue;
            stamp.device = info.st_dev;
            stamp.inode = info.st_ino;
            stamp.modifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
            stamp.size = info.st_size;
        }
    }
    return stamps;
}

void PublishedFolder::Rebuild()
{
    // Stamps first: a change made while the reply is built shows at the next check.
    m_quick = QuickStamps();
    m_full = FullStamps();
    m_built = true;
    m_reply.reset();
    m_error.clear();

    const ProfileFile versions = ProfileFile::Load(m_root / "core" / VersionsFile);
    const std::string engine = versions.Read("Main", "engine", "");
    const std::string program = versions.Read("Main", "program", "");
    if (engine.empty() || program.empty() || !FitsReply(engine) || !FitsReply(program)) {
        m_error = "core/versions.ini lacks a usable \"engine\" or \"program\" in section \"Main\"";
        return;
    }
    std::string reply = "ok" + engine + ":" + program;
    AppendItems(reply, ItemPairs(m_root / "Managers", ".vtm"));
    AppendItems(reply, ItemPairs(m_root / "Rules", ".vtl"));
    m_reply = std::move(reply);
}

std::optional<std::string> PublishedFolder::VersionsReply(Clock::time_point now, std::string& error)
{
    if (!m_built || QuickStamps() != m_quick) {
        Rebuild();
        m_lastFullCheck = now;
    } else if (now - m_lastFullCheck >= m_fullCheckInterval) {
        m_lastFullCheck = now;
        if (FullStamps() != m_full)
            Rebuild();
    }
    error = m_error;
    return m_reply;
}

std::vector<std::string> PublishedFolder::ProgramFiles() const
{
    std::vector<std::string> names;
    for (std::string& name : ListDirectory(m_root / "core", "")) {
        if (!EqualsNoCase(name, VersionsFile) && IsPlainName(name) && FitsReply(name))
            names.push_back(std::move(name));
    }
    return names;
}

PublishedFolder::Lookup PublishedFolder::ReadFile(std::string_view name, std::string& bytes) const
{
    bytes.clear();
    const size_t slash = name.find('/');
    if (slash == std::string_view::npos)
        return Lookup::Refused;
    const std::string_view folder = name.substr(0, slash);
    const std::string_view fileName = name.substr(slash + 1);
    if (!IsPlainName(fileName))
        return Lookup::Refused;
    if (folder == "core") {
        if (EqualsNoCase(fileName, VersionsFile) || !FitsReply(fileName))
            return Lookup::Refused;
    } else if (folder == "Managers") {
        if (!fileName.ends_with(".vtm"))
            return Lookup::Refused;
    } else if (folder == "Rules") {
        if (!fileName.ends_with(".vtl"))
            return Lookup::Refused;
    } else {
        return Lookup::Refused;
    }

    const fs::path path = m_root / std::string(folder) / std::string(fileName);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error)))
        return Lookup::Missing;
    const auto real = Resolved(path);
    const auto root = Resolved(m_root);
    if (!real || !root)
        return Lookup::Missing; // a link whose target is gone
    if (!real->starts_with(*root + "/"))
        return Lookup::Refused;
    for (const std::string& privateFile : m_privateFiles) {
        if (*real == privateFile)
            return Lookup::Refused;
    }
    struct stat info { };
    if (::stat(real->c_str(), &info) != 0 || !S_ISREG(info.st_mode)
        || static_cast<uint64_t>(info.st_size) > MaxFileBytes)
        return Lookup::Missing;

    std::ifstream in(*real, std::ios::binary);
    if (!in)
        return Lookup::Missing;
    bytes.resize(static_cast<size_t>(info.st_size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return Lookup::Found;
}

} // namespace vortalux::server
