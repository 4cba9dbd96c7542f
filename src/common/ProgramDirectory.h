#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// The directory that holds the running program or library: every data file (Rules, Managers,
// reports, the update list) lives below it. VORTALUX_HOME overrides it, so tests, system-wide
// installs and several profiles can point at another folder.
std::filesystem::path ProgramDirectory();

// Sets the program directory for this process (the command line's --home); an empty path
// returns to the environment or the binary's location.
void SetProgramDirectory(const std::filesystem::path& directory);

// The regular files of `directory` whose name ends in `extension` (".vtl"), compared without
// regard to ASCII case, sorted by name ascending without regard to case (ties by bytes) so that
// every machine walks the rules in the same order. Directories, also those named like a match,
// are skipped. A missing or unreadable directory gives an empty list.
std::vector<std::string> ListDirectory(const std::filesystem::path& directory, std::string_view extension);

// `directory / name` when that file exists; otherwise the entry of `directory` whose name equals
// `name` without regard to ASCII case, as the file systems rule files come from behave;
// otherwise `directory / name` unchanged (so writers create it under the asked name).
std::filesystem::path ResolveCaseBlind(const std::filesystem::path& directory, std::string_view name);

} // namespace vortalux
