#pragma once

#include "Rule.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace vortalux {

class ProfileFile;

// Reading and writing rule files: "Rules/" + name + ".vtl" in the program directory.
class RuleFile {
public:
    // Step counts above this are read as this: a downloaded rule must not stall the load.
    static constexpr int MaxSteps = 1000;

    // The path of the rule `name` below `programDirectory`; an existing file whose name differs
    // only in letter case is found.
    static std::filesystem::path PathOf(const std::filesystem::path& programDirectory, std::string_view name);

    // The rule held by `file`, named `name`; nothing when the file has no "ver" (not a rule).
    static std::optional<Rule> Read(const ProfileFile& file, std::string_view name);

    // The editor's whole-file write: a fresh file at `file` holding the editor's keys alone, in
    // the editor's order, written atomically; a file already there is replaced whole (its other
    // keys, "Active" among them, are gone, so the rule loads as active). The referer mode is
    // written only with RefererModeKey::Write (an option was chosen). "Type" is "1" for a page
    // rule and "0" for any other type. On failure `error` holds the system's reason.
    enum class RefererModeKey { Write, Omit };
    [[nodiscard]] static bool Write(const std::filesystem::path& file, const Rule& rule,
        RefererModeKey refererModeKey, std::error_code& error);

    // The rules panel's check box: only Main/"Active", "1" or "0".
    [[nodiscard]] static bool WriteActive(
        const std::filesystem::path& programDirectory, std::string_view name, bool active);
};

} // namespace vortalux
