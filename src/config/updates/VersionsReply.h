#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// One item the server offers: a download-manager definition's or a rule's file name without
// extension, and its version.
struct OfferedItem {
    std::string name;
    std::string version;
};

// The server's answer to "versions": "ok" immediately followed by engine version ":" program
// version ":" M ":" M pairs name ":" version ":" R ":" R pairs; anything after the last pair is
// ignored.
struct VersionsReply {
    std::string engineVersion;
    std::string programVersion;
    std::vector<OfferedItem> managers;
    std::vector<OfferedItem> rules;

    // The reply read, or nothing when it is incorrect data: no "ok" at the start, fewer fields
    // than its counts announce, a count that is not a whole number, or a name that is not a
    // plain file name.
    [[nodiscard]] static std::optional<VersionsReply> Read(std::string_view replyText);
};

// A name the server may give a file: not empty, not "." or "..", and without "/", "\" or a
// control byte.
bool IsPlainFileName(std::string_view name);

} // namespace vortalux
