#pragma once

#include "Rule.h"

#include <filesystem>
#include <optional>
#include <string_view>

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

    // The editor's save: every key of the rule in the editor's order, in one atomic write that
    // keeps the file's other keys ("Active" among them). The referer mode is written only with
    // RefererModeKey::Write (an option was chosen). The "Rules" folder is created when missing.
    enum class RefererModeKey { Write, Omit };
    [[nodiscard]] static bool Write(
        const std::filesystem::path& programDirectory, const Rule& rule, RefererModeKey refererModeKey);

    // The rules panel's check box: only Main/"Active", "1" or "0".
    [[nodiscard]] static bool WriteActive(
        const std::filesystem::path& programDirectory, std::string_view name, bool active);
};

} // namespace vortalux
