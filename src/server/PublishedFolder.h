#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::server {

// The folder a server publishes:
//   core/versions.ini        section "Main", keys "engine" and "program"
//   core/<program file>      every other file of core/, offered to the updater
//   Managers/<name>.vtm      download-manager definitions, with their "ver" key
//   Rules/<name>.vtl         rules, with their "ver" key
// The "versions" reply is built once and kept until the folder changes. Any change that adds,
// removes or renames a file (how publishing tools replace files) is seen at the next request
// through the folders' own times; a file rewritten in place is seen by a walk over every file,
// made at most once per `fullCheckInterval`.
class PublishedFolder {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr uint64_t MaxFileBytes = 64ULL * 1024 * 1024;

    explicit PublishedFolder(
        std::filesystem::path root, std::chrono::milliseconds fullCheckInterval = std::chrono::seconds(1));

    const std::filesystem::path& Root() const { return m_root; }

    // The reply to "versions": "ok" + engine ":" program ":" M ":" M pairs name ":" version
    // ":" R ":" R pairs name ":" version. Items whose name or version could not travel in that
    // layout (":" or a control byte), or that have no "ver", are left out. Nullopt, with the
    // reason in `error`, when core/versions.ini lacks an engine or program version.
    std::optional<std::string> VersionsReply(Clock::time_point now, std::string& error);

    // The program files of core/ (every plain file name but "versions.ini"), in listing order.
    std::vector<std::string> ProgramFiles() const;

    enum class Lookup { Found, Refused, Missing };
    // The bytes of a published file named as the client asks for it: "core/" + a program file,
    // "Managers/" + name + ".vtm" or "Rules/" + name + ".vtl". Refused for every other form of
    // name and for a file that resolves outside the root (symbolic links followed) or to one of
    // the private files; Missing when no such regular file exists or it is over MaxFileBytes.
    Lookup ReadFile(std::string_view name, std::string& bytes) const;

    // Files inside the root that are never served whatever links point at them (the report
    // database and its companions).
    void SetPrivateFiles(std::vector<std::filesystem::path> paths);

    // A name that can only mean one entry of one folder: not empty, not "." or "..", and free of
    // "/", "\" and control bytes (0x00-0x1F, 0x7F).
    static bool IsPlainName(std::string_view name);

private:
    struct Stamp {
        std::string name;
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t modifiedNs = 0;
        int64_t size = -1;
        bool operator==(const Stamp&) const = default;
    };
    std::vector<Stamp> QuickStamps() const;
    std::vector<Stamp> FullStamps() const;
    void Rebuild();

    std::filesystem::path m_root;
    std::chrono::milliseconds m_fullCheckInterval;
    std::vector<std::string> m_privateFiles; // resolved paths
    bool m_built = false;
    std::vector<Stamp> m_quick;
    std::vector<Stamp> m_full;
    Clock::time_point m_lastFullCheck;
    std::optional<std::string> m_reply;
    std::string m_error;
};

} // namespace vortalux::server
