#pragma once

#include "Rule.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace vortalux {

// Leaves a report of a rule that failed on a link: "N.vtr" in the program directory, N the
// smallest free number, holding the link and a full copy of the rule as it was used. The number
// is reserved by creating the file exclusively, so two writers never share one; the content is
// then written atomically. Returns the report's path, or nothing when it could not be written
// (the conversion goes on either way).
std::optional<std::filesystem::path> WriteFailureReport(
    const std::filesystem::path& programDirectory, std::string_view sourceLink, const Rule& rule);

} // namespace vortalux
