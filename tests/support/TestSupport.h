#pragma once

#include "Link.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace vortalux::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / std::string(name); }

private:
    std::filesystem::path m_path;
};

std::string ReadFileBytes(const std::filesystem::path& path);
// Writes the bytes exactly, creating missing parent folders.
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);
// Runs `check` in a child process that holds no root privileges (as "nobody" when the tests
// run as root), so that file permissions apply; returns what `check` returned.
bool RunUnprivileged(const std::function<bool()>& check);

// A file under tests/data.
std::filesystem::path TestDataPath(std::string_view name);

} // namespace vortalux::test

namespace vortalux {

// How a failing test shows a link.
inline void PrintTo(const Link& link, std::ostream* out)
{
    *out << "{\"" << link.url << "\", \"" << link.name << "\"}";
}

} // namespace vortalux
