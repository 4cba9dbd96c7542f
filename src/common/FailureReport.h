#pragma once

#include "Rule.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace vortalux {

// Leaves a report of a rule that failed on a link: "N.vtr" in the program directory, N the
// smallest free number, holding the link, why its page download failed when it did
// (`downloadError`, written as "Main"/"Error" when not empty) and a full copy of the rule as it
// was used. The report is written whole under a temporary name first and then linked to its
// number, which never replaces a file: two writers never share a number, and a writer killed at
// any moment leaves a whole report or none. Temporary files of killed writers are removed by
// the next writer. Returns the report's path, or nothing when it could not be written (the
// conversion goes on either way).
[[nodiscard]] std::optional<std::filesystem::path> WriteFailureReport(
    const std::filesystem::path& programDirectory, std::string_view sourceLink, const Rule& rule,
    std::string_view downloadError = {});

} // namespace vortalux
