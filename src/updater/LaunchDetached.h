#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vortalux {

// Starts `program` with `arguments` in `workingDirectory`, in a session of its own (closing the
// terminal or ending this process does not end it), and does not wait for it. Meant for a process
// that ends right after (vtl starting vtlupd, vtlupd starting vtl): the child is not reaped here.
// False, with the reason in `error`, when the program could not be started.
[[nodiscard]] bool LaunchDetached(const std::filesystem::path& program,
    const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory,
    std::string& error);

} // namespace vortalux
